#pragma once
#include "KvComn_DebugLog.h"

// Lines of the shared flows carry the kind's own source file, as if each class had its own copy.
#define KIND_TRACE(kind, level, ...) ::g_DebugLog.Trace((kind).sourceFile, __LINE__, (level), __VA_ARGS__)

#pragma once
#include <windows.h>

namespace KvCommon
{
namespace System
{
// The 17 numbered version conditions (0..16), evaluated on given version data: a pure function, so
// every row can be tested with injected versions.
bool EvaluateOsCondition(DWORD condition, const OSVERSIONINFOEXW& version, bool native64);

// The same condition on this system's cached version data. False when the version query failed; the
// failure is remembered in GetVersionError() for the life of the process.
bool IsOsVersion(const DWORD& condition);
DWORD GetVersionError();

// Processor architecture from kernel32's GetNativeSystemInfo, looked up at run time and cached.
bool IsNative64Bit();

// Session of the current process (ProcessIdToSessionId, looked up at run time); 0xFFFFFFFF on failure.
bool GetProcessSessionId(DWORD& session);
} // namespace System
} // namespace KvCommon

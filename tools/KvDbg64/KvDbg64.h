#pragma once
// The trace library's entries, for programs that link it directly. Programs that load it at run time
// look the same names up with GetProcAddress and use the pointer types of KvComn_KvDbg.h.
#include "KvComn_KvDbg.h"

extern "C"
{
    // 0 and a non-null handle on success; else a Win32 error code and a null handle.
    int WINAPI KvDbgInitialize(void** handle, KvCommon::KvDbgSettings* settings);
    // Closes the handle's file and frees it; 0, or 87 for a null handle.
    int WINAPI KvDbgUninitialize(void* handle);
    // Appends line as it is to the daily file of time's day (null time: now); 0 or a Win32 error code.
    int WINAPI KvDbgTrace(void* handle, const SYSTEMTIME* time, const wchar_t* line);
}

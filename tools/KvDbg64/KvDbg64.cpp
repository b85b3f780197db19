#include "KvDbg64.h"

#include "DebugLogWriter.h"

#include <new>

extern "C" int WINAPI KvDbgInitialize(void** handle, KvCommon::KvDbgSettings* settings)
{
    if (!handle)
        return ERROR_INVALID_PARAMETER;
    *handle = nullptr;
    if (!settings)
        return ERROR_INVALID_PARAMETER;
#if defined(KVDBG_FAIL_INIT)
    return ERROR_GEN_FAILURE;
#elif defined(KVDBG_NULL_HANDLE)
    return 0;
#else
    try
    {
        CDebugLogWriter* writer = new (std::nothrow) CDebugLogWriter(*settings);
        if (!writer)
            return ERROR_NOT_ENOUGH_MEMORY;
        *handle = writer;
        return 0;
    }
    catch (...)
    {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
#endif
}

extern "C" int WINAPI KvDbgUninitialize(void* handle)
{
    if (!handle)
        return ERROR_INVALID_PARAMETER;
    delete static_cast<CDebugLogWriter*>(handle);
    return 0;
}

extern "C" int WINAPI KvDbgTrace(void* handle, const SYSTEMTIME* time, const wchar_t* line)
{
    if (!handle || !line)
        return ERROR_INVALID_PARAMETER;
#if defined(KVDBG_FAIL_TRACE)
    (void)time;
    return ERROR_WRITE_FAULT;
#else
    SYSTEMTIME now;
    if (!time)
    {
        ::GetLocalTime(&now);
        time = &now;
    }
    try
    {
        return static_cast<int>(static_cast<CDebugLogWriter*>(handle)->Write(*time, line));
    }
    catch (...)
    {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
#endif
}

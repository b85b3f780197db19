#include "CaughtException.h"

#include "KvComn_DebugLog.h"
#include "KvComn_Exception.h"
#include "SrvFrwk_Interface.h"

#include <new>

namespace Norquill
{
ULONG CaughtExceptionResult(const char* sourceFile, DWORD line, const wchar_t* operation) noexcept
{
    ULONG result = SrvFrwk::RESULT_FAILED;
    const wchar_t* what = L"unexpected exception";
    DWORD code = 0;
    try
    {
        throw;
    }
    catch (KvCommon::Exception::Base* e)
    {
        what = L"KvCommon exception";
        code = e ? e->GetCode() : 0;
        delete e;
    }
    catch (const std::bad_alloc&)
    {
        what = L"out of memory";
        result = SrvFrwk::RESULT_OUT_OF_MEMORY;
    }
    catch (...)
    {
    }
    ::g_DebugLog.Trace(sourceFile, line, KvCommon::TraceLevel::Error, L"%s - %s [0x%08x], failed: 0x%08X",
                       operation, what, code, result);
    return result;
}
} // namespace Norquill

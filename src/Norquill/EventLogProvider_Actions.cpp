#include "EventLogProvider.h"

#include "EventLogKey.h"
#include "KvComn_Clock.h"
#include "KvComn_DebugLog.h"
#include "KvComn_Handle.h"
#include "KvComn_Reg.h"
#include "LogPurge.h"
#include "LogPurgeRules.h"

#include <objbase.h>
#include <shlobj.h>

#include <memory>

using namespace SrvFrwk;
using namespace SrvFrwk::EventLog;

namespace
{
constexpr ULONGLONG kDayInFileTime = 864000000000ULL;
constexpr int kCommonStartupFolder = 24;
const wchar_t* const kRunKey = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
const wchar_t* const kSetupRunValue = L"qelsetup.exe";
const wchar_t* const kShellFoldersKey =
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
const wchar_t* const kSetupLinkName = L"qelsetup.lnk";

// Uninitializes COM on every exit once CoInitialize has succeeded (S_FALSE included).
struct ComInitTraits
{
    using type = bool;
    static type Invalid() { return false; }
    static void Close(type) { ::CoUninitialize(); }
};
using UniqueComInit = KvCommon::UniqueAny<ComInitTraits>;

struct ShellMallocTraits
{
    using type = IMalloc*;
    static type Invalid() { return nullptr; }
    static void Close(type p) { p->Release(); }
};
using UniqueShellMalloc = KvCommon::UniqueAny<ShellMallocTraits>;

struct ItemListFree
{
    IMalloc* shellMalloc;
    void operator()(ITEMIDLIST* item) const { shellMalloc->Free(item); }
};

bool ToFileTimeValue(const SYSTEMTIME& time, ULONGLONG& value)
{
    FILETIME fileTime;
    if (!::SystemTimeToFileTime(&time, &fileTime))
        return false;
    value = (static_cast<ULONGLONG>(fileTime.dwHighDateTime) << 32) | fileTime.dwLowDateTime;
    return true;
}

// Whole days from last to today; a later stored date wraps to a huge count, and a stored date that is
// no valid date counts as overdue, so the report fires and the stamp is rewritten.
DWORD DaysSince(const SYSTEMTIME& last, const SYSTEMTIME& today)
{
    ULONGLONG lastValue = 0, todayValue = 0;
    if (!ToFileTimeValue(last, lastValue) || !ToFileTimeValue(today, todayValue))
        return MAXDWORD;
    return static_cast<DWORD>((todayValue - lastValue) / kDayInFileTime);
}
} // namespace

ULONG CEventLogProvider::DoDelete(void* _pActionParam, ULONG_PTR, ULONG, ULONG_PTR)
{
    KV_TRACE_FUNC(L"[Enter] CEventLogProvider::DoDelete()...");
    if (!_pActionParam)
    {
        KV_TRACE_ERROR(L"_pActionParam is NULL");
        return RESULT_INVALID_ARG;
    }
    const LogDeleteParam* param = static_cast<const LogDeleteParam*>(_pActionParam);
    CLogPurge cPurgeLogs;
    if (!cPurgeLogs.PurgeEventLogs(param->dwTargetLogType, &param->stDate))
    {
        KV_TRACE_ERROR(L"CEventLogProvider::DoDelete() - cPurgeLogs.PurgeEventLogs() was failed.");
        return RESULT_FAILED;
    }
    KV_TRACE_FUNC(L"[Leave] CEventLogProvider::DoDelete()...");
    return RESULT_SUCCESS;
}

ULONG CEventLogProvider::DoReport()
{
    KV_TRACE_FUNC(L"[Enter] CEventLogProvider::DoReport()...");
    const DWORD flag = EventLogKey::QueryDword(L"ReportAlertFlag", 1);
    const DWORD frequency = EventLogKey::QueryDword(L"GenReportFrequency", 7);
    if (flag != 1)
    {
        KV_TRACE_FUNC(L"CEventLogProvider::DoReport() - Do not set Alert flag to Notify Session Agent");
        return RESULT_SUCCESS;
    }
    SYSTEMTIME lastReport{};
    const ULONG read = EventLogKey::ReadTimeStamp(L"LastReportDate", lastReport);
    if (read != RESULT_SUCCESS)
        return read;

    const SYSTEMTIME today = EventLogKey::TodayAtNoon();
    const DWORD days = DaysSince(lastReport, today);
    if (days < frequency)
    {
        KV_TRACE_FUNC(L"Do not reach the day to generate report [%ld], [%ld]", days, frequency);
        return RESULT_SUCCESS;
    }
    if (m_pControllerContext)
    {
        BYTE scratch[16] = {};
        m_pControllerContext->NotifySessionAgent(TYPE_EVENTLOG, 1, 0, 0, scratch, PROVIDER_TYPE_EVENTLOG, 0,
                                                 0);
        KV_TRACE_FUNC(L"CEventLogProvider::DoReport() - Notify to Session agent");
        EventLogKey::StoreTimeStamp(L"LastReportDate", today);
    }
    KV_TRACE_FUNC(L"[Leave] CEventLogProvider::DoReport()...");
    return RESULT_SUCCESS;
}

ULONG CEventLogProvider::DoEventLogPurge()
{
    KV_TRACE_FUNC(L"[Enter] CEventLogProvider::DoEventLogPurge()...");
    SYSTEMTIME now{};
    KvCommon::Clock::GetLocalTime(&now);
    DWORD age = 0, flag = 0;
    if (!EventLogKey::QuerySetting(L"EventLogPurgeFre", 30, age) ||
        !EventLogKey::QuerySetting(L"EventLogPurgeFlag", 1, flag))
        return RESULT_FAILED;
    if (flag != 1)
    {
        KV_TRACE_FUNC(L"CEventLogProvider::DoEventLogPurge...The Flag is OFF, skip the Event Log Purge");
        KV_TRACE_FUNC(L"[Leave] CEventLogProvider::DoEventLogPurge()...");
        return RESULT_SUCCESS;
    }
    SYSTEMTIME purgeTime{};
    if (!Norquill::LogPurgeRules::DaysBefore(now, age, purgeTime))
    {
        // An age reaching back before 1601: no file can be that old.
        KV_TRACE_FUNC(L"[Leave] CEventLogProvider::DoEventLogPurge()...");
        return RESULT_SUCCESS;
    }
    KV_TRACE_FUNC(L"CEventLogProvider::DoEventLogPurge() Purge Time [%04d%02d%02d]", purgeTime.wYear,
                  purgeTime.wMonth, purgeTime.wDay);
    CLogPurge cPurgeLogs;
    if (!cPurgeLogs.PurgeEventLogs(LOG_ALL, &purgeTime))
    {
        KV_TRACE_ERROR(L"CEventLogProvider::DoEventLogPurge() - cPurgeLogs.PurgeEventLogs() was failed.");
        return RESULT_FAILED;
    }
    KV_TRACE_FUNC(L"[Leave] CEventLogProvider::DoEventLogPurge()...");
    return RESULT_SUCCESS;
}

ULONG CEventLogProvider::DoDebugLogPurge()
{
    KV_TRACE_FUNC(L"[Enter] CEventLogProvider::DoDebugLogPurge()...");
    SYSTEMTIME now{};
    KvCommon::Clock::GetLocalTime(&now);
    DWORD age = 0;
    if (!EventLogKey::QuerySetting(L"DebugLogPurgeFre", 30, age))
        return RESULT_FAILED;
    SYSTEMTIME purgeTime{};
    if (!Norquill::LogPurgeRules::DaysBefore(now, age, purgeTime))
    {
        KV_TRACE_FUNC(L"[Leave] CEventLogProvider::DoDebugLogPurge()...");
        return RESULT_SUCCESS;
    }
    KV_TRACE_FUNC(L"CEventLogProvider::DoDebugLogPurge() Purge Time [%04d%02d%02d]", purgeTime.wYear,
                  purgeTime.wMonth, purgeTime.wDay);
    CLogPurge cPurgeLogs;
    if (!cPurgeLogs.PurgeDebugLogs(&purgeTime))
    {
        KV_TRACE_ERROR(L"CEventLogProvider::DoDebugLogPurge() - cPurgeLogs.PurgeDebugLogs() was failed.");
        return RESULT_FAILED;
    }
    KV_TRACE_FUNC(L"[Leave] CEventLogProvider::DoDebugLogPurge()...");
    return RESULT_SUCCESS;
}

ULONG CEventLogProvider::DoSetupLinkRemove()
{
    KV_TRACE_FUNC(L"[Enter] CEventLogProvider::DoSetupLinkRemove()...");
    // The Run value may already be gone; the shortcut is removed regardless.
    KvCommon::Storage::Reg::DeleteValue(HKEY_LOCAL_MACHINE, kRunKey, kSetupRunValue);

    const HRESULT hr = ::CoInitialize(nullptr);
    if (FAILED(hr))
    {
        KV_TRACE_ERROR(L"*** ::CoInitialize failed. [0x%08x]", hr);
        return RESULT_FAILED;
    }
    UniqueComInit com(true);

    std::wstring path;
    if (!GetSpecialFolder(kCommonStartupFolder, path) && !GetAllUsersStartupFromRegistry(path))
    {
        KV_TRACE_ERROR(L"*** Installer::Helper::GetAllUsersStartupFromRegistry() failed.");
        return RESULT_FAILED;
    }
    if (!path.empty() && path.back() != L'\\')
        path += L'\\';
    path += kSetupLinkName;
    KV_TRACE_INFO(L"Startup lnk path: %s", path.c_str());

    if (!::DeleteFileW(path.c_str()))
    {
        KV_TRACE_ERROR(L"*** ::DeleteFile(%s) failed. [0x%08x]", path.c_str(), ::GetLastError());
        return RESULT_FAILED;
    }
    KV_TRACE_FUNC(L"[Leave] CEventLogProvider::DoSetupLinkRemove()...");
    return RESULT_SUCCESS;
}

bool CEventLogProvider::GetSpecialFolder(int folder, std::wstring& path)
{
    KV_TRACE_FUNC(L"[Enter] CEventLogProvider::GetSpecialFolder");
    UniqueShellMalloc shellMalloc;
    HRESULT hr = ::SHGetMalloc(shellMalloc.put());
    if (FAILED(hr))
    {
        KV_TRACE_ERROR(L"*** ::SHGetMalloc() failed. [0x%08x]", hr);
        return false;
    }
    bool answer = false;
    LPITEMIDLIST rawItem = nullptr;
    hr = ::SHGetSpecialFolderLocation(nullptr, folder, &rawItem);
    if (FAILED(hr))
    {
        KV_TRACE_ERROR(L"*** ::SHGetSpecialFolderLocation() failed. [0x%08x]", hr);
    }
    else
    {
        std::unique_ptr<ITEMIDLIST, ItemListFree> item(rawItem, ItemListFree{shellMalloc.get()});
        wchar_t buffer[MAX_PATH] = {};
        if (::SHGetPathFromIDListW(item.get(), buffer))
        {
            path = buffer;
            answer = true;
        }
        else
        {
            KV_TRACE_ERROR(L"*** ::SHGetPathFromIDList() failed.");
        }
    }
    KV_TRACE_FUNC(L"[Leave] CEventLogProvider::GetSpecialFolder");
    return answer;
}

bool CEventLogProvider::GetAllUsersStartupFromRegistry(std::wstring& path)
{
    KV_TRACE_FUNC(L"[Enter] CEventLogProvider::GetAllUsersStartupFromRegistry");
    path = EventLogKey::QueryString(kShellFoldersKey, L"Common Startup");
    if (path.empty())
        path = EventLogKey::QueryString(kShellFoldersKey, L"Startup");
    if (path.empty())
        return false;
    KV_TRACE_FUNC(L"[Leave] CEventLogProvider::GetAllUsersStartupFromRegistry");
    return true;
}

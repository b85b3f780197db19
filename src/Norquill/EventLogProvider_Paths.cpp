#include "EventLogProvider.h"
#include "Frwk_Utility.h"
#include "KvComn_DebugLog.h"
#include "KvComn_Handle.h"
#include "LogTypes.h"

#include <cerrno>
#include <cstdio>

using namespace SrvFrwk;
using namespace SrvFrwk::EventLog;

namespace
{
constexpr size_t DateDigits = 8;

struct LogDate
{
    WORD wYear = 0;
    WORD wMonth = 0;
    WORD wDay = 0;

    bool IsLaterThan(const LogDate& other) const
    {
        if (wYear != other.wYear)
            return wYear > other.wYear;
        if (wMonth != other.wMonth)
            return wMonth > other.wMonth;
        return wDay > other.wDay;
    }
};

// Dates are deliberately not validated: 20071399 takes part in the comparison as month 13, day 99.
bool ParseLogDate(const std::wstring& digits, LogDate& date)
{
    int year = 0, month = 0, day = 0;
    const int fields = swscanf_s(digits.c_str(), L"%04d%02d%02d", &year, &month, &day);
    if (fields != 3)
    {
        KV_TRACE_ERROR(L"::_stscanf_s() failed: ret(%d), errno(%d)", fields, errno);
        return false;
    }
    KV_TRACE_INFO(L"stTime: %d/%d/%d", year, month, day);
    date.wYear = static_cast<WORD>(year);
    date.wMonth = static_cast<WORD>(month);
    date.wDay = static_cast<WORD>(day);
    return true;
}

} // namespace

ULONG CEventLogProvider::GetLogPath(void* _pPropertyData, ULONG _ulOption, ULONG_PTR)
{
    KV_TRACE_FUNC(L"[Enter] CEventLogProvider::GetLogPath()...");
    auto* pQuery = static_cast<LogPathQuery*>(_pPropertyData);
    if (pQuery == nullptr)
    {
        KV_TRACE_ERROR(L"_pPropertyData is NULL");
        return RESULT_INVALID_ARG;
    }
    ULONG result = RESULT_FAILED;
    const wchar_t* extension = Norquill::GetPathQueryExtension(pQuery->dwLogType);
    if (extension != nullptr)
    {
        const std::wstring folder = Frwk::Utility::GetLogFolder();
        if (_ulOption == 1)
        {
            pQuery->tsLogPath = GetLatestLogPath(folder, extension);
            result = RESULT_SUCCESS;
        }
        else
        {
            // A name too long for the writer is none at all, as the writer and the reader find it.
            pQuery->tsLogPath = Norquill::MakeDayFileName(folder, pQuery->stDate, extension);
            result = pQuery->tsLogPath.empty() ? RESULT_FAILED : RESULT_SUCCESS;
        }
        KV_TRACE_INFO(L"tsLogPath: %s", pQuery->tsLogPath.c_str());
    }
    KV_TRACE_FUNC(L"[Leave] CEventLogProvider::GetLogPath()...");
    return result;
}

std::wstring CEventLogProvider::GetLatestLogPath(const std::wstring& folder, const std::wstring& extension)
{
    KV_TRACE_FUNC(L"[Enter] CEventLogProvider::GetLatestLogPath()...");
    const std::wstring pattern = folder + L"*." + extension;
    KV_TRACE_INFO(L"tsFindFile: %s", pattern.c_str());
    WIN32_FIND_DATAW entry{};
    KvCommon::UniqueFindHandle find(FindFirstFileW(pattern.c_str(), &entry));
    if (!find)
    {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND)
            KV_TRACE_INFO(L"no log file found");
        else
            KV_TRACE_ERROR(L"::FindFirstFile() failed: 0x%08X", error);
        return std::wstring();
    }
    LogDate best;
    std::wstring bestName;
    do
    {
        const std::wstring name = entry.cFileName;
        KV_TRACE_INFO(L"cFileName: %s", name.c_str());
        if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ||
            name.size() != extension.size() + DateDigits + 1)
            continue;
        const std::wstring digits = name.substr(0, DateDigits);
        KV_TRACE_INFO(L"tsDate: %s", digits.c_str());
        LogDate date;
        if (ParseLogDate(digits, date) && date.IsLaterThan(best))
        {
            best = date;
            bestName = name;
        }
    } while (FindNextFileW(find.get(), &entry));
    const DWORD error = GetLastError();
    if (error != ERROR_NO_MORE_FILES)
        KV_TRACE_ERROR(L"::FindNextFile() failed: 0x%08X", error);
    find.reset();
    if (bestName.empty())
    {
        KV_TRACE_INFO(L"no log file found");
        return std::wstring();
    }
    const std::wstring latest = folder + bestName;
    KV_TRACE_INFO(L"tsLatestFile: %s", latest.c_str());
    KV_TRACE_FUNC(L"[Leave] CEventLogProvider::GetLatestLogPath()...");
    return latest;
}

// CLogLocation: a kind's day file asked of the plug-in, its folder checked for use, and the folder's day
// files listed by day.
#include "LogLocation.h"

#include "LogsFolder.h"
#include "ResultCodes.h"
#include "Text.h"

#include "KvCommon/KvComn_Handle.h"

#include <algorithm>

namespace NqHost
{
bool CLogLocation::Find(CommandContext& context, const CRecordKind& kind)
{
    auto* provider = context.host.Provider();
    if (!provider)
        return false;
    SrvFrwk::EventLog::LogPathQuery query;
    query.stDate = Text::Today();
    query.dwLogType = kind.LogType();
    ULONG result =
        provider->QueryData(SrvFrwk::EventLog::TYPE_EVENTLOG, SrvFrwk::EventLog::DATA_LOG_PATH, &query, 0, 0);
    const std::wstring& path = query.tsLogPath;
    size_t slash = path.find_last_of(L'\\');
    size_t dot = path.find_last_of(L'.');
    if (SrvFrwk::Failed(result) || dot == std::wstring::npos || (slash != std::wstring::npos && dot < slash))
    {
        context.output.Result(Text::Format(L"QueryData(%lu, %lu = path) of %s",
                                           SrvFrwk::EventLog::TYPE_EVENTLOG, SrvFrwk::EventLog::DATA_LOG_PATH,
                                           kind.Name().c_str()),
                              SrvFrwk::Failed(result) ? result : SrvFrwk::RESULT_FAILED);
        return false;
    }
    m_folder = CLogsFolder::Shown(slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1));
    m_extension = path.substr(dot + 1);
    return true;
}

bool CLogLocation::Usable(COutput& output, const std::wstring& folder)
{
    const std::wstring bare = folder.substr(0, folder.find_last_not_of(L'\\') + 1);
    const DWORD attributes = GetFileAttributesW(bare.empty() ? L"." : bare.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
    {
        output.Failure(L"the log folder " + folder + L" cannot be used: " +
                       ResultCodes::Describe(GetLastError()));
        return false;
    }
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY))
    {
        output.Failure(L"the log folder " + folder + L" is a file, not a folder");
        return false;
    }
    WIN32_FIND_DATAW data;
    KvCommon::UniqueFindHandle find(FindFirstFileW((folder + L"*").c_str(), &data));
    if (!find && GetLastError() != ERROR_FILE_NOT_FOUND)
    {
        output.Failure(L"the log folder " + folder + L" cannot be listed: " +
                       ResultCodes::Describe(GetLastError()));
        return false;
    }
    return true;
}

std::wstring CLogLocation::DayFile(const SYSTEMTIME& day) const
{
    return Text::Format(L"%s%08lu.%s", m_folder.c_str(), Text::DayKey(day), m_extension.c_str());
}

std::map<DWORD, std::wstring> CLogLocation::ListDayFiles(std::vector<std::wstring>* misnamed) const
{
    std::map<DWORD, std::wstring> files;
    WIN32_FIND_DATAW data;
    KvCommon::UniqueFindHandle find(FindFirstFileW((m_folder + L"*." + m_extension).c_str(), &data));
    if (!find)
        return files;
    do
    {
        std::wstring name = data.cFileName;
        const size_t stem = name.size() - std::min(name.size(), m_extension.size() + 1);
        if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ||
            !Text::EqualsNoCase(name.substr(stem), L"." + m_extension))
            continue;
        SYSTEMTIME day;
        if (stem == 8 &&
            Text::ParseDate(name.substr(0, 4) + L"-" + name.substr(4, 2) + L"-" + name.substr(6, 2), day))
            files[Text::DayKey(day)] = m_folder + name;
        else if (misnamed)
            misnamed->push_back(m_folder + name);
    } while (FindNextFileW(find.get(), &data));
    return files;
}
} // namespace NqHost

#include "LogPurge.h"

#include "EventLogKey.h"
#include "Frwk_Utility.h"
#include "KvComn_DebugLog.h"
#include "KvComn_Handle.h"
#include "KvComn_Mutex.h"
#include "LogTypes.h"
#include "SrvFrwk_EventLog.h"

#include <cwchar>

namespace
{
const wchar_t* const kLogPurgeMutex = L"BRQ16_LOGPURGE_MUTEX";
const wchar_t* const kDebugLogPurgeMutex = L"BRQ16_DEBUGLOGPURGE_MUTEX";
const wchar_t* const kInteractiveDebugLogKey =
    L"Software\\Kelvanor\\Brisqual\\16\\DebugLog\\InteractiveSession";

constexpr size_t kEventLogNameLength = 12;
constexpr size_t kDateLength = 8;
constexpr size_t kExtensionLength = 3;
constexpr size_t kDebugLogMinLength = 9;

// The cut-off day as the eight characters that a file name's date is compared with.
class CutOffText
{
public:
    explicit CutOffText(const SYSTEMTIME& cutOff)
    {
        // At most eight characters: a year beyond four digits is cut.
        _snwprintf_s(m_text, kDateLength + 1, kDateLength, L"%04d%02d%02d", cutOff.wYear, cutOff.wMonth,
                     cutOff.wDay);
    }
    const wchar_t* c_str() const { return m_text; }

private:
    wchar_t m_text[kDateLength + 1] = L"YYYYMMDD";
};

// Calls visit(name, length) for every entry of the folder that is not a directory.
template <class Visit> void ForEachFile(const std::wstring& folder, Visit visit)
{
    WIN32_FIND_DATAW data;
    KvCommon::UniqueFindHandle find(::FindFirstFileW((folder + L"*.*").c_str(), &data));
    if (!find)
        return;
    do
    {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            visit(data.cFileName, wcslen(data.cFileName));
    } while (::FindNextFileW(find.get(), &data));
}

bool HasListedExtension(const wchar_t* name, size_t length, const std::vector<std::wstring>& extensions)
{
    const wchar_t* extension = name + length - kExtensionLength;
    for (const std::wstring& candidate : extensions)
    {
        if (_wcsicmp(extension, candidate.c_str()) == 0)
            return true;
    }
    return false;
}

bool IsDebugLogName(const wchar_t* name, size_t length, const std::vector<std::wstring>& extensions)
{
    if (length < kDebugLogMinLength)
    {
        KV_TRACE_INFO(L"not debug log filename: %s", name);
        return false;
    }
    return name[kDebugLogMinLength - 1] == L'_' && HasListedExtension(name, length, extensions);
}

// Read-only files must go too, so the attributes are cleared first. 0 or the Win32 error.
DWORD DeleteLogFile(const std::wstring& path)
{
    ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    return ::DeleteFileW(path.c_str()) ? 0 : ::GetLastError();
}
} // namespace

bool CLogPurge::PurgeEventLogs(DWORD _dwTargetLogType, const SYSTEMTIME* _pstDate)
{
    KV_TRACE_FUNC(L"[Enter] CLogPurge::PurgeEventLogs()...");
    const bool automatic = _dwTargetLogType == SrvFrwk::EventLog::LOG_ALL;
    if (automatic && KvCommon::Synchronize::Mutex::Exists(kLogPurgeMutex))
    {
        KV_TRACE_INFO(L"CLogPurge::PurgeEventLogs() - Auto Log purge is already running.");
        return false;
    }
    // Held without waiting: its existence alone tells other purges that this one runs.
    KvCommon::Synchronize::Mutex mtxLogPurge;
    if (automatic && !mtxLogPurge.Create(kLogPurgeMutex))
    {
        KV_TRACE_ERROR(L"CLogPurge::PurgeEventLogs() - mtxLogPurge.Create() was failed.");
        return false;
    }
    std::vector<std::wstring> extensions;
    if (!GetExtensionStringList(extensions, _dwTargetLogType))
    {
        KV_TRACE_ERROR(
            L"CLogPurge::PurgeEventLogs() - this->GetExtensionStringList() failed _dwTargetLogType[%d].",
            _dwTargetLogType);
        return false;
    }
    if (!_pstDate)
        return false;

    bool result = true;
    const std::wstring folder = Frwk::Utility::GetLogFolder();
    std::wstring path;
    ForEachFile(folder,
                [&](const wchar_t* name, size_t length)
                {
                    if (length != kEventLogNameLength)
                    {
                        KV_TRACE_INFO(L"invalid log filename: %s", name);
                        return;
                    }
                    if (!HasListedExtension(name, length, extensions) ||
                        !IsOlderOrEqualEventLog(std::wstring(name, length), *_pstDate))
                        return;
                    path.assign(folder).append(name, length);
                    if (DWORD error = DeleteLogFile(path))
                    {
                        KV_TRACE_ERROR(L"CLogPurge::PurgeEventLogs() - ::DeleteFile() was failed. [0x%08x]",
                                       error);
                        result = false;
                    }
                });
    KV_TRACE_FUNC(L"[Leave] CLogPurge::PurgeEventLogs()...");
    return result;
}

bool CLogPurge::PurgeDebugLogs(const SYSTEMTIME* _pstDate)
{
    KV_TRACE_FUNC(L"[Enter] CLogPurge::PurgeDebugLogs()...");
    if (KvCommon::Synchronize::Mutex::Exists(kDebugLogPurgeMutex))
    {
        KV_TRACE_INFO(L"CLogPurge::PurgeDebugLogs() - Auto Log purge is already running.");
        return false;
    }
    KvCommon::Synchronize::Mutex mtxLogPurge;
    if (!mtxLogPurge.Create(kDebugLogPurgeMutex))
    {
        KV_TRACE_ERROR(L"CLogPurge::PurgeDebugLogs() - mtxLogPurge.Create() was failed.");
        return false;
    }
    if (!_pstDate)
        return false;

    const std::vector<std::wstring> extensions{L"log"};
    bool result = PurgeDebugLogFolder(Frwk::Utility::GetLogFolder(), extensions, *_pstDate, false);

    // Without a configured folder the pass is skipped: a relative pattern would search the host's
    // current folder, which holds nobody's debug logs.
    std::wstring sessionFolder = EventLogKey::QueryString(kInteractiveDebugLogKey, L"LogFolder");
    if (!sessionFolder.empty())
    {
        if (sessionFolder.back() != L'\\')
            sessionFolder += L'\\';
        KV_TRACE_FUNC(L"CLogPurge Log Folder[%s]", (sessionFolder + L"*.*").c_str());
        if (!PurgeDebugLogFolder(sessionFolder, extensions, *_pstDate, true))
            result = false;
    }
    KV_TRACE_FUNC(L"[Leave] CLogPurge::PurgeDebugLogs()...");
    return result;
}

bool CLogPurge::PurgeDebugLogFolder(const std::wstring& folder, const std::vector<std::wstring>& extensions,
                                    const SYSTEMTIME& cutOff, bool sessionFolder)
{
    bool result = true;
    std::wstring path;
    ForEachFile(folder,
                [&](const wchar_t* name, size_t length)
                {
                    if (!IsDebugLogName(name, length, extensions) ||
                        !IsOlderOrEqualDebugLog(std::wstring(name, length), cutOff))
                        return;
                    path.assign(folder).append(name, length);
                    if (sessionFolder)
                        KV_TRACE_FUNC(L"CLogPurge Delete Session log [%s]", path.c_str());
                    if (DWORD error = DeleteLogFile(path))
                    {
                        KV_TRACE_ERROR(L"CLogPurge::PurgeDebugLogs() - ::DeleteFile() was failed. [0x%08x]",
                                       error);
                        result = false;
                    }
                });
    return result;
}

bool CLogPurge::GetExtensionStringList(std::vector<std::wstring>& list, DWORD _dwTargetLogType)
{
    return Norquill::GetPurgeExtensions(_dwTargetLogType, list);
}

bool CLogPurge::IsOlderOrEqualEventLog(const std::wstring& fileName, const SYSTEMTIME& cutOff)
{
    if (fileName.size() < kDateLength)
        return false;
    const std::wstring date = fileName.substr(0, kDateLength);
    const CutOffText cutOffText(cutOff);
    KV_TRACE_INFO(L"CLogPurge::IsOlderOrEqualEventLog() Compare date: %s, %s", date.c_str(),
                  cutOffText.c_str());
    return _wcsicmp(date.c_str(), cutOffText.c_str()) <= 0;
}

bool CLogPurge::IsOlderOrEqualDebugLog(const std::wstring& fileName, const SYSTEMTIME& cutOff)
{
    if (fileName.size() < kDateLength)
        return false;
    // Day first: DDMMYYYY becomes YYYYMMDD.
    const std::wstring date = fileName.substr(4, 4) + fileName.substr(2, 2) + fileName.substr(0, 2);
    const CutOffText cutOffText(cutOff);
    KV_TRACE_INFO(L"CLogPurge::IsOlderOrEqualDebugLog() Compare date: %s, %s", date.c_str(),
                  cutOffText.c_str());
    return _wcsicmp(date.c_str(), cutOffText.c_str()) <= 0;
}

#include "LogPurge.h"

#include "DaySeal.h"
#include "EventLogKey.h"
#include "Frwk_Utility.h"
#include "KvComn_DebugLog.h"
#include "KvComn_Handle.h"
#include "KvComn_Mutex.h"
#include "KvComn_SharingRetry.h"
#include "KvComn_String.h"
#include "LogPurgeRules.h"
#include "LogTypes.h"
#include "SrvFrwk_EventLog.h"

#include <atomic>
#include <iterator>
#include <cwchar>

namespace
{
const wchar_t* const kLogPurgeMutex = L"BRQ16_LOGPURGE_MUTEX";
const wchar_t* const kDebugLogPurgeMutex = L"BRQ16_DEBUGLOGPURGE_MUTEX";
const wchar_t* const kInteractiveDebugLogKey =
    L"Software\\Kelvanor\\Brisqual\\16\\DebugLog\\InteractiveSession";

using namespace Norquill::LogPurgeRules;

void TraceCompare(const wchar_t* format, const std::wstring& date, const SYSTEMTIME& cutOff)
{
    KV_TRACE_INFO(format, date.c_str(), CutOffText(cutOff).c_str());
}

// A name of its own in the file's folder, which no purge and no reader takes for a log.
std::wstring DoomedName(const std::wstring& path, ULONG serial)
{
    const size_t slash = path.find_last_of(L"\\/");
    const size_t nameAt = slash == std::wstring::npos ? 0 : slash + 1;
    std::wstring doomed;
    KvCommon::String::Format(doomed, L"~%s.%lx-%lx.deleted", path.c_str() + nameAt, ::GetCurrentProcessId(),
                             serial);
    return path.substr(0, nameAt) + doomed;
}

// A day moved aside and not yet gone: a process that ended between the move and the delete left it.
bool IsDoomed(const wchar_t* name, size_t length)
{
    static const wchar_t kEnd[] = L".deleted";
    const size_t end = std::size(kEnd) - 1;
    return length > end && name[0] == L'~' && wcscmp(name + length - end, kEnd) == 0;
}

// Moves the file out of its name, waiting out a writer's append. 0 or the Win32 error.
DWORD MoveAside(const std::wstring& path, std::wstring& doomed)
{
    static std::atomic<ULONG> serial{0};
    DWORD error = 0;
    KvCommon::Storage::SharingRetry::Run(
        [&](DWORD& e)
        {
            doomed = DoomedName(path, ++serial);
            e = ::MoveFileExW(path.c_str(), doomed.c_str(), 0) ? 0 : ::GetLastError();
            return e == 0;
        },
        error);
    return error;
}

// The name is free for the next writer at once. A file nobody holds is opened alone, so that nobody can open
// it meanwhile, and goes when it is closed. A plain delete of a file that a reader still holds would keep the
// name until the reader closes it, and whatever a writer appended meanwhile would go with it: such a file
// goes to a name of its own first (a rename costs far more than a delete in a large folder, so only then) and
// is deleted there, when its last reader closes it. Read-only files must go too, so the attributes are
// cleared first. 0 or the Win32 error; on a failure the file stays under its name.
DWORD DeleteDayFile(const std::wstring& path)
{
    ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    KvCommon::UniqueFileHandle alone(
        ::CreateFileW(path.c_str(), DELETE, 0, nullptr, OPEN_EXISTING, FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    const DWORD held = alone ? 0 : ::GetLastError();
    if (held != ERROR_SHARING_VIOLATION)
        return held; // gone when alone closes, or not there to delete
    std::wstring doomed;
    if (DWORD error = MoveAside(path, doomed))
    {
        KV_TRACE_ERROR(L"CLogPurge: ::MoveFileEx(%s) failed. [0x%08x]", path.c_str(), error);
        return error;
    }
    if (::DeleteFileW(doomed.c_str()))
        return 0;
    const DWORD error = ::GetLastError();
    ::MoveFileExW(doomed.c_str(), path.c_str(), 0);
    return error;
}

// A debug log has one writer, the trace library of today, and no reader to wait for.
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
    // Once for the whole purge: under Wine a look for a name that is not there reads the whole folder.
    const bool sealed = CDaySeal::IsOn(folder);
    std::wstring path;
    ForEachFile(folder,
                [&](const wchar_t* name, size_t length)
                {
                    if (IsDoomed(name, length))
                    {
                        path.assign(folder).append(name, length);
                        ::DeleteFileW(path.c_str()); // still read: it goes with its reader
                        return;
                    }
                    const Verdict verdict = JudgeEventLog(name, length, extensions, *_pstDate);
                    if (verdict == Verdict::WrongName)
                        KV_TRACE_INFO(L"invalid log filename: %s", name);
                    if (verdict == Verdict::Newer || verdict == Verdict::Remove)
                        TraceCompare(L"CLogPurge::IsOlderOrEqualEventLog() Compare date: %s, %s",
                                     EventLogDate(name), *_pstDate);
                    if (verdict != Verdict::Remove)
                        return;
                    path.assign(folder).append(name, length);
                    if (DWORD error = DeleteDayFile(path))
                    {
                        KV_TRACE_ERROR(L"CLogPurge::PurgeEventLogs() - ::DeleteFile() was failed. [0x%08x]",
                                       error);
                        result = false;
                        return;
                    }
                    // Its seals go with it, recorded, so that verify tells a purge from a removal.
                    DWORD error = 0;
                    if (sealed && !CDaySeal::Removed(folder, std::wstring(name, length), error))
                    {
                        KV_TRACE_ERROR(L"CLogPurge::PurgeEventLogs() - seals of %s not removed. [0x%08x]",
                                       name, error);
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

    const std::vector<std::wstring> extensions = DebugLogExtensions();
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
                    const Verdict verdict = JudgeDebugLog(name, length, extensions, cutOff);
                    if (verdict == Verdict::WrongName)
                        KV_TRACE_INFO(L"not debug log filename: %s", name);
                    if (verdict == Verdict::Newer || verdict == Verdict::Remove)
                        TraceCompare(L"CLogPurge::IsOlderOrEqualDebugLog() Compare date: %s, %s",
                                     DebugLogDate(name), cutOff);
                    if (verdict != Verdict::Remove)
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
    return PurgeExtensions(_dwTargetLogType, list);
}

bool CLogPurge::IsOlderOrEqualEventLog(const std::wstring& fileName, const SYSTEMTIME& cutOff)
{
    if (fileName.size() < kDateLength)
        return false;
    TraceCompare(L"CLogPurge::IsOlderOrEqualEventLog() Compare date: %s, %s", EventLogDate(fileName), cutOff);
    return IsOnOrBefore(EventLogDate(fileName), cutOff);
}

bool CLogPurge::IsOlderOrEqualDebugLog(const std::wstring& fileName, const SYSTEMTIME& cutOff)
{
    if (fileName.size() < kDateLength)
        return false;
    TraceCompare(L"CLogPurge::IsOlderOrEqualDebugLog() Compare date: %s, %s", DebugLogDate(fileName), cutOff);
    return IsOnOrBefore(DebugLogDate(fileName), cutOff);
}

#pragma once
// Which files a delete or a purge removes: the one set of rules for the plug-in and for a host that shows
// beforehand what an action would remove. Header-only, so that such a host need not link the plug-in.
#include "KvCommon/KvComn_Handle.h"
#include "LogKindTable.h"

#include <windows.h>

#include <algorithm>
#include <cwchar>
#include <string>
#include <vector>

namespace Norquill
{
namespace LogPurgeRules
{
constexpr size_t kEventLogNameLength = 12;
constexpr size_t kDateLength = 8;
constexpr size_t kExtensionLength = 3;
constexpr size_t kDebugLogMinLength = 9;
constexpr ULONGLONG kDayInFileTime = 864000000000ULL;

// What a name is to a purge: not a name of the files it looks for, another type's, newer than the
// cut-off, or to be removed. Dates of names with the right shape are compared, newer or not.
enum class Verdict
{
    WrongName,
    OtherType,
    Newer,
    Remove
};

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

// Clears the list and fills in the extensions one purge searches: the type's own, or for 100 every
// type's in the order other components expect. False (list empty) for a code that names no type.
inline bool PurgeExtensions(DWORD logType, std::vector<std::wstring>& list)
{
    list.clear();
    if (logType == SrvFrwk::EventLog::LOG_ALL)
    {
        std::vector<const LogKindRow*> rows;
        for (const LogKindRow& row : kLogKinds)
        {
            if (row.purgeRank > 0)
                rows.push_back(&row);
        }
        std::sort(rows.begin(), rows.end(),
                  [](const LogKindRow* a, const LogKindRow* b) { return a->purgeRank < b->purgeRank; });
        for (const LogKindRow* row : rows)
            list.push_back(row->extension);
        return true;
    }
    const LogKindRow* row = FindLogType(logType);
    if (!row)
        return false;
    list.push_back(row->extension);
    return true;
}

inline bool HasListedExtension(const wchar_t* name, size_t length,
                               const std::vector<std::wstring>& extensions)
{
    const wchar_t* extension = name + length - kExtensionLength;
    for (const std::wstring& candidate : extensions)
    {
        if (_wcsicmp(extension, candidate.c_str()) == 0)
            return true;
    }
    return false;
}

// The characters are compared as text, not checked to be digits.
inline bool IsOnOrBefore(const std::wstring& date, const SYSTEMTIME& cutOff)
{
    return _wcsicmp(date.c_str(), CutOffText(cutOff).c_str()) <= 0;
}

// YYYYMMDD of an event log's name (YYYYMMDD.EXT); empty for a shorter name.
inline std::wstring EventLogDate(const std::wstring& fileName)
{
    return fileName.size() < kDateLength ? std::wstring() : fileName.substr(0, kDateLength);
}

// YYYYMMDD of a debug log's day-first name (DDMMYYYY_...); empty for a shorter name.
inline std::wstring DebugLogDate(const std::wstring& fileName)
{
    if (fileName.size() < kDateLength)
        return std::wstring();
    return fileName.substr(4, 4) + fileName.substr(2, 2) + fileName.substr(0, 2);
}

inline Verdict JudgeEventLog(const wchar_t* name, size_t length, const std::vector<std::wstring>& extensions,
                             const SYSTEMTIME& cutOff)
{
    if (length != kEventLogNameLength)
        return Verdict::WrongName;
    if (!HasListedExtension(name, length, extensions))
        return Verdict::OtherType;
    return IsOnOrBefore(EventLogDate(std::wstring(name, length)), cutOff) ? Verdict::Remove : Verdict::Newer;
}

inline Verdict JudgeDebugLog(const wchar_t* name, size_t length, const std::vector<std::wstring>& extensions,
                             const SYSTEMTIME& cutOff)
{
    if (length < kDebugLogMinLength)
        return Verdict::WrongName;
    if (name[kDebugLogMinLength - 1] != L'_' || !HasListedExtension(name, length, extensions))
        return Verdict::OtherType;
    return IsOnOrBefore(DebugLogDate(std::wstring(name, length)), cutOff) ? Verdict::Remove : Verdict::Newer;
}

// The extensions the debug-log purge takes.
inline std::vector<std::wstring> DebugLogExtensions()
{
    return {L"log"};
}

// now minus the given number of days; false when the result is no valid date. An age reaching back
// past the earliest file time must not wrap round to a cut-off near today.
inline bool DaysBefore(const SYSTEMTIME& now, DWORD days, SYSTEMTIME& result)
{
    FILETIME fileTime;
    if (!::SystemTimeToFileTime(&now, &fileTime))
        return false;
    ULONGLONG value = (static_cast<ULONGLONG>(fileTime.dwHighDateTime) << 32) | fileTime.dwLowDateTime;
    if (days > value / kDayInFileTime)
        return false;
    value -= static_cast<ULONGLONG>(days) * kDayInFileTime;
    fileTime = {static_cast<DWORD>(value), static_cast<DWORD>(value >> 32)};
    return ::FileTimeToSystemTime(&fileTime, &result) != FALSE;
}

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
} // namespace LogPurgeRules
} // namespace Norquill

#pragma once
#include <windows.h>

#include <string>
#include <vector>

// Deletes event-log and debug-log files dated on or before a cut-off day. The automatic purge of all
// event logs and every debug-log purge mark themselves with a session-local named mutex, so a second
// purge of the same kind gives up instead of waiting.
class CLogPurge
{
public:
    CLogPurge() = default;
    CLogPurge(const CLogPurge&) = delete;
    CLogPurge& operator=(const CLogPurge&) = delete;
    virtual ~CLogPurge() = default;

    // True when every matching file went (also when there was none); false when the purge did not run
    // or a deletion failed. Only year, month and day of the cut-off count.
    bool PurgeEventLogs(DWORD _dwTargetLogType, const SYSTEMTIME* _pstDate);
    bool PurgeDebugLogs(const SYSTEMTIME* _pstDate);

    // Clears the list; false (list empty) for a code that names no log type.
    bool GetExtensionStringList(std::vector<std::wstring>& list, DWORD _dwTargetLogType);

    // The date in the name (YYYYMMDD..., or DDMMYYYY_... for debug logs) is on or before the cut-off.
    // The characters are compared as text, not checked to be digits.
    bool IsOlderOrEqualEventLog(const std::wstring& fileName, const SYSTEMTIME& cutOff);
    bool IsOlderOrEqualDebugLog(const std::wstring& fileName, const SYSTEMTIME& cutOff);

private:
    bool PurgeDebugLogFolder(const std::wstring& folder, const std::vector<std::wstring>& extensions,
                             const SYSTEMTIME& cutOff, bool sessionFolder);
};

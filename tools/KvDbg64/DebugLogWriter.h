#pragma once
#include "KvComn_Handle.h"
#include "KvComn_KvDbg.h"

#include <windows.h>
#include <string>

// One trace client's debug-log files: a daily UTF-16 file per module. A file has one writer at a time
// (share read only); a process that cannot get the day's file within a short wait writes its own file
// for that day instead, named with its process id.
class CDebugLogWriter
{
public:
    // Without LogFolder the files go to the plug-in's log folder; without LogExtension they end in "log".
    explicit CDebugLogWriter(const KvCommon::KvDbgSettings& settings);
    ~CDebugLogWriter();
    CDebugLogWriter(const CDebugLogWriter&) = delete;
    CDebugLogWriter& operator=(const CDebugLogWriter&) = delete;

    // Appends line to the file of time's day; 0 or the Win32 error code of the failure.
    DWORD Write(const SYSTEMTIME& time, const wchar_t* line);
    // DDMMYYYY_ + prefix + name + "." + extension.
    std::wstring FileNameFor(const SYSTEMTIME& time, bool ownFile) const;

private:
    void StartDay(const SYSTEMTIME& time);
    DWORD OpenFile();
    DWORD OpenWithRetry(const std::wstring& path);
    DWORD OpenHandle(const std::wstring& path);
    void CloseFile();

    std::wstring m_strFolder; // ends in "\"
    std::wstring m_strStem;   // prefix + module (or LogFile)
    std::wstring m_strExtension;
    bool m_bRobust;
    bool m_bDebugger;
    bool m_bOwnFile = false; // every process writes its own file (LogProcess), or the shared one was busy
    bool m_bFellBack = false;
    CRITICAL_SECTION m_lock;
    DWORD m_dwDay = 0; // YYYYMMDD of the paths below
    std::wstring m_strSharedPath;
    std::wstring m_strOwnPath;
    KvCommon::UniqueFileHandle m_file;
};

#pragma once
#include "KvComn_Handle.h"
#include "KvComn_KvDbg.h"

#include <windows.h>
#include <string>

// One trace client's debug-log files: a daily UTF-16 file per module, shared by every writer of the same
// name in any process through a named mutex.
class CDebugLogWriter
{
public:
    // libraryFolder: the folder of this library, used when the settings name no LogFolder.
    CDebugLogWriter(const KvCommon::KvDbgSettings& settings, const std::wstring& libraryFolder);
    ~CDebugLogWriter();
    CDebugLogWriter(const CDebugLogWriter&) = delete;
    CDebugLogWriter& operator=(const CDebugLogWriter&) = delete;

    // Appends line to the file of time's day; 0 or the Win32 error code of the failure.
    DWORD Write(const SYSTEMTIME& time, const wchar_t* line);
    // DDMMYYYY_ + prefix + name + "." + extension (no "." without an extension).
    std::wstring FileNameFor(const SYSTEMTIME& time) const;
    const std::wstring& Folder() const { return m_strFolder; }

private:
    DWORD Prepare(const std::wstring& path);
    DWORD Append(const wchar_t* line);
    void CloseFile();

    std::wstring m_strFolder; // ends in "\"
    std::wstring m_strStem;   // prefix + module (+ "_" + process id)
    std::wstring m_strExtension;
    bool m_bRobust;
    bool m_bDebugger;
    CRITICAL_SECTION m_lock;
    std::wstring m_strPath; // file the handles below belong to
    KvCommon::UniqueFileHandle m_file;
    KvCommon::UniqueHandle m_mutex;
};

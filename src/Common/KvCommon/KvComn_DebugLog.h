#pragma once
#include "KvComn_CriticalSection.h"
#include "KvComn_Exception.h"
#include "KvComn_KvDbg.h"
#include "KvComn_StorageKey.h"

#include <string>

namespace KvCommon
{
namespace TraceLevel
{
enum : DWORD
{
    Function = 1, // ".w." enter and leave lines
    Info = 16,    // "@@@"
    Error = 256,  // "!!!"
};
}

// The session choice of the trace settings, a pure function of the platform's answers: true for the
// service session ("ServiceSession"), false for "InteractiveSession".
bool IsServiceSessionChoice(bool versionOk, bool nt5OrLater, bool major6OrLater, bool sessionOk,
                            DWORD session, bool localSystem);

// The module's debug trace: decides whether a line is wanted, formats it and hands it to KvDbg64.dll.
class DebugLog
{
public:
    DebugLog() = default;
    DebugLog(const DebugLog&) = delete;
    DebugLog& operator=(const DebugLog&) = delete;
    virtual ~DebugLog() = default;

    // True when tracing is ready, or switched off by the settings.
    bool Initialize(const std::wstring& moduleName, const Storage::Key& settingsKey,
                    const std::wstring& libraryFolder);
    bool Uninitialize();
    // True when the library took the line or tracing is off; false when not initialized, masked out
    // or the library failed. sourceFile: only its file-name part is printed.
    bool Trace(const char* sourceFile, DWORD line, DWORD level, const wchar_t* format, ...);

    // One finished line (without trace-state checks); exposed for tests.
    bool FormatLine(std::wstring& out, const SYSTEMTIME& time, const char* fileName, DWORD line, DWORD level,
                    const std::wstring& message) const;

private:
    bool ReadSettings(const Storage::Key& settingsKey, KvDbgSettings& record, bool& enable, DWORD& level);
    bool LoadLibraryAndStart(const std::wstring& libraryFolder, KvDbgSettings& record);

    bool m_bInitialized = false;
    bool m_bEnabled = false;
    DWORD m_dwLevelMask = 0;
    Synchronize::CriticalSection m_stateLock;
    std::wstring m_strModuleName;
    Library::KvDbg m_library;
    void* m_pLibraryHandle = nullptr;
    Synchronize::CriticalSection m_outputLock;
};
} // namespace KvCommon

// The process-wide trace object, constructed before the module's entry point runs.
extern KvCommon::DebugLog g_DebugLog;

#define KV_TRACE(level, ...) ::g_DebugLog.Trace(KV_SOURCE_FILE, __LINE__, (level), __VA_ARGS__)
#define KV_TRACE_FUNC(...) KV_TRACE(::KvCommon::TraceLevel::Function, __VA_ARGS__)
#define KV_TRACE_INFO(...) KV_TRACE(::KvCommon::TraceLevel::Info, __VA_ARGS__)
#define KV_TRACE_ERROR(...) KV_TRACE(::KvCommon::TraceLevel::Error, __VA_ARGS__)

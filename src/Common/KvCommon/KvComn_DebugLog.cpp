#include "KvComn_DebugLog.h"

#include "KvComn_Clock.h"
#include "KvComn_IniFile.h"
#include "KvComn_Registry.h"
#include "KvComn_SecurityAttributes.h"
#include "KvComn_SingleLock.h"
#include "KvComn_String.h"
#include "KvComn_System.h"

#include <shlwapi.h>
#include <memory>
#include <new>

KvCommon::DebugLog g_DebugLog;

namespace KvCommon
{
namespace
{
constexpr DWORD kConditionNt5OrLater = 11;
constexpr DWORD kConditionMajor6OrLater = 15;

// Overlong registry text is cut to the field; the field always ends in a NUL.
template <size_t N> void CopyField(WCHAR (&field)[N], const std::wstring& text)
{
    const size_t count = text.size() < N ? text.size() : N - 1;
    text.copy(field, count);
    field[count] = L'\0';
}

const wchar_t* LevelTag(DWORD level)
{
    switch (level)
    {
    case TraceLevel::Function:
        return L".w.";
    case TraceLevel::Info:
        return L"@@@";
    case TraceLevel::Error:
        return L"!!!";
    default:
        return L"???";
    }
}

bool IsServiceSession()
{
    DWORD condition = kConditionNt5OrLater;
    const bool nt5OrLater = System::IsOsVersion(condition);
    condition = kConditionMajor6OrLater;
    const bool major6OrLater = nt5OrLater && System::IsOsVersion(condition);
    const bool versionOk = System::GetVersionError() == 0;
    DWORD session = 0xFFFFFFFF;
    bool sessionOk = false;
    bool localSystem = false;
    if (versionOk && nt5OrLater)
    {
        if (major6OrLater)
            sessionOk = System::GetProcessSessionId(session);
        else if (!AccessControl::IsLocalSystem(localSystem))
            localSystem = false; // a failed check counts as not LocalSystem
    }
    return IsServiceSessionChoice(versionOk, nt5OrLater, major6OrLater, sessionOk, session, localSystem);
}

std::unique_ptr<Storage::Base> CreateStorage(DWORD kind)
{
    if (kind == Storage::KindRegistry || kind == Storage::KindRegistryAlt)
        return std::unique_ptr<Storage::Base>(new (std::nothrow) Storage::Registry);
    if (kind == Storage::KindIniFile)
        return std::unique_ptr<Storage::Base>(new (std::nothrow) Storage::IniFile);
    return nullptr;
}

DWORD QueryDword(Storage::Base& storage, const wchar_t* name, DWORD def)
{
    return storage.QueryValue(name, def);
}

template <size_t N>
void QueryText(Storage::Base& storage, const wchar_t* name, const wchar_t* def, WCHAR (&field)[N])
{
    CopyField(field, storage.QueryValue(std::wstring(name), std::wstring(def)));
}

void ReadValues(Storage::Base& storage, KvDbgSettings& record, bool& enable, DWORD& level)
{
    enable = QueryDword(storage, L"Enable", 0) != 0;
    level = QueryDword(storage, L"Level", 256);
    record.dwLogProcess = QueryDword(storage, L"LogProcess", 0);
    record.dwLogUnitType = QueryDword(storage, L"LogUnitType", 0);
    QueryText(storage, L"LogFolder", L"", record.szLogFolder);
    QueryText(storage, L"LogPrefix", L"bsq", record.szLogPrefix);
    QueryText(storage, L"LogFile", L"", record.szLogFile);
    QueryText(storage, L"LogExtension", L"log", record.szLogExtension);
    record.bRobust = QueryDword(storage, L"Robust", 0) != 0 ? 1 : 0;
    record.bDebugger = QueryDword(storage, L"Debugger", 0) != 0 ? 1 : 0;
}
} // namespace

bool IsServiceSessionChoice(bool versionOk, bool nt5OrLater, bool major6OrLater, bool sessionOk,
                            DWORD session, bool localSystem)
{
    if (!versionOk || !nt5OrLater)
        return false;
    if (major6OrLater)
        return sessionOk && session == 0;
    return localSystem;
}

bool DebugLog::Initialize(const std::wstring& moduleName, const Storage::Key& settingsKey,
                          const std::wstring& libraryFolder)
{
    Synchronize::SingleLock output(m_outputLock);
    try
    {
        m_strModuleName = moduleName;
        KvDbgSettings record;
        ZeroMemory(&record, sizeof(record));
        bool enable = false;
        DWORD level = 256;
        if (!ReadSettings(settingsKey, record, enable, level))
            return false;
        bool loadNeeded = false;
        {
            Synchronize::SingleLock state(m_stateLock);
            loadNeeded = !m_bInitialized && m_bEnabled;
        }
        if (loadNeeded && !LoadLibraryAndStart(libraryFolder, record))
            return false;
        Synchronize::SingleLock state(m_stateLock);
        m_bInitialized = true;
        return true;
    }
    catch (...)
    {
        // Called from the entry point: nothing may escape to the loader.
        return false;
    }
}

bool DebugLog::ReadSettings(const Storage::Key& settingsKey, KvDbgSettings& record, bool& enable,
                            DWORD& level)
{
    Clock::GetLocalTime(&record.stTime);
    const bool serviceSession = IsServiceSession();
    record.bServiceSession = serviceSession ? 1 : 0;
    CopyField(record.szModule, m_strModuleName);

    std::unique_ptr<Storage::Base> storage = CreateStorage(settingsKey.GetKind());
    if (!storage)
        return false;
    enable = false;
    level = 256;
    try
    {
        storage->Open(settingsKey, serviceSession ? L"ServiceSession" : L"InteractiveSession");
        ReadValues(*storage, record, enable, level);
        bool flush = false;
        storage->Close(flush);
    }
    catch (Storage::Exception* e)
    {
        // A missing value ends the reading; what was read stays.
        delete e;
    }
    storage.reset();

    Synchronize::SingleLock state(m_stateLock);
    if (!enable)
        m_bInitialized = true;
    m_bEnabled = enable;
    m_dwLevelMask = level;
    return true;
}

bool DebugLog::LoadLibraryAndStart(const std::wstring& libraryFolder, KvDbgSettings& record)
{
    std::wstring path = libraryFolder;
    if (!path.empty() && path.back() != L'\\')
        path += L'\\';
    path += L"KvDbg64.dll";
    if (m_library.IsBound() || m_library.GetModule() || !m_library.LoadFile(path))
        return false;
    if (!m_library.Bind(true))
        return false;

    void* handle = nullptr;
    if (m_library.m_pfnInitialize(&handle, &record) == 0 && handle)
    {
        m_pLibraryHandle = handle;
        return true;
    }
    if (m_library.IsBound() && m_library.GetModule() && m_library.Free())
        m_library.Bind(false);
    return false;
}

bool DebugLog::Trace(const char* sourceFile, DWORD line, DWORD level, const wchar_t* format, ...)
{
    {
        // The three checks share one acquisition: a masked-out call must stay cheap.
        Synchronize::SingleLock state(m_stateLock);
        if (!m_bInitialized)
            return false;
        if (!m_bEnabled)
            return true;
        if ((m_dwLevelMask & level) == 0)
            return false;
    }

    std::wstring message;
    try
    {
        size_t size = String::GetStartSize();
        bool done = false;
        // Each attempt needs the argument list from its start again.
        while (!done)
        {
            va_list args;
            va_start(args, format);
            try
            {
                done = String::FormatV(message, size, format ? format : L"", args);
            }
            catch (...)
            {
                va_end(args);
                throw;
            }
            va_end(args);
        }
    }
    catch (String::Exception* e)
    {
        delete e;
        message.clear();
    }
    catch (...)
    {
        return false;
    }

    SYSTEMTIME now;
    Clock::GetLocalTime(&now);
    std::wstring text;
    if (!FormatLine(text, now, ::PathFindFileNameA(sourceFile ? sourceFile : ""), line, level, message))
        return false;

    Synchronize::SingleLock output(m_outputLock);
    if (!m_library.m_pfnTrace)
        return false;
    return m_library.m_pfnTrace(m_pLibraryHandle, &now, text.c_str()) == 0;
}

bool DebugLog::FormatLine(std::wstring& out, const SYSTEMTIME& time, const char* fileName, DWORD line,
                          DWORD level, const std::wstring& message) const
{
    try
    {
        std::wstring wideFile;
        String::ToWide(fileName ? fileName : "", wideFile);
        // One formatter pass for the whole line: the message goes in as text, never as a format.
        std::wstring text;
        String::Format(text, L"%02d/%02d/%04d %02d:%02d:%02d.%03d %04x:%04x %3s <%s> %s - %s(%lu)\r\n",
                       time.wDay, time.wMonth, time.wYear, time.wHour, time.wMinute, time.wSecond,
                       time.wMilliseconds, ::GetCurrentProcessId(), ::GetCurrentThreadId(), LevelTag(level),
                       m_strModuleName.c_str(), message.c_str(), wideFile.c_str(),
                       static_cast<unsigned long>(line));
        out.swap(text);
    }
    catch (String::Exception* e)
    {
        delete e;
        out.clear();
    }
    catch (...)
    {
        return false;
    }
    return true;
}

bool DebugLog::Uninitialize()
{
    Synchronize::SingleLock output(m_outputLock);
    {
        Synchronize::SingleLock state(m_stateLock);
        if (!m_bInitialized)
            return false;
    }
    if (m_library.IsBound())
    {
        m_library.m_pfnUninitialize(m_pLibraryHandle);
        m_pLibraryHandle = nullptr;
        if (m_library.GetModule() && m_library.Free())
            m_library.Bind(false);
    }
    {
        Synchronize::SingleLock state(m_stateLock);
        m_bInitialized = false;
    }
    Synchronize::SingleLock state(m_stateLock);
    m_bEnabled = false;
    m_dwLevelMask = 0;
    return true;
}
} // namespace KvCommon

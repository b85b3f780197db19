#pragma once
// What every test needs: temporary folders, registry keys that are restored, file bytes, processes.
// HKEY_LOCAL_MACHINE is the test process's private key (PrivateRegistry.h): the keys below are never
// the machine's own.
#include "PrivateRegistry.h"

#include <windows.h>
#include <string>
#include <vector>

namespace TestSupport
{
// The folder of the running test binary (where the DLLs are).
std::wstring BinFolder();

// A fresh folder under %TEMP%, removed with everything in it at destruction. Path ends in "\".
class TempFolder
{
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::wstring& Path() const { return m_path; }

private:
    std::wstring m_path;
};

void RemoveTree(const std::wstring& folder);
bool WriteFileBytes(const std::wstring& path, const void* data, size_t size);
bool WriteFileBytes(const std::wstring& path, const std::vector<BYTE>& bytes);
std::vector<BYTE> ReadFileBytes(const std::wstring& path);
// The file as UTF-16 code units, byte-order mark included.
std::wstring ReadUtf16File(const std::wstring& path);
bool FileExists(const std::wstring& path);
std::vector<std::wstring> ListFiles(const std::wstring& folder, const std::wstring& pattern = L"*");

// RegDeleteTreeW + RegDeleteKeyW; true when the key is gone.
bool DeleteRegTree(HKEY root, const std::wstring& path);

// Copies a registry key (with its whole tree) aside and restores it at destruction, so one test's
// values never reach the next; the key is removed at construction when clear is true.
class RegistryKeyGuard
{
public:
    RegistryKeyGuard(HKEY root, const std::wstring& path, bool clear = true);
    ~RegistryKeyGuard();
    RegistryKeyGuard(const RegistryKeyGuard&) = delete;
    RegistryKeyGuard& operator=(const RegistryKeyGuard&) = delete;

private:
    HKEY m_root;
    std::wstring m_path;
    std::wstring m_backup; // copy of the key, beside it in the private registry, while the guard lives
    bool m_existed = false;
};

bool SetRegString(HKEY root, const std::wstring& path, const std::wstring& name, const std::wstring& value);
bool SetRegDword(HKEY root, const std::wstring& path, const std::wstring& name, DWORD value);
bool SetRegBinary(HKEY root, const std::wstring& path, const std::wstring& name, const void* data,
                  DWORD size);
bool GetRegValue(HKEY root, const std::wstring& path, const std::wstring& name, DWORD& type,
                 std::vector<BYTE>& data);

// The event-log settings key, the installation key and the trace settings key.
extern const wchar_t* const kEventLogKey;
extern const wchar_t* const kInstallKey;
extern const wchar_t* const kDebugLogKey;
extern const wchar_t* const kInteractiveTraceKey;

// Points "InstalledFolder" at a fresh temporary folder and clears the event-log settings key; both are
// restored at destruction. LogFolder() is that folder + "Log\". Tests that read today's date beside the
// DLL's own clock start here, so the sandbox first waits out the last minutes of a day.
class EventLogSandbox
{
public:
    EventLogSandbox();
    const std::wstring& InstalledFolder() const { return m_folder.Path(); }
    std::wstring LogFolder() const { return m_folder.Path() + L"Log\\"; }

private:
    RegistryKeyGuard m_installKey;
    RegistryKeyGuard m_eventLogKey;
    TempFolder m_folder;
};

// Switches tracing on for the next DebugLog::Initialize: "Enable" 1, the given level mask, "LogFolder"
// a fresh temporary folder; the trace settings key is restored at destruction.
class TraceSandbox
{
public:
    explicit TraceSandbox(DWORD level = 273);
    const std::wstring& Folder() const { return m_folder.Path(); }
    // Every line of every debug-log file in the folder, in file order.
    std::vector<std::wstring> Lines() const;

private:
    RegistryKeyGuard m_key;
    TempFolder m_folder;
};

// A program started with the command line as given; with capture, its standard output and error come
// through a pipe into output. Terminated at destruction if still running.
class ChildProcess
{
public:
    explicit ChildProcess(std::wstring commandLine, bool capture = true);
    ~ChildProcess() { End(); }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    bool Started() const { return m_process != nullptr; }
    bool Ended(DWORD waitMs) const
    {
        return !m_process || WaitForSingleObject(m_process, waitMs) != WAIT_TIMEOUT;
    }
    // True once the output holds the text; false after the time is up.
    bool WaitFor(const std::string& text, DWORD timeoutMs);
    // Reads until the program closes its end of the pipe.
    void ReadAll();
    // The exit code once the program has ended within the time, else -1; the program is gone afterwards.
    int Exit(DWORD timeoutMs);
    void End();

    std::string output;

private:
    bool ReadSome();

    HANDLE m_process = nullptr;
    HANDLE m_read = nullptr;
};

// A second process of the session that creates the named mutex (full name, e.g. "Local\\X") and holds it
// until this object ends it. The constructor returns once the mutex exists, or the process has ended.
class MutexHolderProcess
{
public:
    explicit MutexHolderProcess(const std::wstring& fullName);
    bool Holding() const { return m_holding; }
    // Terminates the holder and waits for it: the mutex is gone afterwards.
    void End();

private:
    ChildProcess m_child;
    bool m_holding = false;
};

// Starts a program (command line as given) and waits; returns its exit code, or -1.
int RunProcess(const std::wstring& commandLine, DWORD timeoutMs = 120000, std::string* output = nullptr);

// "YYYYMMDD" of a SYSTEMTIME.
std::wstring DateText(const SYSTEMTIME& t);
SYSTEMTIME Today();
// Returns at once unless local midnight is less than the margin away; then waits until the new day.
// A test that began after it never sees the date change under it (no test runs that long).
void WaitOutMidnight(DWORD marginSeconds = 180);
} // namespace TestSupport

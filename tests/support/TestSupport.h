#pragma once
// What every test needs. HKEY_LOCAL_MACHINE is the test process's private key (PrivateRegistry.h).
#include "PrivateRegistry.h"

#include <windows.h>
#include <string>
#include <vector>

namespace TestSupport
{
// The folder of the running test binary (where the DLLs are), ending in "\".
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

bool WriteFileBytes(const std::wstring& path, const void* data, size_t size);
// Any contiguous container's bytes: std::string, std::wstring, std::vector<BYTE>.
template <class Bytes> bool WriteFileBytes(const std::wstring& path, const Bytes& bytes)
{
    return WriteFileBytes(path, bytes.data(), bytes.size() * sizeof(bytes[0]));
}
// The text's UTF-16 code units as they are, in a folder made for it when missing.
bool WriteUtf16File(const std::wstring& path, const std::wstring& text);
std::vector<BYTE> ReadFileBytes(const std::wstring& path);
// The file as UTF-16 code units, byte-order mark included.
std::wstring ReadUtf16File(const std::wstring& path);
bool FileExists(const std::wstring& path);
std::vector<std::wstring> ListFiles(const std::wstring& folder, const std::wstring& pattern = L"*");

// Every handle of this process that a child started with inherited handles would get.
std::vector<HANDLE> InheritableHandles();

// True when the key is gone.
bool DeleteRegTree(HKEY root, const std::wstring& path);

// Removes the key at destruction, so one test's values never reach the next (every test process starts with
// an empty machine key of its own); with clear, at construction too.
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
};

bool SetRegString(HKEY root, const std::wstring& path, const std::wstring& name, const std::wstring& value);
bool SetRegDword(HKEY root, const std::wstring& path, const std::wstring& name, DWORD value);
bool SetRegBinary(HKEY root, const std::wstring& path, const std::wstring& name, const void* data,
                  DWORD size);
bool GetRegValue(HKEY root, const std::wstring& path, const std::wstring& name, DWORD& type,
                 std::vector<BYTE>& data);

extern const wchar_t* const kEventLogKey;
extern const wchar_t* const kInstallKey;
extern const wchar_t* const kDebugLogKey;
extern const wchar_t* const kInteractiveTraceKey;

// Points "InstalledFolder" at a fresh temporary folder and clears the event-log settings key; both go at
// destruction. It first waits out the last minutes of a day, so that the tests reading today's
// date beside the DLL's own clock never see the date change.
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

// Switches tracing on for the next DebugLog::Initialize, with the level mask and a fresh "LogFolder";
// the trace settings key goes at destruction.
class TraceSandbox
{
public:
    explicit TraceSandbox(DWORD level = 273);
    const std::wstring& Folder() const { return m_folder.Path(); }
    std::vector<std::wstring> Lines() const;

private:
    RegistryKeyGuard m_key;
    TempFolder m_folder;
};

// A program started with the command line; with capture, its standard output and error reach output.
// Terminated at destruction.
class ChildProcess
{
public:
    explicit ChildProcess(std::wstring commandLine, bool capture = true);
    ~ChildProcess() { End(); }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    bool Ended(DWORD waitMs) const
    {
        return !m_process || WaitForSingleObject(m_process, waitMs) != WAIT_TIMEOUT;
    }
    // True once the output holds the text; false after the time is up.
    bool WaitFor(const std::string& text, DWORD timeoutMs);
    void ReadAll(); // until the program closes its end of the pipe
    // The exit code once the program has ended within the time, else -1; the program is gone afterwards.
    int Exit(DWORD timeoutMs);
    void End();
    // Ends the program at once, as a crash would, keeping what it had written.
    void Kill();

    std::string output;

private:
    bool ReadSome();

    HANDLE m_process = nullptr;
    HANDLE m_read = nullptr;
};

// A second process that creates the named mutex (full name, e.g. "Local\\X") and holds it until ended.
// The constructor returns once the mutex exists, or the process has ended.
class MutexHolderProcess
{
public:
    explicit MutexHolderProcess(const std::wstring& fullName);
    bool Holding() const { return m_holding; }
    void End(); // the mutex is gone afterwards

private:
    ChildProcess m_child;
    bool m_holding = false;
};

// The threads of this process now; ThreadsEnded waits for those that have started since, false when one of
// them still runs after the time.
std::vector<DWORD> ThreadIds();
bool ThreadsEnded(const std::vector<DWORD>& before, DWORD timeoutMs);

// Waits until the file exists, woken by its folder's changes; false after the time.
bool WaitForFile(const std::wstring& folder, const std::wstring& name, DWORD timeoutMs);

// Runs a program to its end; returns its exit code, or -1.
int RunProcess(const std::wstring& commandLine, DWORD timeoutMs = 120000, std::string* output = nullptr);

std::wstring DateText(const SYSTEMTIME& t); // "YYYYMMDD"
SYSTEMTIME Today();
} // namespace TestSupport

#include "TestSupport.h"

#include "KvComn_Handle.h"

#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <type_traits>

namespace TestSupport
{
const wchar_t* const kEventLogKey =
    L"Software\\Kelvanor\\Brisqual\\16\\ServiceFramework\\EnforceLayer\\Common\\EventLog";
const wchar_t* const kInstallKey = L"Software\\Kelvanor\\Brisqual";
const wchar_t* const kDebugLogKey = L"Software\\Kelvanor\\Brisqual\\16\\DebugLog";
const wchar_t* const kInteractiveTraceKey = L"Software\\Kelvanor\\Brisqual\\16\\DebugLog\\InteractiveSession";

std::wstring BinFolder()
{
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring s(path);
    return s.substr(0, s.find_last_of(L'\\') + 1);
}

namespace
{
using UniqueKey = std::unique_ptr<std::remove_pointer_t<HKEY>, decltype(&RegCloseKey)>;

UniqueKey OpenKey(HKEY root, const std::wstring& path, REGSAM access, bool create = false)
{
    HKEY key = nullptr;
    const LONG status =
        create ? RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, access, nullptr, &key, nullptr)
               : RegOpenKeyExW(root, path.c_str(), 0, access, &key);
    return UniqueKey(status == ERROR_SUCCESS ? key : nullptr, RegCloseKey);
}

// Calls visit(name, isDirectory) for each matching entry of the folder but "." and "..".
template <class F> void ForEachEntry(const std::wstring& folder, const std::wstring& pattern, F visit)
{
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((folder + pattern).c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE)
        return;
    do
    {
        const std::wstring name = fd.cFileName;
        if (name != L"." && name != L"..")
            visit(name, (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0);
    } while (FindNextFileW(h, &fd));
    FindClose(h);
}

void RemoveTree(const std::wstring& folder) // folder ends in "\"
{
    ForEachEntry(folder, L"*",
                 [&](const std::wstring& name, bool directory)
                 {
                     if (directory)
                         return RemoveTree(folder + name + L"\\");
                     SetFileAttributesW((folder + name).c_str(), FILE_ATTRIBUTE_NORMAL);
                     DeleteFileW((folder + name).c_str());
                 });
    RemoveDirectoryW(folder.c_str());
}

bool SetRegValue(HKEY root, const std::wstring& path, const std::wstring& name, DWORD type, const void* data,
                 DWORD size)
{
    return RegSetKeyValueW(root, path.c_str(), name.c_str(), type, data, size) == ERROR_SUCCESS;
}

// Returns at once unless local midnight is less than the margin away; then waits until the new day.
void WaitOutMidnight(DWORD marginSeconds = 180)
{
    const SYSTEMTIME now = Today();
    if (86400 - (now.wHour * 3600u + now.wMinute * 60u + now.wSecond) > marginSeconds)
        return;
    while (Today().wDay == now.wDay)
        Sleep(500);
}
} // namespace

TempFolder::TempFolder()
{
    static LONG counter = 0;
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    do
        m_path = std::wstring(temp) + L"nqtest_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
                 std::to_wstring(InterlockedIncrement(&counter)) + L"\\";
    while (!CreateDirectoryW(m_path.c_str(), nullptr));
}

TempFolder::~TempFolder()
{
    RemoveTree(m_path);
}

bool WriteFileBytes(const std::wstring& path, const void* data, size_t size)
{
    std::ofstream file(path.c_str(), std::ios::binary | std::ios::trunc);
    return file.write(static_cast<const char*>(data), size) && file.flush();
}

bool WriteUtf16File(const std::wstring& path, const std::wstring& text)
{
    CreateDirectoryW(path.substr(0, path.find_last_of(L'\\')).c_str(), nullptr);
    return WriteFileBytes(path, text);
}

std::vector<BYTE> ReadFileBytes(const std::wstring& path)
{
    std::ifstream file(path.c_str(), std::ios::binary);
    return std::vector<BYTE>(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

std::wstring ReadUtf16File(const std::wstring& path)
{
    const std::vector<BYTE> bytes = ReadFileBytes(path);
    return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / 2);
}

bool FileExists(const std::wstring& path)
{
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::vector<HANDLE> InheritableHandles()
{
    // Handle values are small multiples of four here; a test process holds far fewer than this.
    std::vector<HANDLE> found;
    for (ULONG_PTR value = 4; value < 0x4000; value += 4)
    {
        HANDLE h = reinterpret_cast<HANDLE>(value);
        DWORD flags = 0;
        if (GetHandleInformation(h, &flags) && (flags & HANDLE_FLAG_INHERIT))
            found.push_back(h);
    }
    return found;
}

std::vector<std::wstring> ListFiles(const std::wstring& folder, const std::wstring& pattern)
{
    std::vector<std::wstring> names;
    ForEachEntry(folder, pattern,
                 [&](const std::wstring& name, bool directory)
                 {
                     if (!directory)
                         names.push_back(name);
                 });
    return names;
}

bool DeleteRegTree(HKEY root, const std::wstring& path)
{
    RegDeleteTreeW(root, path.c_str());
    RegDeleteKeyW(root, path.c_str());
    return !OpenKey(root, path, KEY_READ);
}

RegistryKeyGuard::RegistryKeyGuard(HKEY root, const std::wstring& path, bool clear)
    : m_root(root), m_path(path)
{
    if (clear)
        DeleteRegTree(root, path);
}

RegistryKeyGuard::~RegistryKeyGuard()
{
    DeleteRegTree(m_root, m_path);
}

bool SetRegString(HKEY root, const std::wstring& path, const std::wstring& name, const std::wstring& value)
{
    return SetRegValue(root, path, name, REG_SZ, value.c_str(), static_cast<DWORD>((value.size() + 1) * 2));
}

bool SetRegDword(HKEY root, const std::wstring& path, const std::wstring& name, DWORD value)
{
    return SetRegValue(root, path, name, REG_DWORD, &value, 4);
}

bool SetRegBinary(HKEY root, const std::wstring& path, const std::wstring& name, const void* data, DWORD size)
{
    return SetRegValue(root, path, name, REG_BINARY, data, size);
}

bool GetRegValue(HKEY root, const std::wstring& path, const std::wstring& name, DWORD& type,
                 std::vector<BYTE>& data)
{
    UniqueKey key = OpenKey(root, path, KEY_QUERY_VALUE);
    DWORD size = 0;
    if (!key || RegQueryValueExW(key.get(), name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        return false;
    data.resize(size + 1); // +1: data() of an empty value is no buffer
    const LONG status = RegQueryValueExW(key.get(), name.c_str(), nullptr, &type, data.data(), &size);
    data.resize(size);
    return status == ERROR_SUCCESS;
}

EventLogSandbox::EventLogSandbox()
    : m_installKey(HKEY_LOCAL_MACHINE, kInstallKey, false),
      m_eventLogKey(HKEY_LOCAL_MACHINE, kEventLogKey, true)
{
    WaitOutMidnight();
    SetRegString(HKEY_LOCAL_MACHINE, kInstallKey, L"InstalledFolder", m_folder.Path());
}

TraceSandbox::TraceSandbox(DWORD level) : m_key(HKEY_LOCAL_MACHINE, kDebugLogKey, true)
{
    const std::pair<const wchar_t*, DWORD> dwords[] = {{L"Enable", 1},     {L"Level", level},
                                                       {L"LogProcess", 0}, {L"LogUnitType", 0},
                                                       {L"Robust", 1},     {L"Debugger", 0}};
    for (const auto& [name, value] : dwords)
        SetRegDword(HKEY_LOCAL_MACHINE, kInteractiveTraceKey, name, value);
    const std::pair<const wchar_t*, std::wstring> texts[] = {{L"LogFolder", m_folder.Path()},
                                                             {L"LogPrefix", L"bsq"},
                                                             {L"LogFile", L""},
                                                             {L"LogExtension", L"log"}};
    for (const auto& [name, value] : texts)
        SetRegString(HKEY_LOCAL_MACHINE, kInteractiveTraceKey, name, value);
}

std::vector<std::wstring> TraceSandbox::Lines() const
{
    std::vector<std::wstring> lines;
    for (const std::wstring& name : ListFiles(m_folder.Path()))
    {
        const std::wstring text = ReadUtf16File(m_folder.Path() + name);
        for (size_t start = (!text.empty() && text[0] == 0xFEFF) ? 1 : 0, end; start < text.size();
             start = end + 2)
        {
            end = std::min(text.find(L"\r\n", start), text.size());
            lines.push_back(text.substr(start, end - start));
        }
    }
    return lines;
}

ChildProcess::ChildProcess(std::wstring commandLine, bool capture)
{
    SECURITY_ATTRIBUTES sa{sizeof(sa), nullptr, TRUE};
    HANDLE write = nullptr;
    if (capture && !CreatePipe(&m_read, &write, &sa, 0))
        return;
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    if (capture)
    {
        SetHandleInformation(m_read, HANDLE_FLAG_INHERIT, 0);
        si.dwFlags = STARTF_USESTDHANDLES;
        si.hStdOutput = si.hStdError = write;
        si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    }
    PROCESS_INFORMATION pi{};
    if (CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, capture, 0, nullptr, nullptr, &si, &pi))
    {
        CloseHandle(pi.hThread);
        m_process = pi.hProcess;
    }
    if (write)
        CloseHandle(write);
}

bool ChildProcess::ReadSome()
{
    char buffer[4096];
    DWORD read = 0;
    if (!m_read || !ReadFile(m_read, buffer, sizeof(buffer), &read, nullptr) || read == 0)
        return false;
    output.append(buffer, read);
    return true;
}

bool ChildProcess::WaitFor(const std::string& text, DWORD timeoutMs)
{
    for (DWORD start = GetTickCount();; Sleep(20))
    {
        DWORD available = 0;
        while (m_read && PeekNamedPipe(m_read, nullptr, 0, nullptr, &available, nullptr) && available &&
               ReadSome())
            ;
        if (output.find(text) != std::string::npos)
            return true;
        if (GetTickCount() - start >= timeoutMs)
            return false;
    }
}

void ChildProcess::ReadAll()
{
    while (ReadSome())
        ;
}

int ChildProcess::Exit(DWORD timeoutMs)
{
    DWORD code = static_cast<DWORD>(-1);
    if (m_process && WaitForSingleObject(m_process, timeoutMs) == WAIT_OBJECT_0)
    {
        GetExitCodeProcess(m_process, &code);
        ReadAll();
    }
    End();
    return static_cast<int>(code);
}

void ChildProcess::Kill()
{
    if (m_process)
        TerminateProcess(m_process, 1);
    Exit(30000);
}

void ChildProcess::End()
{
    if (m_process)
    {
        TerminateProcess(m_process, 1);
        WaitForSingleObject(m_process, 30000);
        CloseHandle(m_process);
    }
    if (m_read)
        CloseHandle(m_read);
    m_process = m_read = nullptr;
}

MutexHolderProcess::MutexHolderProcess(const std::wstring& fullName)
    : m_child(L"\"" + BinFolder() + L"mutex_holder.exe\" " + fullName, false)
{
    while (!m_holding && !m_child.Ended(10))
        if (HANDLE mutex = OpenMutexW(SYNCHRONIZE, FALSE, fullName.c_str()))
            m_holding = CloseHandle(mutex);
}

void MutexHolderProcess::End()
{
    m_child.End();
    m_holding = false;
}

int RunProcess(const std::wstring& commandLine, DWORD timeoutMs, std::string* output)
{
    for (int attempt = 1;; ++attempt)
    {
        const DWORD start = GetTickCount();
        ChildProcess child(commandLine, output != nullptr);
        child.ReadAll(); // before waiting: a full pipe would stop the program
        const int code = child.Exit(timeoutMs);
        // Now and then (about one suite run in ten) Wine starts a program that then ends at once with -1
        // and not a byte of output, which none of the programs run here gives: that start is made again.
        if (attempt == 1 && code == -1 && child.output.empty() && GetTickCount() - start < timeoutMs)
        {
            std::fwprintf(stderr, L"RunProcess: %ls did not run; starting it again\n", commandLine.c_str());
            continue;
        }
        if (output)
            *output = child.output;
        return code;
    }
}

std::vector<DWORD> ThreadIds()
{
    std::vector<DWORD> ids;
    KvCommon::UniqueFileHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
    THREADENTRY32 entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = snapshot && Thread32First(snapshot.get(), &entry); more;
         more = Thread32Next(snapshot.get(), &entry))
        if (entry.th32OwnerProcessID == GetCurrentProcessId())
            ids.push_back(entry.th32ThreadID);
    return ids;
}

bool ThreadsEnded(const std::vector<DWORD>& before, DWORD timeoutMs)
{
    const DWORD start = GetTickCount();
    for (DWORD id : ThreadIds())
    {
        if (std::find(before.begin(), before.end(), id) != before.end())
            continue;
        KvCommon::UniqueHandle thread(OpenThread(SYNCHRONIZE, FALSE, id));
        const DWORD spent = GetTickCount() - start;
        if (thread &&
            WaitForSingleObject(thread.get(), spent < timeoutMs ? timeoutMs - spent : 0) != WAIT_OBJECT_0)
            return false;
    }
    return true;
}

bool WaitForFile(const std::wstring& folder, const std::wstring& name, DWORD timeoutMs)
{
    struct CloseChange
    {
        void operator()(HANDLE h) const { FindCloseChangeNotification(h); }
    };
    const std::unique_ptr<void, CloseChange> change(
        FindFirstChangeNotificationW(folder.c_str(), FALSE, FILE_NOTIFY_CHANGE_FILE_NAME));
    if (change.get() == INVALID_HANDLE_VALUE)
        return false;
    // The look after each wake-up covers a change made before the notification was set up.
    for (const DWORD start = GetTickCount(); !FileExists(folder + name);)
    {
        const DWORD spent = GetTickCount() - start;
        if (spent >= timeoutMs || WaitForSingleObject(change.get(), timeoutMs - spent) != WAIT_OBJECT_0)
            return FileExists(folder + name);
        FindNextChangeNotification(change.get());
    }
    return true;
}

std::wstring DateText(const SYSTEMTIME& t)
{
    wchar_t text[16];
    _snwprintf_s(text, 16, _TRUNCATE, L"%04d%02d%02d", t.wYear, t.wMonth, t.wDay);
    return text;
}

SYSTEMTIME Today()
{
    SYSTEMTIME t;
    GetLocalTime(&t);
    return t;
}

} // namespace TestSupport

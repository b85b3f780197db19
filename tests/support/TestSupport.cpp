#include "TestSupport.h"

#include <fstream>
#include <iterator>

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

TempFolder::TempFolder()
{
    static LONG counter = 0;
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    for (;;)
    {
        wchar_t name[64];
        _snwprintf_s(name, 64, _TRUNCATE, L"nqtest_%lu_%ld_%lu", GetCurrentProcessId(),
                     InterlockedIncrement(&counter), GetTickCount());
        m_path = std::wstring(temp) + name + L"\\";
        if (CreateDirectoryW(m_path.c_str(), nullptr))
            break;
    }
}

TempFolder::~TempFolder()
{
    RemoveTree(m_path);
}

namespace
{
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
} // namespace

void RemoveTree(const std::wstring& folder)
{
    const std::wstring base = folder.empty() || folder.back() == L'\\' ? folder : folder + L'\\';
    ForEachEntry(base, L"*",
                 [&](const std::wstring& name, bool directory)
                 {
                     const std::wstring path = base + name;
                     if (directory)
                         return RemoveTree(path);
                     SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                     DeleteFileW(path.c_str());
                 });
    RemoveDirectoryW(base.c_str());
}

bool WriteFileBytes(const std::wstring& path, const void* data, size_t size)
{
    std::ofstream file(path.c_str(), std::ios::binary | std::ios::trunc);
    return file.write(static_cast<const char*>(data), size) && file.flush();
}

bool WriteFileBytes(const std::wstring& path, const std::vector<BYTE>& bytes)
{
    return WriteFileBytes(path, bytes.data(), bytes.size());
}

std::vector<BYTE> ReadFileBytes(const std::wstring& path)
{
    std::ifstream file(path.c_str(), std::ios::binary);
    return std::vector<BYTE>(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

std::wstring ReadUtf16File(const std::wstring& path)
{
    std::vector<BYTE> bytes = ReadFileBytes(path);
    std::wstring text(bytes.size() / 2, L'\0');
    if (!text.empty())
        memcpy(&text[0], bytes.data(), text.size() * 2);
    return text;
}

bool FileExists(const std::wstring& path)
{
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
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
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS)
    {
        RegCloseKey(key);
        return false;
    }
    return true;
}

RegistryKeyGuard::RegistryKeyGuard(HKEY root, const std::wstring& path, bool clear)
    : m_root(root), m_path(path)
{
    static LONG counter = 0;
    m_backup = L"Software\\NorquillTestBackup\\" + std::to_wstring(GetCurrentProcessId()) + L"_" +
               std::to_wstring(InterlockedIncrement(&counter));
    HKEY key = nullptr, backup = nullptr;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS)
    {
        m_existed = RegCreateKeyExW(HKEY_LOCAL_MACHINE, m_backup.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                    nullptr, &backup, nullptr) == ERROR_SUCCESS &&
                    RegCopyTreeW(key, nullptr, backup) == ERROR_SUCCESS;
        if (backup)
            RegCloseKey(backup);
        RegCloseKey(key);
    }
    if (clear)
        DeleteRegTree(root, path);
}

RegistryKeyGuard::~RegistryKeyGuard()
{
    DeleteRegTree(m_root, m_path);
    HKEY backup = nullptr, key = nullptr;
    if (m_existed &&
        RegOpenKeyExW(HKEY_LOCAL_MACHINE, m_backup.c_str(), 0, KEY_READ, &backup) == ERROR_SUCCESS)
    {
        if (RegCreateKeyExW(m_root, m_path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) ==
            ERROR_SUCCESS)
        {
            RegCopyTreeW(backup, nullptr, key);
            RegCloseKey(key);
        }
        RegCloseKey(backup);
    }
    DeleteRegTree(HKEY_LOCAL_MACHINE, m_backup);
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, L"Software\\NorquillTestBackup"); // only goes once empty
}

namespace
{
bool SetRegValue(HKEY root, const std::wstring& path, const std::wstring& name, DWORD type, const void* data,
                 DWORD size)
{
    HKEY key = nullptr;
    if (RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return false;
    LONG status = RegSetValueExW(key, name.c_str(), 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}
} // namespace

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
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return false;
    DWORD size = 0;
    LONG status = RegQueryValueExW(key, name.c_str(), nullptr, &type, nullptr, &size);
    if (status == ERROR_SUCCESS)
    {
        data.resize(size);
        status =
            RegQueryValueExW(key, name.c_str(), nullptr, &type, data.empty() ? nullptr : data.data(), &size);
        data.resize(size);
    }
    RegCloseKey(key);
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
        std::wstring text = ReadUtf16File(m_folder.Path() + name);
        size_t start = (!text.empty() && text[0] == 0xFEFF) ? 1 : 0;
        while (start < text.size())
        {
            size_t end = text.find(L"\r\n", start);
            if (end == std::wstring::npos)
            {
                lines.push_back(text.substr(start));
                break;
            }
            lines.push_back(text.substr(start, end - start));
            start = end + 2;
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

void ChildProcess::ReadAll()
{
    while (ReadSome())
        ;
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

void ChildProcess::End()
{
    if (m_process)
    {
        TerminateProcess(m_process, 1);
        WaitForSingleObject(m_process, 30000);
        CloseHandle(m_process);
        m_process = nullptr;
    }
    if (m_read)
        CloseHandle(m_read);
    m_read = nullptr;
}

MutexHolderProcess::MutexHolderProcess(const std::wstring& fullName)
    : m_child(L"\"" + BinFolder() + L"mutex_holder.exe\" " + fullName, false)
{
    while (!m_holding && !m_child.Ended(10))
    {
        HANDLE mutex = OpenMutexW(SYNCHRONIZE, FALSE, fullName.c_str());
        m_holding = mutex != nullptr;
        if (mutex)
            CloseHandle(mutex);
    }
}

void MutexHolderProcess::End()
{
    m_child.End();
    m_holding = false;
}

int RunProcess(const std::wstring& commandLine, DWORD timeoutMs, std::string* output)
{
    ChildProcess child(commandLine, output != nullptr);
    if (!child.Started())
        return -1;
    child.ReadAll(); // before waiting: a full pipe would stop the program
    const int code = child.Exit(timeoutMs);
    if (output)
        *output = child.output;
    return code;
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

void WaitOutMidnight(DWORD marginSeconds)
{
    const SYSTEMTIME now = Today();
    const DWORD left = 86400 - (now.wHour * 3600u + now.wMinute * 60u + now.wSecond);
    if (left > marginSeconds)
        return;
    while (Today().wDay == now.wDay)
        Sleep(500);
}
} // namespace TestSupport

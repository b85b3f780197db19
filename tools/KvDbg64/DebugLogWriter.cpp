#include "DebugLogWriter.h"

#include <cwchar>

namespace
{
constexpr int kOpenAttempts = 20; // about 20 ms of retries before a busy file is given up for the day
constexpr WCHAR kByteOrderMark = 0xFEFF;

void AppendNumber(std::wstring& out, unsigned long long value, size_t width, unsigned base = 10)
{
    WCHAR digits[24];
    size_t count = 0;
    do
    {
        const unsigned digit = static_cast<unsigned>(value % base);
        digits[count++] = static_cast<WCHAR>(digit < 10 ? L'0' + digit : L'a' + digit - 10);
        value /= base;
    } while (value != 0 && count < 24);
    for (size_t i = count; i < width; ++i)
        out += L'0';
    while (count > 0)
        out += digits[--count];
}

template <size_t N> std::wstring FieldText(const WCHAR (&field)[N])
{
    return std::wstring(field, wcsnlen(field, N));
}

std::wstring WithBackslash(std::wstring folder)
{
    if (!folder.empty() && folder.back() != L'\\' && folder.back() != L'/')
        folder += L'\\';
    return folder;
}

// Creates every missing folder of path (which ends in "\"); existing ones are fine.
void CreateFolders(const std::wstring& folder)
{
    for (size_t pos = folder.find(L'\\'); pos != std::wstring::npos; pos = folder.find(L'\\', pos + 1))
    {
        if (pos == 0 || folder[pos - 1] == L':' || folder[pos - 1] == L'\\')
            continue;
        ::CreateDirectoryW(folder.substr(0, pos).c_str(), nullptr);
    }
}

DWORD WriteAll(HANDLE file, const void* data, DWORD size)
{
    DWORD written = 0;
    if (!::WriteFile(file, data, size, &written, nullptr))
        return ::GetLastError();
    return written == size ? 0 : ERROR_WRITE_FAULT;
}

// Where the debug-log purge looks first: the installation folder's "Log\", or the relative "Log\" when
// none is set, as the plug-in itself resolves it.
std::wstring PurgedLogFolder()
{
    const wchar_t* const key = L"Software\\Kelvanor\\Brisqual";
    const DWORD flags = RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND;
    DWORD size = 0;
    std::wstring folder;
    if (::RegGetValueW(HKEY_LOCAL_MACHINE, key, L"InstalledFolder", flags, nullptr, nullptr, &size) ==
            ERROR_SUCCESS &&
        size >= sizeof(WCHAR))
    {
        folder.resize(size / sizeof(WCHAR));
        if (::RegGetValueW(HKEY_LOCAL_MACHINE, key, L"InstalledFolder", flags, nullptr, &folder[0], &size) !=
            ERROR_SUCCESS)
            size = 0;
        folder.resize(wcsnlen(folder.c_str(), size / sizeof(WCHAR)));
    }
    return WithBackslash(folder) + L"Log\\";
}

class CriticalSectionScope
{
public:
    explicit CriticalSectionScope(CRITICAL_SECTION& cs) : m_cs(cs) { ::EnterCriticalSection(&m_cs); }
    ~CriticalSectionScope() { ::LeaveCriticalSection(&m_cs); }
    CriticalSectionScope(const CriticalSectionScope&) = delete;
    CriticalSectionScope& operator=(const CriticalSectionScope&) = delete;

private:
    CRITICAL_SECTION& m_cs;
};

} // namespace

// Empty settings fall back to what the debug-log purge finds: its first folder and its extension, so
// that no setting can make files that are never purged.
CDebugLogWriter::CDebugLogWriter(const KvCommon::KvDbgSettings& settings)
    : m_bRobust(settings.bRobust != 0), m_bDebugger(settings.bDebugger != 0),
      m_bOwnFile(settings.dwLogProcess != 0)
{
    ::InitializeCriticalSection(&m_lock);
    m_strFolder = WithBackslash(FieldText(settings.szLogFolder));
    if (m_strFolder.empty())
        m_strFolder = PurgedLogFolder();
    const std::wstring file = FieldText(settings.szLogFile);
    m_strStem = FieldText(settings.szLogPrefix) + (file.empty() ? FieldText(settings.szModule) : file);
    m_strExtension = FieldText(settings.szLogExtension);
    if (m_strExtension.empty())
        m_strExtension = L"log";
}

CDebugLogWriter::~CDebugLogWriter()
{
    CloseFile();
    ::DeleteCriticalSection(&m_lock);
}

std::wstring CDebugLogWriter::FileNameFor(const SYSTEMTIME& time, bool ownFile) const
{
    std::wstring name;
    AppendNumber(name, time.wDay, 2);
    AppendNumber(name, time.wMonth, 2);
    AppendNumber(name, time.wYear, 4);
    name += L'_';
    name += m_strStem;
    if (ownFile)
    {
        name += L'_';
        AppendNumber(name, ::GetCurrentProcessId(), 1);
    }
    name += L'.' + m_strExtension;
    return name;
}

DWORD CDebugLogWriter::Write(const SYSTEMTIME& time, const wchar_t* line)
{
    CriticalSectionScope guard(m_lock);
    if (m_bDebugger)
        ::OutputDebugStringW(line);
    const DWORD day = time.wYear * 10000u + time.wMonth * 100u + time.wDay;
    if (day != m_dwDay)
        StartDay(time);
    DWORD result = m_file ? 0 : OpenFile();
    if (result == 0)
        result = WriteAll(m_file.get(), line, static_cast<DWORD>(wcslen(line) * sizeof(WCHAR)));
    if (result == 0 && m_bRobust && !::FlushFileBuffers(m_file.get()))
        result = ::GetLastError();
    if (m_bRobust || result != 0)
        CloseFile();
    return result;
}

void CDebugLogWriter::StartDay(const SYSTEMTIME& time)
{
    CloseFile();
    m_dwDay = time.wYear * 10000u + time.wMonth * 100u + time.wDay;
    m_strSharedPath = m_strFolder + FileNameFor(time, false);
    m_strOwnPath = m_strFolder + FileNameFor(time, true);
    m_bFellBack = false;
}

DWORD CDebugLogWriter::OpenFile()
{
    if (m_bOwnFile || m_bFellBack)
        return OpenHandle(m_strOwnPath);
    const DWORD result = OpenWithRetry(m_strSharedPath);
    if (result != ERROR_SHARING_VIOLATION)
        return result;
    // Another process holds the day's file: keep this process's lines whole in a file of its own.
    m_bFellBack = true;
    return OpenHandle(m_strOwnPath);
}

DWORD CDebugLogWriter::OpenWithRetry(const std::wstring& path)
{
    DWORD result = OpenHandle(path);
    for (int attempt = 1; result == ERROR_SHARING_VIOLATION && attempt < kOpenAttempts; ++attempt)
    {
        ::Sleep(1);
        result = OpenHandle(path);
    }
    return result;
}

// One writer per file, so the end of the file is ours and the byte-order mark cannot race.
DWORD CDebugLogWriter::OpenHandle(const std::wstring& path)
{
    const auto open = [&path]
    {
        return ::CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    };
    m_file.reset(open());
    if (!m_file && ::GetLastError() == ERROR_PATH_NOT_FOUND)
    {
        CreateFolders(m_strFolder);
        m_file.reset(open());
    }
    if (!m_file)
        return ::GetLastError();
    LARGE_INTEGER size{};
    DWORD result = ::GetFileSizeEx(m_file.get(), &size) ? 0 : ::GetLastError();
    if (result == 0 && size.QuadPart == 0)
        result = WriteAll(m_file.get(), &kByteOrderMark, sizeof(kByteOrderMark));
    if (result != 0)
        CloseFile();
    return result;
}

void CDebugLogWriter::CloseFile()
{
    m_file.reset();
}

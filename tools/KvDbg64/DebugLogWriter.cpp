#include "DebugLogWriter.h"

#include <cwchar>
#include <cwctype>

namespace
{
constexpr DWORD kMutexWaitMs = 10000;
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

// Writers of one file in any process share one mutex; the name is a hash of the case-folded path.
std::wstring MutexNameFor(const std::wstring& path)
{
    unsigned long long hash = 14695981039346656037ULL;
    for (WCHAR c : path)
    {
        hash ^= static_cast<WCHAR>(towupper(c));
        hash *= 1099511628211ULL;
    }
    std::wstring name = L"Local\\KvDbg64_";
    AppendNumber(name, hash, 16, 16);
    return name;
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

class MutexScope
{
public:
    explicit MutexScope(HANDLE mutex) : m_mutex(mutex)
    {
        const DWORD wait = ::WaitForSingleObject(mutex, kMutexWaitMs);
        // An abandoned mutex is still ours: a crashed writer left at most one partial line.
        m_dwResult = (wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED)
                         ? 0
                         : (wait == WAIT_TIMEOUT ? WAIT_TIMEOUT : ::GetLastError());
    }
    ~MutexScope()
    {
        if (m_dwResult == 0)
            ::ReleaseMutex(m_mutex);
    }
    MutexScope(const MutexScope&) = delete;
    MutexScope& operator=(const MutexScope&) = delete;
    DWORD Result() const { return m_dwResult; }

private:
    HANDLE m_mutex;
    DWORD m_dwResult;
};
} // namespace

CDebugLogWriter::CDebugLogWriter(const KvCommon::KvDbgSettings& settings, const std::wstring& libraryFolder)
    : m_bRobust(settings.bRobust != 0), m_bDebugger(settings.bDebugger != 0)
{
    ::InitializeCriticalSection(&m_lock);
    m_strFolder = WithBackslash(FieldText(settings.szLogFolder));
    if (m_strFolder.empty())
        m_strFolder = WithBackslash(libraryFolder) + L"DebugLog\\";
    const std::wstring file = FieldText(settings.szLogFile);
    m_strStem = FieldText(settings.szLogPrefix) + (file.empty() ? FieldText(settings.szModule) : file);
    if (settings.dwLogProcess != 0)
    {
        m_strStem += L'_';
        AppendNumber(m_strStem, ::GetCurrentProcessId(), 1);
    }
    m_strExtension = FieldText(settings.szLogExtension);
}

CDebugLogWriter::~CDebugLogWriter()
{
    CloseFile();
    ::DeleteCriticalSection(&m_lock);
}

std::wstring CDebugLogWriter::FileNameFor(const SYSTEMTIME& time) const
{
    std::wstring name;
    AppendNumber(name, time.wDay, 2);
    AppendNumber(name, time.wMonth, 2);
    AppendNumber(name, time.wYear, 4);
    name += L'_';
    name += m_strStem;
    // Without an extension, a trailing "." would be dropped by the file system anyway.
    if (!m_strExtension.empty())
        name += L'.' + m_strExtension;
    return name;
}

DWORD CDebugLogWriter::Write(const SYSTEMTIME& time, const wchar_t* line)
{
    CriticalSectionScope guard(m_lock);
    if (m_bDebugger)
        ::OutputDebugStringW(line);
    DWORD result = Prepare(m_strFolder + FileNameFor(time));
    if (result == 0)
    {
        MutexScope owner(m_mutex.get());
        result = owner.Result();
        if (result == 0)
            result = Append(line);
    }
    if (m_bRobust || result != 0)
        CloseFile();
    return result;
}

DWORD CDebugLogWriter::Prepare(const std::wstring& path)
{
    if (path != m_strPath)
    {
        // A new day (or a first line): the old day's file is finished.
        CloseFile();
        m_mutex.reset(::CreateMutexW(nullptr, FALSE, MutexNameFor(path).c_str()));
        if (!m_mutex)
            return ::GetLastError();
        m_strPath = path;
    }
    if (m_file)
        return 0;
    CreateFolders(m_strFolder);
    // Other writers of the file keep it open too when they are not robust; the mutex orders the lines.
    m_file.reset(::CreateFileW(path.c_str(), FILE_APPEND_DATA,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
    return m_file ? 0 : ::GetLastError();
}

DWORD CDebugLogWriter::Append(const wchar_t* line)
{
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(m_file.get(), &size))
        return ::GetLastError();
    DWORD result = 0;
    if (size.QuadPart == 0)
        result = WriteAll(m_file.get(), &kByteOrderMark, sizeof(kByteOrderMark));
    if (result == 0)
        result = WriteAll(m_file.get(), line, static_cast<DWORD>(wcslen(line) * sizeof(WCHAR)));
    if (result == 0 && m_bRobust && !::FlushFileBuffers(m_file.get()))
        result = ::GetLastError();
    return result;
}

void CDebugLogWriter::CloseFile()
{
    m_file.reset();
}

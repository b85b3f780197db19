// COutputStream: UTF-8 bytes gathered in 64 KiB blocks for standard output or a file, and written through
// to disk on Sync.
#include "OutputStream.h"

namespace NqHost
{
namespace
{
constexpr size_t kBlock = 64 * 1024;
}

COutputStream::COutputStream() : m_handle(GetStdHandle(STD_OUTPUT_HANDLE))
{
    m_buffer.reserve(kBlock);
}

bool COutputStream::Open(const std::wstring& path, bool append)
{
    m_file.reset(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                             append ? OPEN_ALWAYS : CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!m_file)
    {
        m_error = GetLastError();
        return false;
    }
    m_handle = m_file.get();
    LARGE_INTEGER end{};
    if (!append || !SetFilePointerEx(m_handle, LARGE_INTEGER{}, &end, FILE_END))
        return true; // nothing to append to, or no file to seek in (a pipe, a device)
    m_startedEmpty = end.QuadPart == 0;
    // A line cut short by a crash must not run into the first new one.
    char last = '\n';
    DWORD read = 0;
    LARGE_INTEGER before{};
    before.QuadPart = end.QuadPart - 1;
    if (end.QuadPart > 0 && SetFilePointerEx(m_handle, before, nullptr, FILE_BEGIN) &&
        ReadFile(m_handle, &last, 1, &read, nullptr) && last != '\n')
        m_buffer += "\n";
    if (SetFilePointerEx(m_handle, LARGE_INTEGER{}, nullptr, FILE_END))
        return true;
    m_error = GetLastError();
    return false;
}

void COutputStream::Write(const std::string& bytes)
{
    if (Failed())
        return;
    m_buffer += bytes;
    if (m_buffer.size() >= kBlock)
        Flush();
}

bool COutputStream::Flush()
{
    size_t done = 0;
    while (!Failed() && done < m_buffer.size())
    {
        DWORD written = 0;
        if (!m_handle || m_handle == INVALID_HANDLE_VALUE)
            m_error = ERROR_INVALID_HANDLE;
        else if (!WriteFile(m_handle, m_buffer.data() + done, static_cast<DWORD>(m_buffer.size() - done),
                            &written, nullptr))
            m_error = GetLastError();
        else if (written == 0)
            m_error = ERROR_WRITE_FAULT;
        done += written;
        m_unsynced = m_unsynced || written > 0;
    }
    m_buffer.clear();
    return !Failed();
}

bool COutputStream::Sync()
{
    if (!Flush())
        return false;
    if (m_unsynced && GetFileType(m_handle) == FILE_TYPE_DISK && !FlushFileBuffers(m_handle))
        m_error = GetLastError();
    m_unsynced = false;
    return !Failed();
}
} // namespace NqHost

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

bool COutputStream::Open(const std::wstring& path)
{
    m_file.reset(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!m_file)
    {
        m_error = GetLastError();
        return false;
    }
    m_handle = m_file.get();
    return true;
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
    }
    m_buffer.clear();
    return !Failed();
}
} // namespace NqHost

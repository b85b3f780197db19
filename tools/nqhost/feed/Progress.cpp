// CProgress: the "day N of M" line on a console's standard error, redrawn at most every 200 ms and cleared
// at the end.
#include "Progress.h"

#include "Text.h"

namespace NqHost
{
namespace
{
constexpr DWORD kIntervalMs = 200;
}

CProgress::CProgress(const std::wstring& label, size_t total) : m_label(label), m_total(total)
{
    HANDLE handle = GetStdHandle(STD_ERROR_HANDLE);
    DWORD mode = 0;
    if (handle && handle != INVALID_HANDLE_VALUE && GetFileType(handle) == FILE_TYPE_CHAR &&
        GetConsoleMode(handle, &mode))
        m_console = handle;
}

void CProgress::Show(size_t done)
{
    DWORD now = GetTickCount();
    if (!m_console || (m_width && now - m_lastShown < kIntervalMs))
        return;
    m_lastShown = now;
    std::wstring text =
        Text::Format(L"\r%s: day %llu of %llu", m_label.c_str(), static_cast<unsigned long long>(done),
                     static_cast<unsigned long long>(m_total));
    m_width = text.size();
    Write(text);
}

void CProgress::Done()
{
    if (!m_console || !m_width)
        return;
    Write(L"\r" + std::wstring(m_width, L' ') + L"\r");
    m_width = 0;
}

void CProgress::Write(const std::wstring& text) const
{
    DWORD written = 0;
    WriteConsoleW(m_console, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}
} // namespace NqHost

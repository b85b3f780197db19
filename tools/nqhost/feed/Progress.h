#pragma once
// "day 3 of 30" on standard error while a long command runs, only when standard error is a console:
// never in a file or a pipe, where it would mix with what a program reads.
#include <windows.h>

#include <string>

namespace NqHost
{
class CProgress
{
public:
    CProgress(const std::wstring& label, size_t total);
    ~CProgress() { Done(); }
    CProgress(const CProgress&) = delete;
    CProgress& operator=(const CProgress&) = delete;

    void Show(size_t done);
    // Clears the line.
    void Done();

private:
    void Write(const std::wstring& text) const;

    HANDLE m_console = nullptr; // null when standard error is no console
    std::wstring m_label;
    size_t m_total;
    DWORD m_lastShown = 0;
    size_t m_width = 0;
};
} // namespace NqHost

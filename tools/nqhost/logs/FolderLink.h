#pragma once
// A folder that leads to another one, removed again with its owner: a junction, or under Wine, which
// makes none, a symbolic link of the Unix side (which Wine follows as a folder).
#include <windows.h>

#include <string>

namespace NqHost
{
class CFolderLink
{
public:
    CFolderLink() = default;
    ~CFolderLink();
    CFolderLink(const CFolderLink&) = delete;
    CFolderLink& operator=(const CFolderLink&) = delete;

    // Makes link, which must not exist, lead to the folder target (full paths); false with a Win32 code.
    bool Create(const std::wstring& link, const std::wstring& target, DWORD& error);

private:
    static bool CreateJunction(const std::wstring& link, const std::wstring& target, DWORD& error);
    // Runs a program of the Unix side with the Unix names of the paths; false unless it exits 0.
    static bool RunUnix(const wchar_t* program, const wchar_t* options, const std::wstring& first,
                        const std::wstring* second);

    std::wstring m_link;
    bool m_unix = false;
};
} // namespace NqHost

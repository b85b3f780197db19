#pragma once
// The damage in one day file's bytes, judged as the plug-in's reader takes them: it starts after the
// byte-order mark, reads lines of at most 2046 characters with their "\r\n", drops a last line without
// its end and skips lines without "|".
#include <windows.h>

#include <string>
#include <vector>

namespace NqHost
{
struct DayFileProblem
{
    size_t line; // from 1, counted after the byte-order mark
    std::wstring text;
};

class CDayFileCheck
{
public:
    explicit CDayFileCheck(const std::vector<BYTE>& bytes);

    size_t Lines() const { return m_lines; }
    const std::vector<DayFileProblem>& Problems() const { return m_problems; }

private:
    void CheckStart(const std::vector<BYTE>& bytes);
    void CheckLine(size_t number, const wchar_t* line, size_t length, bool last);
    void CheckText(size_t number, const wchar_t* line, size_t length);
    void Add(size_t line, const std::wstring& text) { m_problems.push_back({line, text}); }

    size_t m_lines = 0;
    std::vector<DayFileProblem> m_problems;
};
} // namespace NqHost

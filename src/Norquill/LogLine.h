#pragma once
#include <windows.h>
#include <cwchar>
#include <string>
#include <vector>

// One line of a day file while it is formatted. Texts come from outside and may hold the line's own
// separator or line ends, so they are kept apart from the numbers: each "|", CR and LF of a text is
// written as U+F07C, U+F00D or U+F00A (one unit for one), and a line that would pass what the reader
// takes has its texts shortened, the longest first.
class LogLine
{
public:
    // The longest line the reader takes, "\r\n" included.
    static constexpr size_t MaxChars = 2046;

    // Starts the line with the date and time fields of now.
    explicit LogLine(const SYSTEMTIME& now);

    // A number or a fixed text, written as it stands.
    LogLine& Field(std::wstring value);
    // A caller's text up to its first null: an embedded U+0000 would end the line for the reader.
    LogLine& Text(const std::wstring& text);
    // A caller's fixed text array, never read past its end.
    template <size_t N> LogLine& Text(const wchar_t (&text)[N])
    {
        return Text(std::wstring(text, wcsnlen(text, N)));
    }

    // Shortens the texts until the line fits MaxChars; returns how many characters were taken off.
    size_t Fit();
    // The fields joined by "|" and ended by "\r\n".
    std::wstring Join() const;

    // The three characters no text may write into a line, and their stand-ins.
    static void MapText(std::wstring& text);
    static void UnmapText(std::wstring& text);
    static bool IsStandIn(wchar_t c) { return c == L'\xF07C' || c == L'\xF00D' || c == L'\xF00A'; }

private:
    struct Part
    {
        std::wstring value;
        bool text;
    };
    size_t Length() const;
    std::vector<Part> m_parts;
};

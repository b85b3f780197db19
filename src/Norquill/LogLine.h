#pragma once
#include <windows.h>
#include <cwchar>
#include <string>
#include <vector>

// One line of a day file while it is formatted. Texts come from outside and may hold any unit, so they
// are kept apart from the numbers and encoded: "|", CR, LF and U+FFFF (the wide streams' end of file) are
// written as U+F07C, U+F00D, U+F00A and U+F0FF; a text's own U+F07C, U+F00D, U+F00A, U+F0FF and U+F01B
// get the escape U+F01B in front. A text without any of these is written as it stands. A line that would
// pass what the reader takes has its texts shortened, the longest first.
class LogLine
{
public:
    // The longest line the reader takes, "\r\n" included.
    static constexpr size_t MaxChars = 2046;
    static constexpr wchar_t Escape = L'\xF01B';

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

    // Shortens the texts until the line fits MaxChars, never inside an escape or a surrogate pair; returns
    // how many characters of the line were taken off.
    size_t Fit();
    // The fields joined by "|" and ended by "\r\n".
    std::wstring Join() const;

    // A text as the line holds it, and back. Decoding takes any line: a unit the writer never puts after
    // the escape, or an escape at the end, stays as it is.
    static void MapText(std::wstring& text);
    static void UnmapText(std::wstring& text);
    // Whether the unit is one the decoding has to look at.
    static bool IsSpecial(wchar_t c)
    {
        return c == L'\xF07C' || c == L'\xF00D' || c == L'\xF00A' || c == L'\xF0FF' || c == Escape;
    }

private:
    struct Part
    {
        std::wstring value;
        bool text;
    };
    size_t Length() const;
    std::vector<Part> m_parts;
};

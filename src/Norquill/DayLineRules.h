#pragma once
#include <cstddef>
#include <cwchar>

// How the reader takes a day file's lines: where they begin, and which of the pieces it cuts become a
// record's line. Header only: the writer's end repair and nqhost's check, which matches records to lines,
// follow the very same rules without linking the plug-in.
class DayLineRules
{
public:
    static constexpr wchar_t Mark = L'\xFEFF';
    // The longest piece the reader takes, its "\n" included; a longer line comes in several pieces.
    static constexpr size_t MaxPiece = 2046;

    // Units before the first line: the mark, when the file begins with it, else none.
    static size_t LinesBegin(const wchar_t* units, size_t count)
    {
        return count > 0 && units[0] == Mark ? 1 : 0;
    }
    // Whether the next line begins right after the unit at index `at` (from the file's first unit).
    static bool LineBeginsAfter(wchar_t unit, unsigned long long at)
    {
        return unit == L'\n' || (at == 0 && LinesBegin(&unit, 1) == 1);
    }

    // The reader's next piece as far as it sees it (up to its first null): how many of its characters make
    // a record's line, 0 when it makes none. Pieces come in file order.
    size_t RecordChars(const wchar_t* piece, size_t length)
    {
        if (length == 0)
            return 0;
        if (piece[length - 1] != L'\n')
        {
            // The head of an overlong line, a line cut by a null, or a last line without its end.
            m_complete = false;
            return 0;
        }
        if (!m_complete)
        {
            m_complete = true; // tail of such a line
            return 0;
        }
        size_t keep = length;
        while (keep > 0 && piece[keep - 1] != L'\r')
            --keep;
        keep = keep > 0 ? keep - 1 : length; // cut at the last "\r"; without one the piece stays whole
        return keep > 0 && std::wmemchr(piece, L'|', keep) ? keep : 0;
    }
    // True while the pieces are the rest of a line the reader skips.
    bool Skipping() const { return !m_complete; }

private:
    bool m_complete = true;
};

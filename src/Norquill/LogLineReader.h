#pragma once
#include "DayLineRules.h"

#include <windows.h>
#include <cstddef>

// Cuts a day file into the pieces that fgetws(buffer, 2047, file) would return, each as the reader then
// sees it (up to an embedded null), without fgetws's per-character cost: one block read per buffer-full.
// Unlike fgetws, a U+FFFF is a character of its line: an earlier writer let texts put it there, and taking it
// for the end of the file would hide every later event of the day.
// Reads only the bytes it is given from the handle's position, so a line appended meanwhile is never seen
// in part. Works inside the caller's buffer, which must hold more than 2046 wide characters.
class LogLineReader
{
public:
    static constexpr size_t MaxPiece = DayLineRules::MaxPiece;

    LogLineReader(HANDLE file, ULONGLONG bytes, wchar_t* buffer, size_t capacity)
        : m_file(file), m_left(bytes & ~1ULL), m_buffer(buffer), m_capacity(capacity)
    {
    }

    // The next piece: ends after "\n", or after MaxPiece characters, or at the end of the bytes. A trailing
    // odd byte is no character. False when no more.
    bool Next(const wchar_t*& piece, size_t& length);
    // True once the last piece has been handed out.
    bool AtEnd() const { return m_eof && m_start == m_end; }

    // The lines of the bytes ahead that can become records: not empty and ended by CR LF. Damage of any
    // size (bare line feeds, empty lines) counts for nothing. Reads through the caller's buffer and puts
    // the handle's position back; false when it cannot.
    static bool CountRecordLines(HANDLE file, ULONGLONG bytes, wchar_t* buffer, size_t capacity,
                                 size_t& count);

private:
    void Refill();

    HANDLE m_file;
    ULONGLONG m_left; // bytes of the file still to read
    wchar_t* m_buffer;
    size_t m_capacity;
    size_t m_start = 0;
    size_t m_end = 0;
    bool m_eof = false;
};

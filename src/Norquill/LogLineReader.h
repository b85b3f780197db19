#pragma once
#include <cstdio>
#include <cstddef>

// Cuts a day file into the pieces that fgetws(buffer, 2047, file) returns, each as the reader then sees
// it (up to an embedded null), but without fgetws's per-character cost: one block read per buffer-full.
// Works inside the caller's buffer, which must hold more than 2046 wide characters.
class LogLineReader
{
public:
    static constexpr size_t MaxPiece = 2046;

    LogLineReader(FILE* file, wchar_t* buffer, size_t capacity)
        : m_file(file), m_buffer(buffer), m_capacity(capacity)
    {
    }

    // The next piece: ends after "\n", or after MaxPiece characters, or at the end of the file. A trailing
    // odd byte is no character; U+FFFF reads as the end of the piece, as WEOF does. False when no more.
    bool Next(const wchar_t*& piece, size_t& length);

    // The "\n" code units from the file's position to its end, a bound on the whole lines there; the
    // position is put back. Reads through the caller's buffer. False when the position cannot be restored.
    static bool CountLineEnds(FILE* file, wchar_t* buffer, size_t capacity, size_t& count);

private:
    void Refill();

    FILE* m_file;
    wchar_t* m_buffer;
    size_t m_capacity;
    size_t m_start = 0;
    size_t m_end = 0;
    bool m_eof = false;
};

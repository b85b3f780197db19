#include "LogLineReader.h"

#include "LogScan.h"

#include <algorithm>
#include <cwchar>

namespace
{
constexpr wchar_t kWeof = 0xFFFF;
}

bool LogLineReader::Next(const wchar_t*& piece, size_t& length)
{
    for (;;)
    {
        const size_t available = m_end - m_start;
        const wchar_t* begin = m_buffer + m_start;
        const size_t scan = std::min(available, MaxPiece);
        size_t stop = 0;
        size_t null = scan; // the first U+0000, where the reader's view of the piece ends
        for (;;)
        {
            stop = static_cast<size_t>(LogScan::FindAny(begin + stop, begin + scan, L'\n', kWeof, L'\0') -
                                       begin);
            if (stop == scan || begin[stop] != L'\0')
                break;
            null = null == scan ? stop : null;
            ++stop;
        }
        size_t take = 0;
        size_t consumed = 0;
        if (stop < scan && begin[stop] == L'\n')
            take = consumed = stop + 1;
        else if (stop < scan)
        {
            // U+FFFF is WEOF to fgetws: it ends the piece unread, and at a piece's start ends the reading.
            if (stop == 0)
                return false;
            take = stop;
            consumed = stop + 1;
        }
        else if (available >= MaxPiece)
            take = consumed = MaxPiece;
        else if (m_eof)
            take = consumed = available;
        else
        {
            Refill();
            continue;
        }
        if (take == 0)
            return false;
        m_start += consumed;
        piece = begin;
        length = null < take ? null : take;
        return true;
    }
}

void LogLineReader::Refill()
{
    const size_t kept = m_end - m_start;
    if (m_start > 0)
        wmemmove(m_buffer, m_buffer + m_start, kept);
    m_start = 0;
    m_end = kept;
    const size_t wanted = m_capacity - m_end;
    const size_t got = std::fread(m_buffer + m_end, sizeof(wchar_t), wanted, m_file);
    m_end += got;
    if (got < wanted)
        m_eof = true;
}

bool LogLineReader::CountLineEnds(FILE* file, wchar_t* buffer, size_t capacity, size_t& count)
{
    const __int64 start = ::_ftelli64(file);
    if (start < 0)
        return false;
    count = 0;
    size_t got = 0;
    while ((got = std::fread(buffer, sizeof(wchar_t), capacity, file)) > 0)
        count += static_cast<size_t>(std::count(buffer, buffer + got, L'\n'));
    return ::_fseeki64(file, start, SEEK_SET) == 0;
}

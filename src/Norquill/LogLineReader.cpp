#include "LogLineReader.h"

#include "LogScan.h"

#include <algorithm>
#include <cwchar>

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
            stop = static_cast<size_t>(LogScan::FindAny(begin + stop, begin + scan, L'\n', L'\0', L'\0') -
                                       begin);
            if (stop == scan || begin[stop] != L'\0')
                break;
            null = null == scan ? stop : null;
            ++stop;
        }
        size_t take = 0;
        if (stop < scan)
            take = stop + 1;
        else if (available >= MaxPiece)
            take = MaxPiece;
        else if (m_eof)
            take = available;
        else
        {
            Refill();
            continue;
        }
        if (take == 0)
            return false;
        m_start += take;
        piece = begin;
        length = null < take ? null : take;
        return true;
    }
}

namespace
{
// Up to wanted characters from the handle's position; 0 at the end or on a read error.
size_t ReadUnits(HANDLE file, ULONGLONG& left, wchar_t* buffer, size_t wanted)
{
    const ULONGLONG bytes = std::min<ULONGLONG>(left, wanted * sizeof(wchar_t));
    DWORD got = 0;
    if (bytes == 0 || !::ReadFile(file, buffer, static_cast<DWORD>(bytes), &got, nullptr))
        return 0;
    got &= ~1UL;
    left -= got;
    return got / sizeof(wchar_t);
}
} // namespace

void LogLineReader::Refill()
{
    const size_t kept = m_end - m_start;
    if (m_start > 0)
        wmemmove(m_buffer, m_buffer + m_start, kept);
    m_start = 0;
    m_end = kept;
    const size_t got = ReadUnits(m_file, m_left, m_buffer + m_end, m_capacity - m_end);
    m_end += got;
    if (got == 0 || m_left == 0)
        m_eof = true;
}

bool LogLineReader::CountRecordLines(HANDLE file, ULONGLONG bytes, wchar_t* buffer, size_t capacity,
                                     size_t& count)
{
    LARGE_INTEGER start{};
    if (!::SetFilePointerEx(file, LARGE_INTEGER{}, &start, FILE_CURRENT))
        return false;
    // Apart from DayLineRules: one pass without pieces, only to size one reservation, which may miss.
    count = 0;
    ULONGLONG left = bytes & ~1ULL;
    // The two units before the block, a line start before the first.
    wchar_t before[2] = {L'\n', L'\n'};
    size_t got = 0;
    while ((got = ReadUnits(file, left, buffer, capacity)) > 0)
    {
        const wchar_t* end = buffer + got;
        for (const wchar_t* p = buffer; (p = LogScan::FindAny(p, end, L'\n', L'\n', L'\n')) != end; ++p)
        {
            const size_t at = static_cast<size_t>(p - buffer);
            const wchar_t cr = at >= 1 ? p[-1] : before[1];
            const wchar_t last = at >= 2 ? p[-2] : at == 1 ? before[1] : before[0];
            count += cr == L'\r' && last != L'\n' ? 1 : 0;
        }
        before[0] = got >= 2 ? end[-2] : before[1];
        before[1] = end[-1];
    }
    return ::SetFilePointerEx(file, start, nullptr, FILE_BEGIN) != FALSE;
}

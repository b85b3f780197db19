#pragma once
// Where each record of a day file stands in its bytes: the lines the plug-in's reader makes records of,
// in file order, found by the reader's rules (pieces of at most 2046 characters, the tail of an overlong
// line dropped, a line needs its "\n" and a "|" before its last "\r").
#include <windows.h>

#include <string>
#include <vector>

namespace NqHost
{
struct DayLine
{
    ULONGLONG offset; // in bytes from the start of the file, the byte-order mark included
    size_t length;    // in UTF-16 units, the line end included
    unsigned long long hash;
};

class CDayLines
{
public:
    // The longest line the reader takes, "\r\n" included; the writer shortens texts to fit it.
    static constexpr size_t kLongest = 2046;

    // seed: what every line's hash starts from (the machine), so identical lines of two machines differ.
    explicit CDayLines(unsigned long long seed) : m_seed(seed) {}

    // Reads the file as it is now, sharing it with writers; false when it cannot be read.
    bool Read(const std::wstring& path);
    const std::vector<DayLine>& Lines() const { return m_lines; }

    // FNV-1a, 64 bits.
    static unsigned long long Hash(unsigned long long hash, const void* bytes, size_t size);
    static constexpr unsigned long long kHashStart = 14695981039346656037ull;

private:
    void Take(const wchar_t* text, size_t units);

    unsigned long long m_seed;
    std::vector<DayLine> m_lines;
};
} // namespace NqHost

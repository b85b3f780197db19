// CDayFileCheck: a day file's lines cut as the plug-in's reader cuts them, each judged against its kind's
// layouts, and those that are no event counted as damage.
#include "DayFileCheck.h"

#include "LineLayout.h"
#include "Text.h"

#include "KvCommon/KvComn_Handle.h"

#include <algorithm>

namespace NqHost
{
namespace
{
unsigned long long Count(size_t n)
{
    return static_cast<unsigned long long>(n);
}
} // namespace

CDayFileCheck::CDayFileCheck(const std::vector<BYTE>& bytes, const std::wstring& kind) : m_kind(kind)
{
    CheckStart(bytes);
    std::wstring text(bytes.size() / 2, L'\0');
    if (!text.empty())
        memcpy(&text[0], bytes.data(), text.size() * sizeof(wchar_t));
    // The reader starts after the mark, or at the first byte of a file without one.
    size_t start = DayLineRules::LinesBegin(text.data(), text.size());
    while (start < text.size())
    {
        size_t end = text.find(L'\n', start);
        bool last = end == std::wstring::npos;
        end = last ? text.size() : end + 1;
        ++m_lines;
        CheckLine(text.data(), start, end - start, last);
        start = end;
    }
    if (bytes.size() % 2)
    {
        m_lines = std::max<size_t>(m_lines, 1);
        Add(L"an odd number of bytes: the last byte is half a UTF-16 character");
    }
}

bool CDayFileCheck::ReadBytes(const std::wstring& path, std::vector<BYTE>& bytes, DWORD& error)
{
    size_t read = 0;
    const bool ok = ReadWhole(
        path,
        [&](size_t size)
        {
            bytes.resize(size);
            return bytes.data();
        },
        read, error);
    bytes.resize(read);
    return ok;
}

bool CDayFileCheck::ReadWhole(const std::wstring& path, const std::function<void*(size_t size)>& place,
                              size_t& read, DWORD& error)
{
    read = 0;
    KvCommon::UniqueFileHandle file(CreateFileW(path.c_str(), GENERIC_READ,
                                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                                nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    LARGE_INTEGER size{};
    if (!file || !GetFileSizeEx(file.get(), &size))
    {
        error = GetLastError();
        return false;
    }
    const size_t wanted = static_cast<size_t>(size.QuadPart);
    BYTE* room = static_cast<BYTE*>(place(wanted));
    while (read < wanted)
    {
        DWORD got = 0;
        if (!ReadFile(file.get(), room + read, static_cast<DWORD>(std::min<size_t>(wanted - read, 1u << 30)),
                      &got, nullptr))
        {
            error = GetLastError();
            return false;
        }
        if (got == 0)
            break;
        read += got;
    }
    return true;
}

void CDayFileCheck::CheckStart(const std::vector<BYTE>& bytes)
{
    m_lines = 1;
    if (bytes.size() < 2)
        Add(L"no byte-order mark: the file is empty or cut short");
    else if (bytes[0] != 0xFF || bytes[1] != 0xFE)
        Add(Text::Format(L"no byte-order mark at the start (the file begins with bytes %02X %02X)", bytes[0],
                         bytes[1]));
    m_lines = 0;
}

bool CDayFileCheck::ReaderTakes(const wchar_t* line, size_t length, size_t& pieceAt, size_t& pieceLength)
{
    bool record = false;
    for (size_t at = 0; at < length; at += kLongestLine)
    {
        const size_t size = std::min(kLongestLine, length - at);
        const wchar_t* piece = line + at;
        const size_t seen = std::find(piece, piece + size, L'\0') - piece; // the reader stops at a null
        if (m_reader.RecordChars(piece, seen) == 0)
            continue;
        record = true;
        pieceAt = at;
        pieceLength = seen;
    }
    return record;
}

void CDayFileCheck::CheckLine(const wchar_t* text, size_t start, size_t length, bool last)
{
    const wchar_t* line = text + start;
    const bool wasComplete = !m_reader.Skipping();
    size_t pieceAt = 0, pieceLength = 0;
    const bool record = ReaderTakes(line, length, pieceAt, pieceLength);
    const size_t problems = m_problems.size();
    CheckText(line, length);
    if (last)
        Add(L"the last line has no line end (a write was cut short?): the reader skips it");
    else if (length > kLongestLine)
        Add(Text::Format(L"a line of %llu characters with its line end, longer than the %llu the reader "
                         L"takes: it skips the line",
                         Count(length), Count(kLongestLine)));
    else if (!wasComplete)
        Add(L"the line before ended on a null character: the reader skips this line too");
    else
    {
        size_t content = length - 1;
        if (content == 0 || line[content - 1] != L'\r')
            Add(L"the line ends in LF without CR: the reader keeps the LF in the last field");
        else
            --content;
        if (content == 0)
            Add(L"an empty line: the reader skips it");
        else if (std::find(line, line + content, L'|') == line + content)
            Add(L"no \"|\" in the line: the reader skips it");
        else if (std::find(line, line + content, L'\r') != line + content)
            Add(L"a CR inside the line: the reader cuts the line there");
        else if (m_problems.size() == problems)
            CheckFields(line, content);
    }
    // Every line the reader skips, and stricter: a record of a line no writer makes is a made-up event.
    const bool damaged = !record || m_problems.size() > problems;
    m_damagedLines += damaged ? 1 : 0;
    if (record)
        m_records.push_back({(start + pieceAt) * sizeof(wchar_t), pieceLength, damaged});
}

void CDayFileCheck::CheckFields(const wchar_t* line, size_t length)
{
    LineLayout::Split(line, length, m_fields);
    const std::wstring problem = LineLayout::Problem(m_kind, m_fields);
    if (!problem.empty())
        Add(problem);
}

void CDayFileCheck::CheckText(const wchar_t* line, size_t length)
{
    // Any other unit, a lone surrogate or U+FFFF among them, may be a text's own: texts keep every unit.
    if (length > 0 && line[0] == DayLineRules::Mark)
        Add(L"a byte-order mark at the start of the line: another file was joined here?");
    const size_t null = std::find(line, line + length, L'\0') - line;
    if (null < length)
        Add(Text::Format(L"character 0x0000 at %llu: the reader ends the line there", Count(null + 1)));
}
} // namespace NqHost

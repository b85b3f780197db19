#include "DayFileCheck.h"

#include "Text.h"

namespace NqHost
{
namespace
{
constexpr size_t kLongestLine = 2046; // "\r\n" included: what one read of the reader's buffer takes
constexpr wchar_t kMark = 0xFEFF;

unsigned long long Count(size_t n)
{
    return static_cast<unsigned long long>(n);
}
} // namespace

CDayFileCheck::CDayFileCheck(const std::vector<BYTE>& bytes)
{
    CheckStart(bytes);
    std::wstring text(bytes.size() / 2, L'\0');
    if (!text.empty())
        memcpy(&text[0], bytes.data(), text.size() * sizeof(wchar_t));
    // The reader starts after the mark, or at the first byte of a file without one.
    size_t start = !text.empty() && text[0] == kMark ? 1 : 0;
    while (start < text.size())
    {
        size_t end = text.find(L'\n', start);
        bool last = end == std::wstring::npos;
        end = last ? text.size() : end + 1;
        CheckLine(++m_lines, text.data() + start, end - start, last);
        start = end;
    }
    if (bytes.size() % 2)
        Add(m_lines ? m_lines : 1, L"an odd number of bytes: the last byte is half a UTF-16 character");
}

void CDayFileCheck::CheckStart(const std::vector<BYTE>& bytes)
{
    if (bytes.size() < 2)
        Add(1, L"no byte-order mark: the file is empty or cut short");
    else if (bytes[0] != 0xFF || bytes[1] != 0xFE)
        Add(1, Text::Format(L"no byte-order mark at the start (the file begins with bytes %02X %02X)",
                            bytes[0], bytes[1]));
}

void CDayFileCheck::CheckLine(size_t number, const wchar_t* line, size_t length, bool last)
{
    CheckText(number, line, length);
    if (last)
        return Add(number, L"the last line has no line end (a write was cut short?): the reader skips it");
    if (length > kLongestLine)
        return Add(number, Text::Format(L"a line of %llu characters with its line end, longer than the %llu "
                                        L"the reader takes: it skips the line",
                                        Count(length), Count(kLongestLine)));
    size_t content = length - 1;
    if (content == 0 || line[content - 1] != L'\r')
        Add(number, L"the line ends in LF without CR: the reader keeps the LF in the last field");
    else
        --content;
    if (content == 0)
        Add(number, L"an empty line: the reader skips it");
    else if (std::wstring(line, content).find(L'|') == std::wstring::npos)
        Add(number, L"no \"|\" in the line: the reader skips it");
}

void CDayFileCheck::CheckText(size_t number, const wchar_t* line, size_t length)
{
    for (size_t i = 0; i < length; ++i)
    {
        wchar_t c = line[i];
        bool high = c >= 0xD800 && c <= 0xDBFF;
        bool low = c >= 0xDC00 && c <= 0xDFFF;
        if (high && i + 1 < length && line[i + 1] >= 0xDC00 && line[i + 1] <= 0xDFFF)
        {
            ++i;
            continue;
        }
        if (c == kMark)
            Add(number, Text::Format(L"a byte-order mark inside the file, at character %llu", Count(i + 1)));
        else if (high || low)
            Add(number, Text::Format(L"not valid UTF-16 at character %llu: a lone surrogate 0x%04X",
                                     Count(i + 1), static_cast<unsigned>(c)));
        else if (c == 0 || c == 0xFFFF)
            Add(number, Text::Format(L"character 0x%04X at %llu: the reader ends the line there",
                                     static_cast<unsigned>(c), Count(i + 1)));
    }
}
} // namespace NqHost

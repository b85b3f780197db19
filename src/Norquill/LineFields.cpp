#include "LineFields.h"

#include "KvComn_String.h"
#include "LogLine.h"
#include "LogScan.h"

#include <cstdlib>

namespace
{
bool IsDigit(wchar_t c)
{
    return c >= L'0' && c <= L'9';
}

// Characters [pos, pos + count) of a field, those beyond its end read as absent.
int DigitsAt(const wchar_t* text, size_t length, size_t pos, size_t count)
{
    wchar_t digits[9] = {};
    for (size_t i = 0; i < count && pos + i < length; ++i)
        digits[i] = text[pos + i];
    return LineFields::ToInt(digits);
}
} // namespace

bool LineFields::Split(const std::wstring& line, std::vector<std::wstring>& fields)
{
    // One pass: the runtime's search costs more than the line's own characters.
    const wchar_t* text = line.data();
    const size_t size = line.size();
    size_t count = 0;
    bool mapped = false; // the field holds a stand-in or an escape
    auto append = [&](size_t from, size_t to)
    {
        if (count < fields.size())
            fields[count].assign(text + from, to - from);
        else
            fields.emplace_back(text + from, to - from);
        if (mapped)
            LogLine::UnmapText(fields[count]);
        mapped = false;
        ++count;
    };
    bool separated = false;
    size_t start = 0;
    for (size_t p = 0; p < size; ++p)
    {
        p = static_cast<size_t>(LogScan::FindSeparator(text + p, text + size) - text);
        if (p == size)
            break;
        if (text[p] != L'|')
        {
            mapped = mapped || LogLine::IsSpecial(text[p]);
            continue;
        }
        separated = true;
        if (p > 0)
            append(start, p);
        else
            mapped = false;
        start = p + 1;
    }
    if (!separated)
        return false;
    append(start, size);
    fields.resize(count);
    return true;
}

void LineFields::PutTime(ULONG index, const wchar_t* text, SYSTEMTIME& time)
{
    size_t length = 0;
    while (length < 8 && text[length] != L'\0')
        ++length;
    if (index == 0)
    {
        time.wYear = static_cast<WORD>(DigitsAt(text, length, 0, 4));
        time.wMonth = static_cast<WORD>(DigitsAt(text, length, 4, 2));
        time.wDay = static_cast<WORD>(DigitsAt(text, length, 6, 2));
    }
    else if (index == 1)
    {
        time.wHour = static_cast<WORD>(DigitsAt(text, length, 0, 2));
        time.wMinute = static_cast<WORD>(DigitsAt(text, length, 2, 2));
        time.wSecond = static_cast<WORD>(DigitsAt(text, length, 4, 2));
    }
}

std::wstring LineFields::FormatNumber(const wchar_t* format, LONG value, size_t limit)
{
    std::wstring text;
    KvCommon::String::Format(text, format, value);
    if (text.size() > limit)
        text.resize(limit);
    return text;
}

void LineFields::CopyText(wchar_t* dest, size_t limit, const wchar_t* text)
{
    size_t i = 0;
    for (; i + 1 < limit && text[i] != L'\0'; ++i)
        dest[i] = text[i];
    dest[i] = L'\0';
}

int LineFields::ToInt(const wchar_t* text)
{
    const bool sign = text[0] == L'-' || text[0] == L'+';
    const wchar_t* digits = text + (sign ? 1 : 0);
    int value = 0;
    size_t count = 0;
    for (; count < 9 && IsDigit(digits[count]); ++count)
        value = value * 10 + (digits[count] - L'0');
    // Blanks, other digits, overflow and whatever follows the digits: the runtime's own rules.
    if (count == 0 || digits[count] != L'\0')
        return _wtoi(text);
    return text[0] == L'-' ? -value : value;
}

#include "LogLine.h"

#include "KvComn_String.h"

#include <algorithm>

namespace
{
std::wstring Formatted(const wchar_t* format, int a, int b, int c)
{
    std::wstring text;
    KvCommon::String::Format(text, format, a, b, c);
    if (text.size() > 11) // the fixed buffer the date and time were formatted into
        text.resize(11);
    return text;
}

// A unit no text may write into a line as it stands, and its stand-in.
struct StandIn
{
    wchar_t plain, standIn;
};
constexpr StandIn kStandIns[] = {
    {L'|', L'\xF07C'}, {L'\r', L'\xF00D'}, {L'\n', L'\xF00A'}, {L'\xFFFF', L'\xF0FF'}};

wchar_t StandInOf(wchar_t c)
{
    for (const StandIn& s : kStandIns)
        if (c == s.plain)
            return s.standIn;
    return 0;
}

wchar_t PlainOf(wchar_t c)
{
    for (const StandIn& s : kStandIns)
        if (c == s.standIn)
            return s.plain;
    return 0;
}

bool NeedsEncoding(wchar_t c)
{
    return (c >= 0xF000 && c <= 0xF0FF) ? LogLine::IsSpecial(c)
                                        : c == L'|' || c == L'\r' || c == L'\n' || c == L'\xFFFF';
}

bool IsHighSurrogate(wchar_t c)
{
    return c >= 0xD800 && c <= 0xDBFF;
}

bool IsLowSurrogate(wchar_t c)
{
    return c >= 0xDC00 && c <= 0xDFFF;
}

// The longest start of an encoded text within limit units that ends neither between an escape and what it
// escapes nor between the halves of a surrogate pair.
size_t CutPoint(const std::wstring& value, size_t limit)
{
    size_t i = 0;
    while (i < value.size())
    {
        const bool pair =
            i + 1 < value.size() &&
            (value[i] == LogLine::Escape || (IsHighSurrogate(value[i]) && IsLowSurrogate(value[i + 1])));
        const size_t step = pair ? 2 : 1;
        if (i + step > limit)
            break;
        i += step;
    }
    return i;
}
} // namespace

LogLine::LogLine(const SYSTEMTIME& now)
{
    m_parts.reserve(16);
    Field(Formatted(L"%04d%02d%02d", now.wYear, now.wMonth, now.wDay));
    Field(Formatted(L"%02d%02d%02d", now.wHour, now.wMinute, now.wSecond));
}

LogLine& LogLine::Field(std::wstring value)
{
    m_parts.push_back({std::move(value), false});
    return *this;
}

LogLine& LogLine::Text(const std::wstring& text)
{
    std::wstring value(text.c_str());
    MapText(value);
    m_parts.push_back({std::move(value), true});
    return *this;
}

size_t LogLine::Length() const
{
    size_t length = m_parts.size() + 1; // the separators and "\r\n"
    for (const Part& part : m_parts)
        length += part.value.size();
    return length;
}

size_t LogLine::Fit()
{
    const size_t before = Length();
    size_t length = before;
    while (length > MaxChars)
    {
        const size_t excess = length - MaxChars;
        // Units the texts give up when each is cut down to level.
        auto over = [this](size_t level)
        {
            size_t sum = 0;
            for (const Part& part : m_parts)
                sum += part.text && part.value.size() > level ? part.value.size() - level : 0;
            return sum;
        };
        size_t longest = 0;
        for (const Part& part : m_parts)
            longest = part.text ? std::max(longest, part.value.size()) : longest;
        if (longest == 0)
            break; // numbers alone never come near the limit
        // The longest texts give way, down to the next longest, then in turn: all of them end at the
        // highest level that takes off enough, the first ones in the line one unit below it.
        size_t level = 0, above = longest;
        if (over(0) > excess)
        {
            while (above - level > 1)
            {
                const size_t middle = level + (above - level) / 2;
                (over(middle) >= excess ? level : above) = middle;
            }
        }
        size_t still = excess - std::min(excess, over(level + 1));
        const size_t lengthBefore = length;
        for (Part& part : m_parts)
        {
            if (!part.text || part.value.size() <= level)
                continue;
            size_t target = level + 1;
            if (still > 0 && part.value.size() >= level + 1)
            {
                target = level;
                --still;
            }
            const size_t keep = CutPoint(part.value, std::min(target, part.value.size()));
            length -= part.value.size() - keep;
            part.value.resize(keep);
        }
        if (length == lengthBefore)
            break;
    }
    return before - length;
}

std::wstring LogLine::Join() const
{
    std::wstring line;
    line.reserve(Length());
    for (size_t i = 0; i < m_parts.size(); ++i)
    {
        if (i > 0)
            line += L'|';
        line += m_parts[i].value;
    }
    line += L"\r\n";
    return line;
}

void LogLine::MapText(std::wstring& text)
{
    size_t first = 0;
    while (first < text.size() && !NeedsEncoding(text[first]))
        ++first;
    if (first == text.size())
        return; // the usual text, written as it stands
    std::wstring encoded(text, 0, first);
    encoded.reserve(text.size() + 8);
    for (size_t i = first; i < text.size(); ++i)
    {
        const wchar_t c = text[i];
        if (const wchar_t standIn = StandInOf(c))
            encoded += standIn;
        else
        {
            if (IsSpecial(c))
                encoded += Escape;
            encoded += c;
        }
    }
    text.swap(encoded);
}

void LogLine::UnmapText(std::wstring& text)
{
    size_t out = 0;
    for (size_t i = 0; i < text.size(); ++i, ++out)
    {
        wchar_t c = text[i];
        if (c == Escape && i + 1 < text.size() && IsSpecial(text[i + 1]))
            c = text[++i];
        else if (const wchar_t plain = PlainOf(c))
            c = plain;
        text[out] = c;
    }
    text.resize(out);
}

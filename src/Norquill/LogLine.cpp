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

const wchar_t kPlain[] = {L'|', L'\r', L'\n'};
const wchar_t kStandIns[] = {L'\xF07C', L'\xF00D', L'\xF00A'};

void Swap(std::wstring& text, const wchar_t (&from)[3], const wchar_t (&to)[3])
{
    for (wchar_t& c : text)
    {
        for (size_t i = 0; i < 3; ++i)
        {
            if (c == from[i])
            {
                c = to[i];
                break;
            }
        }
    }
}

bool IsLowSurrogate(wchar_t c)
{
    return c >= 0xDC00 && c <= 0xDFFF;
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
        // The longest text gives way, down to the next longest, until the line fits.
        Part* longest = nullptr;
        size_t next = 0;
        for (Part& part : m_parts)
        {
            if (!part.text)
                continue;
            if (!longest || part.value.size() > longest->value.size())
            {
                if (longest)
                    next = longest->value.size();
                longest = &part;
            }
            else
                next = std::max(next, part.value.size());
        }
        if (!longest || longest->value.empty())
            break; // numbers alone never come near the limit
        const size_t size = longest->value.size();
        size_t keep = size - std::min(length - MaxChars, std::max<size_t>(size - next, 1));
        // Never half of a surrogate pair: the cut takes the pair whole.
        if (keep > 0 && IsLowSurrogate(longest->value[keep]))
            --keep;
        longest->value.resize(keep);
        length -= size - keep;
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
    Swap(text, kPlain, kStandIns);
}

void LogLine::UnmapText(std::wstring& text)
{
    Swap(text, kStandIns, kPlain);
}

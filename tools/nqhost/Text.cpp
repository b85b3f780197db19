// The host's text helpers: formatting, UTF-8, numbers and dates as typed, and texts made safe to show on a
// terminal.
#include "Text.h"

#include <cstdarg>
#include <cstdlib>
#include <cwchar>
#include <vector>

namespace NqHost
{
namespace Text
{
std::wstring Format(const wchar_t* format, ...)
{
    std::vector<wchar_t> buffer(256);
    for (;;)
    {
        va_list args;
        va_start(args, format);
        int written = _vsnwprintf_s(buffer.data(), buffer.size(), _TRUNCATE, format, args);
        va_end(args);
        if (written >= 0)
            return std::wstring(buffer.data(), written);
        if (buffer.size() >= 1 << 20)
            return std::wstring(buffer.data());
        buffer.resize(buffer.size() * 4);
    }
}

std::string ToUtf8(const std::wstring& text)
{
    if (text.empty())
        return std::string();
    int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                   nullptr, nullptr);
    std::string out(size > 0 ? size : 0, '\0');
    if (size > 0)
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], size, nullptr,
                            nullptr);
    return out;
}

std::wstring FromUtf8(const std::string& text)
{
    if (text.empty())
        return std::wstring();
    int size = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(size > 0 ? size : 0, L'\0');
    if (size > 0)
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], size);
    return out;
}

bool ParseInteger(const std::wstring& text, long long min, long long max, long long& value)
{
    size_t pos = 0;
    bool negative = false;
    if (pos < text.size() && (text[pos] == L'-' || text[pos] == L'+'))
        negative = text[pos++] == L'-';
    int base = 10;
    if (text.size() > pos + 1 && text[pos] == L'0' && (text[pos + 1] == L'x' || text[pos + 1] == L'X'))
    {
        base = 16;
        pos += 2;
    }
    if (pos >= text.size() || text.size() - pos > 20)
        return false;
    unsigned long long magnitude = 0;
    for (; pos < text.size(); ++pos)
    {
        wchar_t c = text[pos];
        int digit = -1;
        if (c >= L'0' && c <= L'9')
            digit = c - L'0';
        else if (base == 16 && c >= L'a' && c <= L'f')
            digit = c - L'a' + 10;
        else if (base == 16 && c >= L'A' && c <= L'F')
            digit = c - L'A' + 10;
        if (digit < 0)
            return false;
        if (magnitude > (0xFFFFFFFFFFFFFFFFull - digit) / base)
            return false;
        magnitude = magnitude * base + digit;
    }
    if (negative ? magnitude > 0x8000000000000000ull : magnitude > 0x7FFFFFFFFFFFFFFFull)
        return false;
    long long result = negative ? static_cast<long long>(0 - magnitude) : static_cast<long long>(magnitude);
    if (result < min || result > max)
        return false;
    value = result;
    return true;
}

bool ParseDate(const std::wstring& text, SYSTEMTIME& day)
{
    if (text.size() != 10 || text[4] != L'-' || text[7] != L'-')
        return false;
    for (size_t i : {0, 1, 2, 3, 5, 6, 8, 9})
        if (text[i] < L'0' || text[i] > L'9')
            return false;
    SYSTEMTIME t{};
    t.wYear = static_cast<WORD>(_wtoi(text.substr(0, 4).c_str()));
    t.wMonth = static_cast<WORD>(_wtoi(text.substr(5, 2).c_str()));
    t.wDay = static_cast<WORD>(_wtoi(text.substr(8, 2).c_str()));
    t.wHour = 12;
    // The round trip through a file time rejects days that do not exist and fills in the weekday.
    FILETIME ft;
    SYSTEMTIME check;
    if (t.wYear < 1601 || !SystemTimeToFileTime(&t, &ft) || !FileTimeToSystemTime(&ft, &check) ||
        check.wDay != t.wDay)
        return false;
    day = check;
    return true;
}

std::wstring DateText(const SYSTEMTIME& t)
{
    return Format(L"%04u-%02u-%02u", t.wYear, t.wMonth, t.wDay);
}

std::wstring DateTimeText(const SYSTEMTIME& t)
{
    return Format(L"%04u-%02u-%02u %02u:%02u:%02u", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond);
}

std::wstring IsoTimeText(const SYSTEMTIME& t)
{
    return Format(L"%04u-%02u-%02uT%02u:%02u:%02u", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond);
}

DWORD DayKey(const SYSTEMTIME& t)
{
    return t.wYear * 10000u + t.wMonth * 100u + t.wDay;
}

SYSTEMTIME DayFromKey(DWORD key)
{
    SYSTEMTIME day{};
    day.wYear = static_cast<WORD>(key / 10000);
    day.wMonth = static_cast<WORD>(key / 100 % 100);
    day.wDay = static_cast<WORD>(key % 100);
    return day;
}

SYSTEMTIME NextDay(const SYSTEMTIME& day)
{
    SYSTEMTIME noon = day;
    noon.wHour = 12;
    noon.wMinute = noon.wSecond = noon.wMilliseconds = 0;
    FILETIME ft;
    SystemTimeToFileTime(&noon, &ft);
    ULARGE_INTEGER ticks{{ft.dwLowDateTime, ft.dwHighDateTime}};
    ticks.QuadPart += 24ull * 60 * 60 * 10000000;
    ft.dwLowDateTime = ticks.LowPart;
    ft.dwHighDateTime = ticks.HighPart;
    SYSTEMTIME next;
    FileTimeToSystemTime(&ft, &next);
    return next;
}

SYSTEMTIME Today()
{
    // NQ_CLOCK_START=YYYYMMDDHHMMSS: the clock starts there with the process and runs at its pace, so a
    // test can watch a follow cross midnight.
    static const struct Start
    {
        ULONGLONG ticks = 0, at = GetTickCount64();
        Start()
        {
            wchar_t text[16] = {};
            SYSTEMTIME t{};
            FILETIME ft;
            if (GetEnvironmentVariableW(L"NQ_CLOCK_START", text, 16) != 14)
                return;
            auto digits = [&text](size_t at, size_t count)
            {
                WORD value = 0;
                for (size_t i = at; i < at + count; ++i)
                    value = static_cast<WORD>(value * 10 + (text[i] - L'0'));
                return value;
            };
            t = {digits(0, 4), digits(4, 2), 0, digits(6, 2), digits(8, 2), digits(10, 2), digits(12, 2), 0};
            if (SystemTimeToFileTime(&t, &ft))
                ticks = (static_cast<ULONGLONG>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
        }
    } start;
    SYSTEMTIME t;
    if (!start.ticks)
    {
        GetLocalTime(&t);
        return t;
    }
    const ULONGLONG now = start.ticks + (GetTickCount64() - start.at) * 10000;
    const FILETIME ft{static_cast<DWORD>(now), static_cast<DWORD>(now >> 32)};
    FileTimeToSystemTime(&ft, &t);
    return t;
}

namespace
{
// Control (Cc), format (Cf), line and paragraph separator (Zl, Zp) code points.
const unsigned kHidden[][2] = {
    {0x00, 0x1F},       {0x7F, 0x9F},       {0xAD, 0xAD},       {0x600, 0x605},     {0x61C, 0x61C},
    {0x6DD, 0x6DD},     {0x70F, 0x70F},     {0x890, 0x891},     {0x8E2, 0x8E2},     {0x180E, 0x180E},
    {0x200B, 0x200F},   {0x2028, 0x202E},   {0x2060, 0x2064},   {0x2066, 0x206F},   {0xFEFF, 0xFEFF},
    {0xFFF9, 0xFFFB},   {0x110BD, 0x110BD}, {0x110CD, 0x110CD}, {0x13430, 0x1343F}, {0x1BCA0, 0x1BCA3},
    {0x1D173, 0x1D17A}, {0xE0001, 0xE0001}, {0xE0020, 0xE007F},
};

bool IsHidden(unsigned c)
{
    for (const auto& range : kHidden)
        if (c >= range[0] && c <= range[1])
            return true;
    return false;
}

std::wstring Shown(const std::wstring& text, bool keepLineEnds, bool doubleBackslashes)
{
    size_t plain = 0; // most texts are printable ASCII: nothing to do
    while (plain < text.size() && text[plain] >= 0x20 && text[plain] < 0x7F && text[plain] != L'\\')
        ++plain;
    if (plain == text.size())
        return text;
    std::wstring shown = text.substr(0, plain);
    shown.reserve(text.size() + 8);
    for (size_t i = plain; i < text.size(); ++i)
    {
        const wchar_t c = text[i];
        unsigned point = c;
        const bool pair = c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
                          text[i + 1] <= 0xDFFF;
        if (pair)
            point = 0x10000 + ((c - 0xD800u) << 10) + (text[i + 1] - 0xDC00u);
        if (c == L'\\' && doubleBackslashes)
            shown += L"\\\\";
        else if (!IsHidden(point) || (keepLineEnds && c == L'\n'))
            shown.append(text, i, pair ? 2 : 1);
        else
            shown += Format(point < 0x100 ? L"\\x%02x" : point < 0x10000 ? L"\\u%04x" : L"\\U%08x", point);
        i += pair ? 1 : 0;
    }
    return shown;
}
} // namespace

std::wstring Visible(const std::wstring& text, bool keepLineEnds)
{
    return Shown(text, keepLineEnds, false);
}

std::wstring VisibleText(const std::wstring& text)
{
    return Shown(text, false, true);
}

bool EqualsNoCase(const std::wstring& a, const std::wstring& b)
{
    return _wcsicmp(a.c_str(), b.c_str()) == 0;
}
} // namespace Text
} // namespace NqHost

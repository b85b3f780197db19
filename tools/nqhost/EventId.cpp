#include "EventId.h"

#include "Text.h"

#include <cstdio>

namespace NqHost
{
namespace EventId
{
namespace
{
void Mix(unsigned& hash, const wchar_t* text, size_t length)
{
    for (size_t i = 0; i < length; ++i)
        for (unsigned byte : {text[i] & 0xFFu, (text[i] >> 8) & 0xFFu})
            hash = (hash ^ byte) * 16777619u;
}
} // namespace

std::string Make(const std::wstring& kind, const SYSTEMTIME& day, size_t number, const SYSTEMTIME& time,
                 const std::vector<Cell>& fields)
{
    unsigned hash = 2166136261u;
    const WORD when[] = {time.wYear, time.wMonth, time.wDay, time.wHour, time.wMinute, time.wSecond};
    for (WORD part : when)
    {
        const wchar_t digits[] = {wchar_t(L'0' + part / 1000 % 10), wchar_t(L'0' + part / 100 % 10),
                                  wchar_t(L'0' + part / 10 % 10), wchar_t(L'0' + part % 10)};
        Mix(hash, digits, 4);
    }
    for (const Cell& field : fields)
    {
        Mix(hash, L"|", 1); // so that "a|bc" and "ab|c" differ
        Mix(hash, field.text.data(), field.text.size());
    }
    char date[16], digest[16];
    std::snprintf(date, sizeof date, "-%04u%02u%02u-", day.wYear, day.wMonth, day.wDay);
    std::snprintf(digest, sizeof digest, "-%08x", hash);
    return Text::ToUtf8(kind) + date + std::to_string(number) + digest;
}
} // namespace EventId
} // namespace NqHost

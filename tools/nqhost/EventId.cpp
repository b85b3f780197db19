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
    const std::wstring when = Text::DateTimeText(time);
    Mix(hash, when.data(), when.size());
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

#include "EventId.h"

#include "Text.h"

#include <cstdio>

namespace NqHost
{
namespace EventId
{
unsigned long long MachineSeed(const std::string& hostName)
{
    // The name's end is hashed too, so that no name and line run into another name and line.
    return CDayLines::Hash(CDayLines::kHashStart, hostName.c_str(), hostName.size() + 1);
}

std::string Make(const std::wstring& kind, const SYSTEMTIME& day, const DayLine& line)
{
    char tail[64];
    std::snprintf(tail, sizeof tail, "-%04u%02u%02u-%llu-%016llx", day.wYear, day.wMonth, day.wDay,
                  static_cast<unsigned long long>(line.offset), line.hash);
    return Text::ToUtf8(kind) + tail;
}
} // namespace EventId
} // namespace NqHost

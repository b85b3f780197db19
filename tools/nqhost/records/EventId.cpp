// An event's id made: the seed of the machine's name, and the kind, day, line offset and line hash as
// text.
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
    return Hash(KvCommon::Crypto::kFnvStart, hostName.c_str(), hostName.size() + 1);
}

std::string Make(const std::wstring& kind, const SYSTEMTIME& day, ULONGLONG offset, unsigned long long hash)
{
    char tail[64];
    std::snprintf(tail, sizeof tail, "-%04u%02u%02u-%llu-%016llx", day.wYear, day.wMonth, day.wDay,
                  static_cast<unsigned long long>(offset), hash);
    return Text::ToUtf8(kind) + tail;
}
} // namespace EventId
} // namespace NqHost

#pragma once
// Local times of day files as RFC 3339 with the UTC offset in force then, by the Windows time-zone
// rules of that year on this machine. A local time that occurs twice (clocks going back) is taken at
// its first occurrence; one that never occurs (clocks going forward) gets the offset before the change.
#include <windows.h>

#include <map>
#include <string>

namespace NqHost
{
class CZonedTime
{
public:
    // Minutes to add to UTC to get the local time (+60 for UTC+01:00).
    int OffsetMinutes(const SYSTEMTIME& local);
    // "+01:00"
    std::string Offset(const SYSTEMTIME& local);
    // "2026-12-06T11:14:39+01:00"
    std::string Local(const SYSTEMTIME& local);
    // "2026-12-06T10:14:39Z"
    std::string Utc(const SYSTEMTIME& local);

private:
    bool RulesOf(WORD year, TIME_ZONE_INFORMATION& rules);
    int Resolve(const SYSTEMTIME& local);

    std::map<WORD, TIME_ZONE_INFORMATION> m_rules; // by year
    std::map<unsigned long long, int> m_offsets;   // by local minute
};
} // namespace NqHost

#pragma once
// Local times of day files as RFC 3339 with the UTC offset in force then, by the Windows time-zone
// rules of that year, of this machine's zone or of one named. A local time that occurs twice (clocks going
// back) is taken at its first occurrence; one that never occurs (clocks going forward) gets the offset before
// the change.
#include <windows.h>

#include <map>
#include <string>

namespace NqHost
{
class CZonedTime
{
public:
    // This machine's zone.
    CZonedTime() = default;
    // A zone by its Windows name (W. Europe Standard Time) or IANA name (Europe/Berlin); throws
    // UsageError for a name Windows has no rules for.
    explicit CZonedTime(const std::wstring& name);

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

    bool m_named = false;
    DYNAMIC_TIME_ZONE_INFORMATION m_zone{};
    std::map<WORD, TIME_ZONE_INFORMATION> m_rules; // by year
    std::map<unsigned long long, int> m_offsets;   // by local minute
};
} // namespace NqHost

// CZonedTime: a local time's UTC offset by the Windows rules of its year, the standard and the daylight
// reading tried and the earliest UTC kept, cached by minute.
#include "ZonedTime.h"

#include "UsageError.h"
#include "ZoneNames.h"

#include <cstdio>

namespace NqHost
{
namespace
{
unsigned long long MinuteKey(const SYSTEMTIME& t)
{
    return ((((t.wYear * 13ull + t.wMonth) * 32 + t.wDay) * 24 + t.wHour) * 60) + t.wMinute;
}

ULONGLONG Ticks(const SYSTEMTIME& t)
{
    FILETIME file{};
    SystemTimeToFileTime(&t, &file);
    return (static_cast<ULONGLONG>(file.dwHighDateTime) << 32) | file.dwLowDateTime;
}

SYSTEMTIME FromTicks(ULONGLONG ticks)
{
    FILETIME file{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
    SYSTEMTIME t{};
    FileTimeToSystemTime(&file, &t);
    return t;
}

constexpr ULONGLONG kTicksPerMinute = 600000000ull;

bool SameMinute(const SYSTEMTIME& a, const SYSTEMTIME& b)
{
    return MinuteKey(a) == MinuteKey(b);
}

// The minute of a SYSTEMTIME without its seconds, so candidate offsets are tried on whole minutes.
SYSTEMTIME MinuteOf(const SYSTEMTIME& t)
{
    SYSTEMTIME minute = t;
    minute.wSecond = minute.wMilliseconds = 0;
    minute.wDayOfWeek = 0;
    return minute;
}

std::string Stamp(const SYSTEMTIME& t, const char* suffix)
{
    char text[40];
    std::snprintf(text, sizeof text, "%04u-%02u-%02uT%02u:%02u:%02u%s", t.wYear, t.wMonth, t.wDay, t.wHour,
                  t.wMinute, t.wSecond, suffix);
    return text;
}
} // namespace

CZonedTime::CZonedTime(const std::wstring& name) : m_named(true)
{
    const std::wstring windows = ZoneNames::WindowsName(name);
    if (windows.size() >= ARRAYSIZE(m_zone.TimeZoneKeyName))
        throw UsageError{L"--timezone " + name + L": no time zone of that name"};
    windows.copy(m_zone.TimeZoneKeyName, windows.size());
    TIME_ZONE_INFORMATION rules{};
    if (!GetTimeZoneInformationForYear(2000, &m_zone, &rules))
        throw UsageError{L"--timezone " + name + L": Windows has no time zone " + windows +
                         L" (give an IANA name such as Europe/Berlin or a Windows one such as W. Europe "
                         L"Standard Time)"};
}

bool CZonedTime::RulesOf(WORD year, TIME_ZONE_INFORMATION& rules)
{
    auto known = m_rules.find(year);
    if (known == m_rules.end())
    {
        TIME_ZONE_INFORMATION found{};
        // The rules of that very year, so an old day file gets the offsets of its own time.
        if (!GetTimeZoneInformationForYear(year, m_named ? &m_zone : nullptr, &found) &&
            (m_named || GetTimeZoneInformation(&found) == TIME_ZONE_ID_INVALID))
            return false;
        known = m_rules.emplace(year, found).first;
    }
    rules = known->second;
    return true;
}

int CZonedTime::Resolve(const SYSTEMTIME& local)
{
    TIME_ZONE_INFORMATION rules{};
    if (!RulesOf(local.wYear, rules))
        return 0;
    const bool daylight = rules.DaylightDate.wMonth != 0;
    const LONG standardBias = rules.Bias + rules.StandardBias;
    const LONG daylightBias = rules.Bias + (daylight ? rules.DaylightBias : rules.StandardBias);
    const SYSTEMTIME minute = MinuteOf(local);
    // Each bias that maps back to this very local minute is a reading of it; the earliest UTC wins.
    bool found = false;
    LONG best = standardBias;
    for (LONG bias : {standardBias, daylightBias})
    {
        SYSTEMTIME utc = FromTicks(Ticks(minute) + static_cast<LONGLONG>(bias) * kTicksPerMinute);
        SYSTEMTIME back{};
        if (!SystemTimeToTzSpecificLocalTime(&rules, &utc, &back) || !SameMinute(back, minute))
            continue;
        if (!found || bias < best)
            best = bias;
        found = true;
    }
    return -static_cast<int>(best);
}

int CZonedTime::OffsetMinutes(const SYSTEMTIME& local)
{
    const unsigned long long key = MinuteKey(local);
    auto known = m_offsets.find(key);
    if (known != m_offsets.end())
        return known->second;
    const int offset = Resolve(local);
    if (m_offsets.size() > 100000)
        m_offsets.clear();
    m_offsets.emplace(key, offset);
    return offset;
}

std::string CZonedTime::Offset(const SYSTEMTIME& local)
{
    const int offset = OffsetMinutes(local);
    const int magnitude = offset < 0 ? -offset : offset;
    char zone[8];
    std::snprintf(zone, sizeof zone, "%c%02d:%02d", offset < 0 ? '-' : '+', magnitude / 60, magnitude % 60);
    return zone;
}

std::string CZonedTime::Local(const SYSTEMTIME& local)
{
    return Stamp(local, Offset(local).c_str());
}

std::string CZonedTime::Utc(const SYSTEMTIME& local)
{
    const LONGLONG shift =
        -static_cast<LONGLONG>(OffsetMinutes(local)) * static_cast<LONGLONG>(kTicksPerMinute);
    SYSTEMTIME utc = FromTicks(Ticks(local) + shift);
    return Stamp(utc, "Z");
}
} // namespace NqHost

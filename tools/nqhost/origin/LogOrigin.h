#pragma once
// The machine and time zone that wrote the day files read: this one's, or those of another machine
// whose logs were brought here (--host NAME, --timezone ZONE). The name goes into host.name and every id.
#include "CommandLine.h"
#include "ZonedTime.h"

#include <memory>
#include <string>

namespace NqHost
{
class CLogOrigin
{
public:
    // Throws UsageError for an empty --host or a zone Windows does not know.
    explicit CLogOrigin(const CCommandLine& line);

    // Lower case, as ECS asks for host.name.
    const std::string& HostName() const { return m_hostName; }
    unsigned long long Seed() const { return m_seed; }
    CZonedTime& Zone() const { return *m_zone; }

private:
    std::string m_hostName;
    unsigned long long m_seed;
    std::unique_ptr<CZonedTime> m_zone; // caches, filled as times are shown
};
} // namespace NqHost

// CLogOrigin: this machine's name or --host's, the seed it gives every id, and the zone of --timezone or
// of this machine.
#include "LogOrigin.h"

#include "EventId.h"
#include "Text.h"
#include "UsageError.h"

#include <algorithm>
#include <cwctype>

namespace NqHost
{
namespace
{
// The fully qualified name, or the plain one on a machine without a domain. The names live under HKLM,
// which a private registry root (NQ_REGISTRY_ROOT) hides: then the environment's.
std::wstring ThisMachine()
{
    wchar_t name[256];
    DWORD size = 0;
    for (COMPUTER_NAME_FORMAT format : {ComputerNameDnsFullyQualified, ComputerNameDnsHostname})
        if (size = 256, GetComputerNameExW(format, name, &size) && size > 0)
            break;
    if (size == 0 || size >= 256)
        size = GetEnvironmentVariableW(L"COMPUTERNAME", name, 256);
    return std::wstring(name, size < 256 ? size : 0);
}
} // namespace

CLogOrigin::CLogOrigin(const CCommandLine& line)
{
    std::wstring host = line.Has(L"host") ? line.Option(L"host") : ThisMachine();
    if (line.Has(L"host") && host.empty())
        throw UsageError{L"--host takes the name of the machine that wrote the logs"};
    std::transform(host.begin(), host.end(), host.begin(), [](wchar_t c) { return std::towlower(c); });
    m_hostName = Text::ToUtf8(host);
    m_seed = EventId::MachineSeed(m_hostName);
    m_zone = line.Has(L"timezone") ? std::make_unique<CZonedTime>(line.Option(L"timezone"))
                                   : std::make_unique<CZonedTime>();
}
} // namespace NqHost

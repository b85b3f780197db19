#pragma once
// IANA time-zone names (Europe/Berlin) and the Windows zone whose rules serve them: only the names are
// mapped here, the rules come from the Windows time-zone data.
#include <string>

namespace NqHost
{
namespace ZoneNames
{
// The Windows zone of an IANA name; the name itself when it is none (a Windows name, or unknown).
std::wstring WindowsName(const std::wstring& name);
} // namespace ZoneNames
} // namespace NqHost

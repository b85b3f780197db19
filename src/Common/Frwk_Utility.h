#pragma once
#include <string>

namespace Frwk
{
namespace Utility
{
// "InstalledFolder" under HKLM "Software\Kelvanor\Brisqual", or an empty string when it is missing or not
// a string. Any other failure raises (std::bad_alloc, or the KvCommon::Storage::Exception*). Looked up
// again only after the registry reports a change to that key, or on every call when it cannot report one.
std::wstring GetInstalledFolder();
// The installed folder, "\" when needed, then "Log\"; the relative "Log\" when the folder is unknown.
std::wstring GetLogFolder();
} // namespace Utility
} // namespace Frwk

#pragma once
#include <string>

namespace Frwk
{
namespace Utility
{
// "InstalledFolder" under HKLM "Software\Kelvanor\Brisqual", or an empty string when it is missing or not
// a string. Any other failure raises (std::bad_alloc, or the KvCommon::Storage::Exception*).
std::wstring GetInstalledFolder();
// The installed folder, "\" when needed, then "Log\"; the relative "Log\" when the folder is unknown.
std::wstring GetLogFolder();
} // namespace Utility
} // namespace Frwk

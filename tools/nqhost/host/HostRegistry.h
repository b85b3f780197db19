#pragma once
// The few HKLM values the host itself reads or prepares: the installation folder and the trace settings.
#include <windows.h>

#include <string>

namespace NqHost
{
namespace HostRegistry
{
extern const wchar_t* const kInstallKey;          // "InstalledFolder" lives here
extern const wchar_t* const kEventLogKey;         // the plug-in's settings and stamps
extern const wchar_t* const kInteractiveTraceKey; // trace settings read at the next load

// With NQ_REGISTRY_ROOT set (a key path under HKCU), this process and the plug-in it loads see that key
// as HKLM, so a trial run or a test leaves the installed suite's settings alone. False when it is set
// and the redirection failed. Without it, HKLM is the machine's again.
bool FollowRegistryRoot();

bool ReadString(const std::wstring& path, const std::wstring& name, std::wstring& value);
bool ReadDword(const std::wstring& path, const std::wstring& name, DWORD& value);
// A setting as the plug-in reads it: the default when the value is missing, false when it exists but is
// no DWORD.
bool ReadSetting(const std::wstring& path, const std::wstring& name, DWORD& value);
// Win32 error code, 0 on success; the key is created when missing.
LONG WriteString(const std::wstring& path, const std::wstring& name, const std::wstring& value);
LONG DeleteValue(const std::wstring& path, const std::wstring& name);
LONG WriteDword(const std::wstring& path, const std::wstring& name, DWORD value);

// "InstalledFolder", or empty.
std::wstring InstalledFolder();
// The plug-in's log folder for that installation folder.
std::wstring LogFolder(const std::wstring& installedFolder);
// Creates the folder with its missing parents; true when it exists afterwards.
bool CreateFolderTree(const std::wstring& folder);
} // namespace HostRegistry
} // namespace NqHost

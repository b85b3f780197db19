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

bool ReadString(const std::wstring& path, const std::wstring& name, std::wstring& value);
bool ReadDword(const std::wstring& path, const std::wstring& name, DWORD& value);
// Win32 error code, 0 on success; the key is created when missing.
LONG WriteString(const std::wstring& path, const std::wstring& name, const std::wstring& value);
LONG WriteDword(const std::wstring& path, const std::wstring& name, DWORD value);

// "InstalledFolder", or empty.
std::wstring InstalledFolder();
// The plug-in's log folder for that installation folder.
std::wstring LogFolder(const std::wstring& installedFolder);
// Creates the folder with its missing parents; true when it exists afterwards.
bool CreateFolderTree(const std::wstring& folder);
} // namespace HostRegistry
} // namespace NqHost

// The host's HKLM values read and written: the installation folder, the log folder and the trace settings,
// under the private root NQ_REGISTRY_ROOT names where it is set.
#include "HostRegistry.h"

#include "KvCommon/KvComn_Handle.h"

#include <vector>

namespace NqHost
{
namespace HostRegistry
{
const wchar_t* const kInstallKey = L"Software\\Kelvanor\\Brisqual";
const wchar_t* const kEventLogKey =
    L"Software\\Kelvanor\\Brisqual\\16\\ServiceFramework\\EnforceLayer\\Common\\EventLog";
const wchar_t* const kInteractiveTraceKey = L"Software\\Kelvanor\\Brisqual\\16\\DebugLog\\InteractiveSession";

namespace
{
bool ReadRaw(const std::wstring& path, const std::wstring& name, DWORD& type, std::vector<BYTE>& data)
{
    KvCommon::UniqueHKey key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_QUERY_VALUE, key.put()) != ERROR_SUCCESS)
        return false;
    DWORD size = 0;
    if (RegQueryValueExW(key.get(), name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        return false;
    data.assign(size, 0);
    return RegQueryValueExW(key.get(), name.c_str(), nullptr, &type, data.data(), &size) == ERROR_SUCCESS;
}

LONG WriteRaw(const std::wstring& path, const std::wstring& name, DWORD type, const void* data, DWORD size)
{
    KvCommon::UniqueHKey key;
    LONG status = RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                                  key.put(), nullptr);
    if (status != ERROR_SUCCESS)
        return status;
    return RegSetValueExW(key.get(), name.c_str(), 0, type, static_cast<const BYTE*>(data), size);
}
} // namespace

bool FollowRegistryRoot()
{
    wchar_t path[512] = {};
    const DWORD length = GetEnvironmentVariableW(L"NQ_REGISTRY_ROOT", path, 512);
    if (length == 0)
        return RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr) == ERROR_SUCCESS;
    KvCommon::UniqueHKey key;
    return length < 512 &&
           RegCreateKeyExW(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.put(),
                           nullptr) == ERROR_SUCCESS &&
           RegOverridePredefKey(HKEY_LOCAL_MACHINE, key.get()) == ERROR_SUCCESS;
}

bool ReadString(const std::wstring& path, const std::wstring& name, std::wstring& value)
{
    DWORD type = 0;
    std::vector<BYTE> data;
    if (!ReadRaw(path, name, type, data) || (type != REG_SZ && type != REG_EXPAND_SZ))
        return false;
    std::wstring text(reinterpret_cast<const wchar_t*>(data.data()), data.size() / sizeof(wchar_t));
    while (!text.empty() && text.back() == L'\0')
        text.pop_back();
    value = text;
    return true;
}

bool ReadDword(const std::wstring& path, const std::wstring& name, DWORD& value)
{
    DWORD type = 0;
    std::vector<BYTE> data;
    if (!ReadRaw(path, name, type, data) || type != REG_DWORD || data.size() != sizeof(DWORD))
        return false;
    value = *reinterpret_cast<const DWORD*>(data.data());
    return true;
}

bool ReadSetting(const std::wstring& path, const std::wstring& name, DWORD& value)
{
    DWORD type = 0;
    std::vector<BYTE> data;
    if (!ReadRaw(path, name, type, data))
        return true;
    if (type != REG_DWORD || data.size() != sizeof(DWORD))
        return false;
    value = *reinterpret_cast<const DWORD*>(data.data());
    return true;
}

LONG WriteString(const std::wstring& path, const std::wstring& name, const std::wstring& value)
{
    return WriteRaw(path, name, REG_SZ, value.c_str(),
                    static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

LONG WriteDword(const std::wstring& path, const std::wstring& name, DWORD value)
{
    return WriteRaw(path, name, REG_DWORD, &value, sizeof(value));
}

LONG DeleteValue(const std::wstring& path, const std::wstring& name)
{
    KvCommon::UniqueHKey key;
    LONG status = RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_SET_VALUE, key.put());
    return status == ERROR_SUCCESS ? RegDeleteValueW(key.get(), name.c_str()) : status;
}

std::wstring InstalledFolder()
{
    std::wstring folder;
    ReadString(kInstallKey, L"InstalledFolder", folder);
    return folder;
}

std::wstring LogFolder(const std::wstring& installedFolder)
{
    std::wstring folder = installedFolder;
    if (!folder.empty() && folder.back() != L'\\')
        folder += L'\\';
    return folder + L"Log\\";
}

bool CreateFolderTree(const std::wstring& folder)
{
    std::wstring path = folder;
    while (!path.empty() && (path.back() == L'\\' || path.back() == L'/'))
        path.pop_back();
    if (path.empty())
        return false;
    DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES)
        return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    size_t slash = path.find_last_of(L"\\/");
    if (slash != std::wstring::npos && slash > 2)
        CreateFolderTree(path.substr(0, slash));
    return CreateDirectoryW(path.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}
} // namespace HostRegistry
} // namespace NqHost

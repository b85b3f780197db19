#pragma once
// Tests never reach the machine's own settings: HKEY_LOCAL_MACHINE of a test process is a private key
// under HKEY_CURRENT_USER, and the second processes the tests start see the same key.
#include <windows.h>
#include <string>

namespace TestSupport
{
// Names the private key (a path under HKEY_CURRENT_USER) for the processes a test starts.
constexpr const wchar_t* kPrivateRegistryVariable = L"NQ_REGISTRY_ROOT";

// Makes HKEY_LOCAL_MACHINE of this process the key HKEY_CURRENT_USER\path. False when that failed.
inline bool RedirectMachineKey(const std::wstring& path)
{
    HKEY key = nullptr;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                          nullptr) != ERROR_SUCCESS)
        return false;
    const LONG status = ::RegOverridePredefKey(HKEY_LOCAL_MACHINE, key); // keeps a handle of its own
    ::RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

// For a second process: follows the key its parent test named; false when none was named or it failed.
inline bool RedirectMachineKeyAsParent()
{
    wchar_t path[512] = {};
    const DWORD length = ::GetEnvironmentVariableW(kPrivateRegistryVariable, path, 512);
    return length > 0 && length < 512 && RedirectMachineKey(path);
}
} // namespace TestSupport

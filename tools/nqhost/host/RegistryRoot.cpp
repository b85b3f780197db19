// CRegistryRoot: a fresh key under HKCU put in the place of HKLM for this process, and removed again with
// its owner.
#include "RegistryRoot.h"

#include "HostRegistry.h"

#include "KvCommon/KvComn_Handle.h"

#include <windows.h>

namespace NqHost
{
CRegistryRoot::CRegistryRoot(const std::wstring& path) : m_path(path)
{
    RegDeleteTreeW(HKEY_CURRENT_USER, m_path.c_str());
    KvCommon::UniqueHKey key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, m_path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.put(),
                        nullptr) != ERROR_SUCCESS)
        return;
    m_active = RegOverridePredefKey(HKEY_LOCAL_MACHINE, key.get()) == ERROR_SUCCESS;
}

CRegistryRoot::~CRegistryRoot()
{
    if (m_active)
        HostRegistry::FollowRegistryRoot();
    RegDeleteTreeW(HKEY_CURRENT_USER, m_path.c_str());
    RegDeleteKeyW(HKEY_CURRENT_USER, m_path.c_str());
    // The parent goes only once no other run uses it.
    size_t slash = m_path.rfind(L'\\');
    if (slash != std::wstring::npos)
        RegDeleteKeyW(HKEY_CURRENT_USER, m_path.substr(0, slash).c_str());
}
} // namespace NqHost

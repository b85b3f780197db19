#pragma once
// A registry of its own for a run that must leave the installed suite's settings alone: a fresh key under
// HKCU that this process, and the plug-in it loads afterwards, see as HKLM until the owner is destroyed.
#include <string>

namespace NqHost
{
class CRegistryRoot
{
public:
    // Creates HKCU\<path> afresh and redirects HKLM to it; Active() tells whether both worked.
    explicit CRegistryRoot(const std::wstring& path);
    // HKLM goes back to what it was (the NQ_REGISTRY_ROOT key, or the machine's) and the key is removed.
    ~CRegistryRoot();
    CRegistryRoot(const CRegistryRoot&) = delete;
    CRegistryRoot& operator=(const CRegistryRoot&) = delete;

    bool Active() const { return m_active; }
    const std::wstring& Path() const { return m_path; }

private:
    std::wstring m_path;
    bool m_active = false;
};
} // namespace NqHost

#pragma once
#include "KvComn_Handle.h"

#include <windows.h>
#include <string>

namespace KvCommon
{
namespace Storage
{
// Tells, without waiting, whether a registry key may have changed since it was armed: a value set or
// deleted, a sub-key added or removed, or the key itself deleted or created. The key's own notification
// does not fire when the key is deleted, so its nearest existing ancestor is watched for names as well;
// while the key is missing, that ancestor alone tells of its creation.
class RegistryWatch
{
public:
    RegistryWatch(HKEY root, const std::wstring& path);
    RegistryWatch(const RegistryWatch&) = delete;
    RegistryWatch& operator=(const RegistryWatch&) = delete;

    // Drops the previous watch and starts a new one. False when no notification could be set up; then
    // Changed() keeps saying true. Arm before reading what is watched, so no change slips in between.
    bool Arm();
    // True when something changed since Arm, or when not armed.
    bool Changed() const;

    // Tests run hook in Arm after the key was looked up and before its ancestor is watched, where another
    // process may create or delete it; nullptr removes it.
    using ArmHook = void (*)();
    static void SetArmHook(ArmHook hook);

private:
    bool ArmAncestor();
    // RegOpenKeyExW for notifications; the key is set only on success.
    LONG Open(const std::wstring& path, UniqueHKey& key) const;

    HKEY m_root;
    std::wstring m_path;
    UniqueHandle m_keyEvent;
    UniqueHandle m_ancestorEvent;
    UniqueHKey m_key;
    UniqueHKey m_ancestor;
    bool m_armed = false;
};
} // namespace Storage
} // namespace KvCommon

#include "KvComn_RegistryWatch.h"

#include <atomic>

#ifndef REG_NOTIFY_THREAD_AGNOSTIC
#define REG_NOTIFY_THREAD_AGNOSTIC 0x10000000L
#endif

namespace KvCommon
{
namespace Storage
{
namespace
{
constexpr DWORD kKeyFilter = REG_NOTIFY_CHANGE_LAST_SET | REG_NOTIFY_CHANGE_NAME;
constexpr DWORD kAncestorFilter = REG_NOTIFY_CHANGE_NAME;

LONG Notify(HKEY key, DWORD filter, HANDLE event)
{
    // Without the flag the arming thread's exit also signals; before Windows 8 that costs one more lookup.
    LONG status = ::RegNotifyChangeKeyValue(key, FALSE, filter | REG_NOTIFY_THREAD_AGNOSTIC, event, TRUE);
    if (status == ERROR_INVALID_PARAMETER)
        status = ::RegNotifyChangeKeyValue(key, FALSE, filter, event, TRUE);
    return status;
}

std::atomic<RegistryWatch::ArmHook> g_armHook{nullptr};

std::wstring ParentPath(const std::wstring& path)
{
    const size_t slash = path.find_last_of(L'\\');
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}
} // namespace

RegistryWatch::RegistryWatch(HKEY root, const std::wstring& path)
    : m_root(root), m_path(path), m_keyEvent(::CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      m_ancestorEvent(::CreateEventW(nullptr, TRUE, FALSE, nullptr))
{
}

bool RegistryWatch::Arm()
{
    m_armed = false;
    // Closing a watched key signals its event: close first, then clear. Each watch has its own event,
    // as registering a watch may clear its event and so lose what another watch just reported.
    m_key.reset();
    m_ancestor.reset();
    if (!m_keyEvent || !m_ancestorEvent || !::ResetEvent(m_keyEvent.get()) ||
        !::ResetEvent(m_ancestorEvent.get()))
        return false;

    const LONG opened = Open(m_path, m_key);
    if (opened == ERROR_SUCCESS && Notify(m_key.get(), kKeyFilter, m_keyEvent.get()) != ERROR_SUCCESS)
        return false;
    if (opened != ERROR_SUCCESS && opened != ERROR_FILE_NOT_FOUND)
        return false;
    if (ArmHook hook = g_armHook.load(std::memory_order_acquire))
        hook();
    if (!ArmAncestor())
        return false;
    // Whatever happened to the key before its ancestor was watched went unseen: look once more.
    if (m_key)
    {
        // Deleted meanwhile: its own watch never tells, and the ancestor's began too late.
        if (::RegQueryInfoKeyW(m_key.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                               nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            return false;
    }
    else if (Open(m_path, m_key) == ERROR_SUCCESS &&
             Notify(m_key.get(), kKeyFilter, m_keyEvent.get()) != ERROR_SUCCESS)
        return false;
    m_armed = true;
    return true;
}

bool RegistryWatch::ArmAncestor()
{
    // The parent of an existing key; otherwise the nearest ancestor that exists.
    for (std::wstring ancestor = ParentPath(m_path);; ancestor = ParentPath(ancestor))
    {
        const LONG status = Open(ancestor, m_ancestor);
        if (status == ERROR_SUCCESS)
            return Notify(m_ancestor.get(), kAncestorFilter, m_ancestorEvent.get()) == ERROR_SUCCESS;
        // A missing parent of an open key means it is being deleted: try again next time.
        if (status != ERROR_FILE_NOT_FOUND || ancestor.empty() || m_key)
            return false;
    }
}

void RegistryWatch::SetArmHook(ArmHook hook)
{
    g_armHook.store(hook, std::memory_order_release);
}

LONG RegistryWatch::Open(const std::wstring& path, UniqueHKey& key) const
{
    HKEY opened = nullptr;
    const LONG status = ::RegOpenKeyExW(m_root, path.c_str(), 0, KEY_NOTIFY | KEY_QUERY_VALUE, &opened);
    if (status == ERROR_SUCCESS)
        key.reset(opened);
    return status;
}

bool RegistryWatch::Changed() const
{
    const HANDLE events[] = {m_keyEvent.get(), m_ancestorEvent.get()};
    return !m_armed || ::WaitForMultipleObjects(2, events, FALSE, 0) != WAIT_TIMEOUT;
}
} // namespace Storage
} // namespace KvCommon

#pragma once
#include "KvComn_SyncBase.h"

#include <string>

namespace KvCommon
{
namespace Synchronize
{
// Named kernel mutex, always in the session's "Local\" namespace, created with kind-11 security.
class Mutex : public Base
{
public:
    Mutex() = default;
    ~Mutex() override;

    // "Local\" + name on Windows 2000 and later; false for an empty name.
    static bool MakeName(std::wstring& out, const std::wstring& name);
    // OpenMutexW(MUTANT_QUERY_STATE); the handle is closed at once.
    static bool Exists(const std::wstring& name);

    // Fails when the name cannot be made, no handle comes back, or the mutex already existed (183);
    // in that last case the handle obtained is closed. A mutex the object held before is let go first.
    bool Create(const std::wstring& name);

    DWORD Lock() override;   // WaitForSingleObject(handle, timeout)
    DWORD Unlock() override; // ReleaseMutex(handle)
    HANDLE GetHandle() const { return m_hMutex; }

private:
    void Release();

    HANDLE m_hMutex = nullptr;
    DWORD m_dwTimeout = INFINITE;
};
} // namespace Synchronize
} // namespace KvCommon

#include "KvComn_Mutex.h"
#include "KvComn_CreationNames.h"
#include "KvComn_SecurityAttributes.h"

namespace KvCommon
{
namespace Synchronize
{
namespace
{
constexpr DWORD kMutantQueryState = 1;
}

Mutex::~Mutex()
{
    Release();
}

void Mutex::Release()
{
    if (m_hMutex && ::CloseHandle(m_hMutex))
        m_hMutex = nullptr;
}

bool Mutex::MakeName(std::wstring& out, const std::wstring& name)
{
    out.clear();
    if (name.empty())
        return false;
    CreationNames names;
    std::wstring global;
    names.MakeGlobal(global, name);
    names.MakeLocal(out, name);
    return !out.empty();
}

bool Mutex::Exists(const std::wstring& name)
{
    std::wstring made;
    if (!MakeName(made, name))
        return false;
    HANDLE h = ::OpenMutexW(kMutantQueryState, FALSE, made.c_str());
    if (!h)
        return false;
    ::CloseHandle(h);
    return true;
}

bool Mutex::Create(const std::wstring& name)
{
    // A mutex held from an earlier Create would otherwise stay open, and every later purge of its kind
    // would find it "already running" until the process ends.
    Release();
    std::wstring made;
    if (!MakeName(made, name))
        return false;
    const DWORD kind = AccessControl::KindMutexWaitQuery;
    const bool inheritable = false;
    AccessControl::SecurityAttributes attributes(kind, inheritable);
    HANDLE h = ::CreateMutexW(attributes.Get(), FALSE, made.c_str());
    const DWORD lastError = ::GetLastError();
    if (!h)
        return false;
    if (lastError == ERROR_ALREADY_EXISTS)
    {
        // Another holder already runs: ours must not keep it alive.
        ::CloseHandle(h);
        return false;
    }
    m_hMutex = h;
    return true;
}

DWORD Mutex::Lock()
{
    return ::WaitForSingleObject(m_hMutex, m_dwTimeout);
}

DWORD Mutex::Unlock()
{
    return static_cast<DWORD>(::ReleaseMutex(m_hMutex));
}
} // namespace Synchronize
} // namespace KvCommon

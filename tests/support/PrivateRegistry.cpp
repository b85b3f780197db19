// Every test binary links this: before main, HKEY_LOCAL_MACHINE becomes a key of this process's own,
// and at exit that key goes. A crashed run leaves only its private key, which the next run removes.
#include "PrivateRegistry.h"

#include <cstdio>
#include <cstdlib>
#include <cwctype>
#include <string>

namespace TestSupport
{
namespace
{
const wchar_t* const kPrivateRoot = L"Software\\NorquillTests";

bool ProcessIsGone(DWORD pid)
{
    HANDLE process = ::OpenProcess(SYNCHRONIZE, FALSE, pid);
    const bool gone = !process || ::WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
    if (process)
        ::CloseHandle(process);
    return gone;
}

// Keys of earlier runs whose process no longer lives.
void RemoveStaleKeys()
{
    HKEY root = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, kPrivateRoot, 0, KEY_READ, &root) != ERROR_SUCCESS)
        return;
    wchar_t name[64];
    for (DWORD index = 0;;)
    {
        DWORD length = 64;
        if (::RegEnumKeyExW(root, index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        const DWORD pid = static_cast<DWORD>(wcstoul(name, nullptr, 10));
        if (pid != ::GetCurrentProcessId() && std::iswdigit(name[0]) && ProcessIsGone(pid) &&
            ::RegDeleteTreeW(root, name) == ERROR_SUCCESS && ::RegDeleteKeyW(root, name) == ERROR_SUCCESS)
            continue; // the next key moved to this index
        ++index;
    }
    ::RegCloseKey(root);
}

class PrivateMachineKey
{
public:
    PrivateMachineKey()
        : m_path(std::wstring(kPrivateRoot) + L"\\" + std::to_wstring(::GetCurrentProcessId()))
    {
        RemoveStaleKeys();
        ::RegDeleteTreeW(HKEY_CURRENT_USER, m_path.c_str()); // a dead process of the same id
        if (!NqRedirectMachineKey(m_path.c_str()) ||
            !::SetEnvironmentVariableW(NQ_PRIVATE_REGISTRY_VARIABLE, m_path.c_str()))
        {
            std::fputs("tests refuse to run: HKEY_LOCAL_MACHINE could not be redirected\n", stderr);
            std::exit(3);
        }
    }
    ~PrivateMachineKey()
    {
        ::RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
        ::RegDeleteTreeW(HKEY_CURRENT_USER, m_path.c_str());
        ::RegDeleteKeyW(HKEY_CURRENT_USER, m_path.c_str());
        ::RegDeleteKeyW(HKEY_CURRENT_USER, kPrivateRoot); // only goes once empty
    }
    PrivateMachineKey(const PrivateMachineKey&) = delete;
    PrivateMachineKey& operator=(const PrivateMachineKey&) = delete;

private:
    std::wstring m_path;
};

const PrivateMachineKey g_privateMachineKey;
} // namespace
} // namespace TestSupport

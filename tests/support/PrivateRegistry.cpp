// Every test binary links this: before main, HKEY_LOCAL_MACHINE becomes a key of this process's own,
// and at exit that key goes. A crashed run leaves only its private key, in the tests' own Wine prefix; a
// later run of the same process id starts it afresh.
#include "PrivateRegistry.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace TestSupport
{
namespace
{
const wchar_t* const kPrivateRoot = L"Software\\NorquillTests";

class PrivateMachineKey
{
public:
    PrivateMachineKey()
        : m_path(std::wstring(kPrivateRoot) + L"\\" + std::to_wstring(::GetCurrentProcessId()))
    {
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

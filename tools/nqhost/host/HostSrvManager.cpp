// CHostSrvManager: the enforce handler handed to the plug-in's service on request, each call told to the
// person.
#include "HostSrvManager.h"

#include "Text.h"

namespace NqHost
{
ULONG CHostSrvManager::Reserved0()
{
    m_output.HostCall(L"service manager", L"entry 0", L"not expected: the plug-in should only call entry 1");
    return SrvFrwk::RESULT_FAILED;
}

ULONG CHostSrvManager::GetIFrameworkServiceInterface(void** ppInterface, ULONG ulCode1, ULONG ulCode2,
                                                     ULONG ulArg, ULONG_PTR ulpArg)
{
    if (ppInterface)
        *ppInterface = &m_enforceHandler;
    m_output.HostCall(L"service manager",
                      Text::Format(L"GetIFrameworkServiceInterface(%p, %lu, %lu, %lu, 0x%llx)",
                                   static_cast<void*>(ppInterface), ulCode1, ulCode2, ulArg,
                                   static_cast<unsigned long long>(ulpArg)),
                      L"the service asks for its enforce handler; the host hands one out");
    return SrvFrwk::RESULT_SUCCESS;
}
} // namespace NqHost

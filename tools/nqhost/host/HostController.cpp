// CHostController: the report notification told to the person as the plug-in calls it; any other entry
// told as unexpected and failed.
#include "HostController.h"

#include "Text.h"

namespace NqHost
{
ULONG CHostController::NotifySessionAgent(ULONG ulType, ULONG ulSubType, ULONG ulOption,
                                          ULONG_PTR ulpReserved, void* pScratch16, ULONG ulProviderType,
                                          ULONG ulReserved, ULONG_PTR ulpReserved2)
{
    ++m_notifications;
    m_output.HostCall(L"controller",
                      Text::Format(L"NotifySessionAgent(%lu, %lu, %lu, %llu, %p, 0x%lX, %lu, %llu)", ulType,
                                   ulSubType, ulOption, static_cast<unsigned long long>(ulpReserved),
                                   pScratch16, ulProviderType, ulReserved,
                                   static_cast<unsigned long long>(ulpReserved2)),
                      L"the report is due");
    return SrvFrwk::RESULT_SUCCESS;
}

ULONG CHostController::Unexpected(int entry)
{
    m_output.HostCall(L"controller", Text::Format(L"entry %d", entry),
                      L"not expected: the plug-in should only call entry 10, NotifySessionAgent");
    return SrvFrwk::RESULT_FAILED;
}
} // namespace NqHost

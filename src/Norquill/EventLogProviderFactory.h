#pragma once
#include "SrvFrwk_Interface.h"
#include "SrvFrwk_ReferenceCount.h"

// Makes and frees CEventLogProvider objects for the SfPv_ exports; the count is the number handed out.
class CEventLogProviderFactory : public SrvFrwk::Utility::ReferenceCount
{
public:
    ULONG Initialize();
    ULONG Uninitialize();
    // Checks the type codes before the pointers.
    ULONG CreateProvider(SrvFrwk::Interface::IEnforceProvider** _ppProviderContext, ULONG _ulControllerType,
                         ULONG _ulProviderType, SrvFrwk::Interface::IEnforceController* _pControllerContext,
                         ULONG _ulReserved, ULONG_PTR _ulpReserved);
    ULONG FreeProvider(SrvFrwk::Interface::IEnforceProvider* _pProviderContext, ULONG _ulControllerType,
                       ULONG _ulProviderType, ULONG _ulReserved, ULONG_PTR _ulpReserved);

private:
    static bool IsKnownType(ULONG _ulControllerType, ULONG _ulProviderType);
};

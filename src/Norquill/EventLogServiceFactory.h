#pragma once
#include "SrvFrwk_Interface.h"
#include "SrvFrwk_ReferenceCount.h"

// Makes and frees CEventLogService objects for the SfSv_ exports; the count is the number handed out.
class CEventLogServiceFactory : public SrvFrwk::Utility::ReferenceCount
{
public:
    ULONG Initialize();
    ULONG Uninitialize();
    // Checks the output pointer before the type codes.
    ULONG Create(SrvFrwk::Interface::IFrameworkService** _ppServiceContext, ULONG _ulLayerType,
                 ULONG _ulServiceType, SrvFrwk::Interface::ISrvManager* _pSrvManagerContext,
                 ULONG _ulReserved, ULONG_PTR _ulpReserved);
    // Does not check that the object came from this factory.
    ULONG Free(SrvFrwk::Interface::IFrameworkService* _pServiceContext, ULONG _ulReserved,
               ULONG_PTR _ulpReserved);
};

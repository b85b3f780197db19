#pragma once
#include "SrvFrwk_Interface.h"

// The event-log service: only fetches the enforce handler from the host's manager when started.
class CEventLogService final : public SrvFrwk::Interface::IFrameworkService
{
public:
    CEventLogService(ULONG _ulLayerType, ULONG _ulServiceType,
                     SrvFrwk::Interface::ISrvManager* _pSrvManagerContext);
    ~CEventLogService() = default;
    CEventLogService(const CEventLogService&) = delete;
    CEventLogService& operator=(const CEventLogService&) = delete;

    void* Destroy(UINT _uFlags) override;

    ULONG Initialize() override;
    ULONG Uninitialize() override;
    // Hands both arguments to the manager unchanged. A manager that succeeds without a handler leaves
    // the service stopped but its own (non-negative) code is returned.
    ULONG StartService(ULONG _ulArg, ULONG_PTR _ulpArg) override;
    ULONG StopService() override;
    // A null pointer is refused with RESULT_INVALID_ARG (traced), not written through.
    ULONG GetServiceState(ULONG* _pulState) override;
    ULONG QueryValue(ULONG, void*, ULONG, ULONG_PTR) override;
    ULONG StoreValue(ULONG, void*, ULONG, ULONG_PTR) override;
    ULONG SendMessage(ULONG, void*, ULONG, ULONG_PTR) override;
    ULONG PostMessage(ULONG, void*, ULONG, ULONG_PTR) override;
    ULONG Notify(ULONG, void*, ULONG, ULONG_PTR) override;

    enum State : ULONG
    {
        STATE_STOPPED = 0,
        STATE_STARTING = 1,
        STATE_RUNNING = 2,
    };

private:
    ULONG m_ulLayerType;
    ULONG m_ulServiceType;
    SrvFrwk::Interface::ISrvManager* m_pSrvManagerContext; // not owned
    ULONG m_ulState = STATE_STOPPED;
    void* m_pEnforceHandler = nullptr; // not owned, never called
};

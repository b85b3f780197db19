#include "EventLogService.h"

#include "KvComn_DebugLog.h"

using namespace SrvFrwk;

namespace
{
// Codes the manager expects for the enforce handler.
constexpr ULONG HandlerCode1 = 4;
constexpr ULONG HandlerCode2 = 64;
} // namespace

CEventLogService::CEventLogService(ULONG _ulLayerType, ULONG _ulServiceType,
                                   Interface::ISrvManager* _pSrvManagerContext)
    : m_ulLayerType(_ulLayerType), m_ulServiceType(_ulServiceType), m_pSrvManagerContext(_pSrvManagerContext)
{
}

ULONG CEventLogService::Initialize()
{
    KV_TRACE_FUNC(L"[Enter] CEventLogService::Initialize()...");
    KV_TRACE_FUNC(L"[Leave] CEventLogService::Initialize()...");
    return RESULT_SUCCESS;
}

ULONG CEventLogService::Uninitialize()
{
    KV_TRACE_FUNC(L"[Enter] CEventLogService::Uninitialize()...");
    KV_TRACE_FUNC(L"[Leave] CEventLogService::Uninitialize()...");
    return RESULT_SUCCESS;
}

ULONG CEventLogService::StartService(ULONG _ulArg, ULONG_PTR _ulpArg)
{
    KV_TRACE_FUNC(L"[Enter] CEventLogService::StartService()...");
    m_ulState = STATE_STARTING;
    const ULONG result = m_pSrvManagerContext->GetIFrameworkServiceInterface(&m_pEnforceHandler, HandlerCode1,
                                                                             HandlerCode2, _ulArg, _ulpArg);
    if (Failed(result))
    {
        KV_TRACE_ERROR(L"IFrameworkService::GetIFrameworkServiceInterface() failed: 0x%08X", result);
        m_ulState = STATE_STOPPED;
        return result;
    }
    if (m_pEnforceHandler == nullptr)
    {
        KV_TRACE_ERROR(L"m_pEnforceHandler is NULL");
        m_ulState = STATE_STOPPED;
        return result;
    }
    m_ulState = STATE_RUNNING;
    KV_TRACE_FUNC(L"[Leave] CEventLogService::StartService()...");
    return RESULT_SUCCESS;
}

ULONG CEventLogService::StopService()
{
    KV_TRACE_FUNC(L"[Enter] CEventLogService::StopService()...");
    m_ulState = STATE_STOPPED;
    m_pEnforceHandler = nullptr;
    KV_TRACE_FUNC(L"[Leave] CEventLogService::StopService()...");
    return RESULT_SUCCESS;
}

ULONG CEventLogService::GetServiceState(ULONG* _pulState)
{
    KV_TRACE_FUNC(L"[Enter] CEventLogService::GetServiceState()...");
    *_pulState = m_ulState;
    KV_TRACE_FUNC(L"[Leave] CEventLogService::GetServiceState()...");
    return RESULT_SUCCESS;
}

ULONG CEventLogService::QueryValue(ULONG, void*, ULONG, ULONG_PTR)
{
    KV_TRACE_FUNC(L"[Enter] CEventLogService::QueryValue()...");
    KV_TRACE_FUNC(L"[Leave] CEventLogService::QueryValue()...");
    return RESULT_SUCCESS;
}

ULONG CEventLogService::StoreValue(ULONG, void*, ULONG, ULONG_PTR)
{
    KV_TRACE_FUNC(L"[Enter] CEventLogService::StoreValue()...");
    KV_TRACE_FUNC(L"[Leave] CEventLogService::StoreValue()...");
    return RESULT_SUCCESS;
}

ULONG CEventLogService::SendMessage(ULONG, void*, ULONG, ULONG_PTR)
{
    KV_TRACE_FUNC(L"[Enter] CEventLogService::SendMessage()...");
    KV_TRACE_FUNC(L"[Leave] CEventLogService::SendMessage()...");
    return RESULT_SUCCESS;
}

ULONG CEventLogService::PostMessage(ULONG, void*, ULONG, ULONG_PTR)
{
    KV_TRACE_FUNC(L"[Enter] CEventLogService::PostMessage()...");
    KV_TRACE_FUNC(L"[Leave] CEventLogService::PostMessage()...");
    return RESULT_SUCCESS;
}

ULONG CEventLogService::Notify(ULONG, void*, ULONG, ULONG_PTR)
{
    KV_TRACE_FUNC(L"[Enter] CEventLogService::Notify()...");
    KV_TRACE_FUNC(L"[Leave] CEventLogService::Notify()...");
    return RESULT_SUCCESS;
}

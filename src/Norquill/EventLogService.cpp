#include "EventLogService.h"

#include "KvComn_DebugLog.h"

using namespace SrvFrwk;

namespace
{
// Codes the manager expects for the enforce handler.
constexpr ULONG HandlerCode1 = 4;
constexpr ULONG HandlerCode2 = 64;

// The operations that accept any call: an enter and a leave line, and success.
ULONG TraceOnly(const wchar_t* operation)
{
    KV_TRACE_FUNC(L"[Enter] CEventLogService::%s()...", operation);
    KV_TRACE_FUNC(L"[Leave] CEventLogService::%s()...", operation);
    return RESULT_SUCCESS;
}
} // namespace

CEventLogService::CEventLogService(ULONG _ulLayerType, ULONG _ulServiceType,
                                   Interface::ISrvManager* _pSrvManagerContext)
    : m_ulLayerType(_ulLayerType), m_ulServiceType(_ulServiceType), m_pSrvManagerContext(_pSrvManagerContext)
{
}

void* CEventLogService::Destroy(UINT _uFlags)
{
    return Interface::DestroyObject(this, _uFlags);
}

ULONG CEventLogService::Initialize()
{
    return TraceOnly(L"Initialize");
}

ULONG CEventLogService::Uninitialize()
{
    return TraceOnly(L"Uninitialize");
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
    // A host's null pointer must not bring its process down.
    if (!_pulState)
    {
        KV_TRACE_ERROR(L"_pulState is NULL");
        return RESULT_INVALID_ARG;
    }
    *_pulState = m_ulState;
    KV_TRACE_FUNC(L"[Leave] CEventLogService::GetServiceState()...");
    return RESULT_SUCCESS;
}

ULONG CEventLogService::QueryValue(ULONG, void*, ULONG, ULONG_PTR)
{
    return TraceOnly(L"QueryValue");
}

ULONG CEventLogService::StoreValue(ULONG, void*, ULONG, ULONG_PTR)
{
    return TraceOnly(L"StoreValue");
}

ULONG CEventLogService::SendMessage(ULONG, void*, ULONG, ULONG_PTR)
{
    return TraceOnly(L"SendMessage");
}

ULONG CEventLogService::PostMessage(ULONG, void*, ULONG, ULONG_PTR)
{
    return TraceOnly(L"PostMessage");
}

ULONG CEventLogService::Notify(ULONG, void*, ULONG, ULONG_PTR)
{
    return TraceOnly(L"Notify");
}

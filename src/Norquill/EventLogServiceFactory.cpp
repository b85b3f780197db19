#include "EventLogServiceFactory.h"

#include "EventLogService.h"
#include "KvComn_DebugLog.h"

#include <new>

using namespace SrvFrwk;

ULONG CEventLogServiceFactory::Initialize()
{
    KV_TRACE_FUNC(L"[Enter] CEventLogServiceFactory::Initialize()...");
    KV_TRACE_FUNC(L"[Leave] CEventLogServiceFactory::Initialize()...");
    return RESULT_SUCCESS;
}

ULONG CEventLogServiceFactory::Uninitialize()
{
    KV_TRACE_FUNC(L"[Enter] CEventLogServiceFactory::Uninitialize()...");
    KV_TRACE_FUNC(L"[Leave] CEventLogServiceFactory::Uninitialize()...");
    return RESULT_SUCCESS;
}

ULONG CEventLogServiceFactory::Create(Interface::IFrameworkService** _ppServiceContext, ULONG _ulLayerType,
                                      ULONG _ulServiceType, Interface::ISrvManager* _pSrvManagerContext,
                                      ULONG, ULONG_PTR)
{
    KV_TRACE_FUNC(L"[Enter] CEventLogServiceFactory::Create()...");
    if (_ppServiceContext == nullptr)
    {
        KV_TRACE_ERROR(L"_ppServiceContext is NULL");
        return RESULT_INVALID_ARG;
    }
    if (_ulLayerType != LAYER_TYPE_ENFORCE || _ulServiceType != SERVICE_TYPE_EVENTLOG)
    {
        KV_TRACE_ERROR(L"type unknown - LayerType: 0x%08X, ServiceType: 0x%08X", _ulLayerType,
                       _ulServiceType);
        return RESULT_BAD_TYPE;
    }
    if (_pSrvManagerContext == nullptr)
    {
        KV_TRACE_ERROR(L"_pSrvManagerContext is NULL");
        return RESULT_INVALID_ARG;
    }
    auto* pService = new (std::nothrow) CEventLogService(_ulLayerType, _ulServiceType, _pSrvManagerContext);
    if (pService == nullptr)
    {
        KV_TRACE_ERROR(L"out of memory");
        return RESULT_OUT_OF_MEMORY;
    }
    const ULONG count = AddRef();
    *_ppServiceContext = pService;
    KV_TRACE_FUNC(L"[Leave] CEventLogServiceFactory::Create()... - RefCount: %lu", count);
    return RESULT_SUCCESS;
}

ULONG CEventLogServiceFactory::Free(Interface::IFrameworkService* _pServiceContext, ULONG, ULONG_PTR)
{
    KV_TRACE_FUNC(L"[Enter] CEventLogServiceFactory::Free()...");
    if (_pServiceContext == nullptr)
    {
        KV_TRACE_ERROR(L"_pServiceContext is NULL");
        return RESULT_INVALID_ARG;
    }
    _pServiceContext->Destroy(Interface::DESTROY_FREE);
    const ULONG count = Release();
    KV_TRACE_FUNC(L"[Leave] CEventLogServiceFactory::Free()... - RefCount: %lu", count);
    return RESULT_SUCCESS;
}

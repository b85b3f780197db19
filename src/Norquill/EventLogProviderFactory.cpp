#include "EventLogProviderFactory.h"

#include "EventLogProvider.h"
#include "KvComn_DebugLog.h"

#include <new>

using namespace SrvFrwk;

ULONG CEventLogProviderFactory::Initialize()
{
    KV_TRACE_FUNC(L"[Enter] CEventLogProviderFactory::Initialize()...");
    KV_TRACE_FUNC(L"[Leave] CEventLogProviderFactory::Initialize()...");
    return RESULT_SUCCESS;
}

ULONG CEventLogProviderFactory::Uninitialize()
{
    KV_TRACE_FUNC(L"[Enter] CEventLogProviderFactory::Uninitialize()...");
    KV_TRACE_FUNC(L"[Leave] CEventLogProviderFactory::Uninitialize()...");
    return RESULT_SUCCESS;
}

bool CEventLogProviderFactory::IsKnownType(ULONG _ulControllerType, ULONG _ulProviderType)
{
    if (_ulControllerType == CONTROLLER_TYPE && _ulProviderType == PROVIDER_TYPE_EVENTLOG)
        return true;
    KV_TRACE_ERROR(L"type unknown - ControllerType: 0x%08X, ProviderType: 0x%08X", _ulControllerType,
                   _ulProviderType);
    return false;
}

ULONG CEventLogProviderFactory::CreateProvider(Interface::IEnforceProvider** _ppProviderContext,
                                               ULONG _ulControllerType, ULONG _ulProviderType,
                                               Interface::IEnforceController* _pControllerContext, ULONG,
                                               ULONG_PTR)
{
    KV_TRACE_FUNC(L"[Enter] CEventLogProviderFactory::CreateProvider()...");
    if (!IsKnownType(_ulControllerType, _ulProviderType))
        return RESULT_BAD_TYPE;
    if (_ppProviderContext == nullptr)
    {
        KV_TRACE_ERROR(L"_ppProviderContext is NULL");
        return RESULT_INVALID_ARG;
    }
    if (_pControllerContext == nullptr)
    {
        KV_TRACE_ERROR(L"_pControllerContext is NULL");
        return RESULT_INVALID_ARG;
    }
    auto* pProvider = new (std::nothrow) CEventLogProvider(_pControllerContext);
    if (pProvider == nullptr)
    {
        KV_TRACE_ERROR(L"out of memory");
        return RESULT_OUT_OF_MEMORY;
    }
    const ULONG count = AddRef();
    *_ppProviderContext = pProvider;
    KV_TRACE_FUNC(L"[Leave] CEventLogProviderFactory::CreateProvider() - RefCount: %lu", count);
    return RESULT_SUCCESS;
}

ULONG CEventLogProviderFactory::FreeProvider(Interface::IEnforceProvider* _pProviderContext,
                                             ULONG _ulControllerType, ULONG _ulProviderType, ULONG, ULONG_PTR)
{
    KV_TRACE_FUNC(L"[Enter] CEventLogProviderFactory::FreeProvider()...");
    if (!IsKnownType(_ulControllerType, _ulProviderType))
        return RESULT_BAD_TYPE;
    if (_pProviderContext == nullptr)
    {
        KV_TRACE_ERROR(L"_pProviderContext is NULL");
        return RESULT_INVALID_ARG;
    }
    _pProviderContext->Destroy(Interface::DESTROY_FREE);
    const ULONG count = Release();
    KV_TRACE_FUNC(L"[Leave] CEventLogProviderFactory::FreeProvider() - RefCount: %lu", count);
    return RESULT_SUCCESS;
}

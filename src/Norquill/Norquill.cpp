// Module entry point and the eight exports. The exports hold no logic: they forward to the factory of
// their family, which comes into being on the first call of any export of that family.
#include "EventLogProviderFactory.h"
#include "EventLogServiceFactory.h"
#include "KvComn_DebugLog.h"
#include "KvComn_Library.h"

using namespace SrvFrwk;
using namespace SrvFrwk::Interface;

namespace
{
// Function-local statics: safe against concurrent first calls, destroyed at module exit.
CEventLogServiceFactory& ServiceFactory()
{
    static CEventLogServiceFactory factory;
    return factory;
}

CEventLogProviderFactory& ProviderFactory()
{
    static CEventLogProviderFactory factory;
    return factory;
}

ULONG TraceFailure(ULONG result, const wchar_t* message)
{
    if (Failed(result))
        KV_TRACE_ERROR(message, result);
    return result;
}
} // namespace

BOOL WINAPI DllMain(HINSTANCE hModule, DWORD dwReason, LPVOID)
{
    if (dwReason == DLL_PROCESS_ATTACH)
    {
        DisableThreadLibraryCalls(hModule);
        // The trace library is taken only from beside this module: the host's current folder is not
        // ours to trust. Without the folder, tracing stays off.
        std::wstring folder;
        KvCommon::Library::ModuleFolder(hModule, folder);
        g_DebugLog.Initialize(L"Norquill",
                              KvCommon::Storage::Key(KvCommon::Storage::KindRegistry, HKEY_LOCAL_MACHINE,
                                                     L"Software\\Kelvanor\\Brisqual\\16\\DebugLog"),
                              folder);
        KV_TRACE_INFO(L"***Norquill.dll was loaded as process attach.");
    }
    else if (dwReason == DLL_PROCESS_DETACH)
    {
        KV_TRACE_INFO(L"***Norquill.dll was unloaded as process detach.");
        g_DebugLog.Uninitialize();
    }
    return TRUE;
}

extern "C"
{
    ULONG WINAPI SfSv_Initialize()
    {
        KV_TRACE_FUNC(L"[Enter] ::SfSv_Initialize...");
        ServiceFactory().Initialize();
        KV_TRACE_FUNC(L"[Leave] ::SfSv_Initialize...");
        return RESULT_SUCCESS;
    }

    ULONG WINAPI SfSv_Uninitialize()
    {
        KV_TRACE_FUNC(L"[Enter] ::SfSv_Uninitialize...");
        ServiceFactory().Uninitialize();
        KV_TRACE_FUNC(L"[Leave] ::SfSv_Uninitialize...");
        return RESULT_SUCCESS;
    }

    ULONG WINAPI SfSv_CreateService(IFrameworkService** _ppServiceContext, ULONG ulLayerType,
                                    ULONG ulServiceType, ISrvManager* _pSrvManagerContext, ULONG ulReserved,
                                    ULONG_PTR ulpReserved)
    {
        KV_TRACE_FUNC(L"[Enter] ::SfSv_CreateService...");
        const ULONG result =
            TraceFailure(ServiceFactory().Create(_ppServiceContext, ulLayerType, ulServiceType,
                                                 _pSrvManagerContext, ulReserved, ulpReserved),
                         L"CEventLogServiceFactory::Create() failed: 0x%08X");
        KV_TRACE_FUNC(L"[Leave] ::SfSv_CreateService...");
        return result;
    }

    ULONG WINAPI SfSv_FreeService(IFrameworkService* _pServiceContext, ULONG, ULONG, ULONG ulReserved,
                                  ULONG_PTR ulpReserved)
    {
        KV_TRACE_FUNC(L"[Enter] ::SfSv_FreeService...");
        const ULONG result = TraceFailure(ServiceFactory().Free(_pServiceContext, ulReserved, ulpReserved),
                                          L"CEventLogServiceFactory::Free() failed: 0x%08X");
        KV_TRACE_FUNC(L"[Leave] ::SfSv_FreeService...");
        return result;
    }

    ULONG WINAPI SfPv_Initialize()
    {
        KV_TRACE_FUNC(L"[Enter] ::SfPv_Initialize...");
        ProviderFactory().Initialize();
        KV_TRACE_FUNC(L"[Leave] ::SfPv_Initialize...");
        return RESULT_SUCCESS;
    }

    ULONG WINAPI SfPv_Uninitialize()
    {
        KV_TRACE_FUNC(L"[Enter] ::SfPv_Uninitialize...");
        ProviderFactory().Uninitialize();
        KV_TRACE_FUNC(L"[Leave] ::SfPv_Uninitialize...");
        return RESULT_SUCCESS;
    }

    ULONG WINAPI SfPv_CreateProvider(IEnforceProvider** _ppProviderContext, ULONG ulControllerType,
                                     ULONG ulProviderType, IEnforceController* _pControllerContext,
                                     ULONG ulReserved, ULONG_PTR ulpReserved)
    {
        KV_TRACE_FUNC(L"[Enter] ::SfPv_CreateProvider...");
        const ULONG result = TraceFailure(
            ProviderFactory().CreateProvider(_ppProviderContext, ulControllerType, ulProviderType,
                                             _pControllerContext, ulReserved, ulpReserved),
            L"CEventLogProviderFactory::Create() failed: 0x%08X");
        KV_TRACE_FUNC(L"[Leave] ::SfPv_CreateProvider...");
        return result;
    }

    ULONG WINAPI SfPv_FreeProvider(IEnforceProvider* _pProviderContext, ULONG ulControllerType,
                                   ULONG ulProviderType, ULONG ulReserved, ULONG_PTR ulpReserved)
    {
        KV_TRACE_FUNC(L"[Enter] ::SfPv_FreeProvider...");
        const ULONG result =
            TraceFailure(ProviderFactory().FreeProvider(_pProviderContext, ulControllerType, ulProviderType,
                                                        ulReserved, ulpReserved),
                         L"CEventLogProviderFactory::Free() failed: 0x%08X");
        KV_TRACE_FUNC(L"[Leave] ::SfPv_FreeProvider...");
        return result;
    }
}

// CPluginHost: the DLL loaded and its exports resolved, the service and the provider made on first use, and
// everything released in the framework's order.
#include "PluginHost.h"

#include "ResultCodes.h"
#include "Text.h"

namespace NqHost
{
namespace
{
std::wstring FullPath(const std::wstring& path)
{
    wchar_t full[MAX_PATH];
    DWORD length = GetFullPathNameW(path.c_str(), MAX_PATH, full, nullptr);
    return length > 0 && length < MAX_PATH ? std::wstring(full, length) : path;
}
} // namespace

CPluginHost::CPluginHost(COutput& output, const std::wstring& dllPath, bool verbose)
    : m_output(output), m_dllPath(dllPath.empty() ? DefaultDllPath() : FullPath(dllPath)), m_verbose(verbose),
      m_srvManager(output), m_controller(output)
{
}

CPluginHost::~CPluginHost()
{
    Release();
}

void CPluginHost::Release()
{
    FreeObjects();
    if (m_pvInitialized)
        Report(L"SfPv_Uninitialize", m_pvUninitialize());
    if (m_svInitialized)
        Report(L"SfSv_Uninitialize", m_svUninitialize());
    m_pvInitialized = m_svInitialized = false;
    if (m_module && m_verbose)
        m_output.Message(L"host: unloaded " + m_dllPath);
    m_module.reset();
}

std::wstring CPluginHost::DefaultDllPath()
{
    wchar_t path[MAX_PATH];
    DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, length < MAX_PATH ? length : 0);
    size_t slash = folder.find_last_of(L"\\/");
    folder.resize(slash == std::wstring::npos ? 0 : slash + 1);
    return folder + L"Norquill.dll";
}

template <class T> bool CPluginHost::Resolve(T& entry, const char* name)
{
    entry = reinterpret_cast<T>(reinterpret_cast<void*>(GetProcAddress(m_module.get(), name)));
    if (!entry)
        m_output.Failure(Text::Format(L"%s has no export %hs: %s", m_dllPath.c_str(), name,
                                      ResultCodes::Describe(GetLastError()).c_str()));
    return entry != nullptr;
}

bool CPluginHost::Load()
{
    if (m_loadTried)
        return m_module.valid();
    m_loadTried = true;
    m_module.reset(LoadLibraryW(m_dllPath.c_str()));
    if (!m_module)
    {
        m_output.Failure(L"cannot load " + m_dllPath + L": " + ResultCodes::Describe(GetLastError()));
        return false;
    }
    if (m_verbose)
        m_output.Message(L"host: loaded " + m_dllPath);
    bool all = Resolve(m_svInitialize, "SfSv_Initialize") & Resolve(m_svUninitialize, "SfSv_Uninitialize") &
               Resolve(m_svCreate, "SfSv_CreateService") & Resolve(m_svFree, "SfSv_FreeService") &
               Resolve(m_pvInitialize, "SfPv_Initialize") & Resolve(m_pvUninitialize, "SfPv_Uninitialize") &
               Resolve(m_pvCreate, "SfPv_CreateProvider") & Resolve(m_pvFree, "SfPv_FreeProvider");
    if (!all)
        m_module.reset();
    return all;
}

bool CPluginHost::Report(const std::wstring& call, ULONG result)
{
    bool ok = !ResultCodes::IsFailure(result);
    if (m_verbose || !ok)
        m_output.Result(L"host: " + call, result);
    return ok;
}

SrvFrwk::Interface::IEnforceProvider* CPluginHost::Provider()
{
    if (m_provider || !Load())
        return m_provider;
    m_pvInitialized = m_pvInitialized || Report(L"SfPv_Initialize", m_pvInitialize());
    SrvFrwk::Interface::IEnforceProvider* provider = nullptr;
    if (!Report(L"SfPv_CreateProvider", m_pvCreate(&provider, SrvFrwk::CONTROLLER_TYPE,
                                                   SrvFrwk::PROVIDER_TYPE_EVENTLOG, &m_controller, 0, 0)))
        return nullptr;
    if (!provider)
    {
        m_output.Failure(L"SfPv_CreateProvider succeeded but handed out no provider");
        return nullptr;
    }
    m_provider = provider;
    Report(L"IEnforceProvider::Initialize", m_provider->Initialize());
    return m_provider;
}

SrvFrwk::Interface::IFrameworkService* CPluginHost::Service()
{
    if (m_service || !Load())
        return m_service;
    m_svInitialized = m_svInitialized || Report(L"SfSv_Initialize", m_svInitialize());
    SrvFrwk::Interface::IFrameworkService* service = nullptr;
    if (!Report(L"SfSv_CreateService", m_svCreate(&service, SrvFrwk::LAYER_TYPE_ENFORCE,
                                                  SrvFrwk::SERVICE_TYPE_EVENTLOG, &m_srvManager, 0, 0)))
        return nullptr;
    if (!service)
    {
        m_output.Failure(L"SfSv_CreateService succeeded but handed out no service");
        return nullptr;
    }
    m_service = service;
    Report(L"IFrameworkService::Initialize", m_service->Initialize());
    return m_service;
}

void CPluginHost::FreeObjects()
{
    if (m_provider)
    {
        Report(L"IEnforceProvider::Uninitialize", m_provider->Uninitialize());
        Report(L"SfPv_FreeProvider",
               m_pvFree(m_provider, SrvFrwk::CONTROLLER_TYPE, SrvFrwk::PROVIDER_TYPE_EVENTLOG, 0, 0));
        m_provider = nullptr;
    }
    if (m_service)
    {
        Report(L"IFrameworkService::Uninitialize", m_service->Uninitialize());
        Report(L"SfSv_FreeService",
               m_svFree(m_service, SrvFrwk::LAYER_TYPE_ENFORCE, SrvFrwk::SERVICE_TYPE_EVENTLOG, 0, 0));
        m_service = nullptr;
    }
}
} // namespace NqHost

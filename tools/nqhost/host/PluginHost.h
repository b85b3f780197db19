#pragma once
// Loads the plug-in like the framework does (LoadLibraryW, GetProcAddress, the eight exports), creates
// the service and the provider on first use and releases everything in the framework's order.
#include "HostController.h"
#include "HostSrvManager.h"
#include "Output.h"
#include "SrvFrwk_Interface.h"

#include "KvCommon/KvComn_Handle.h"

#include <string>

namespace NqHost
{
class CPluginHost
{
public:
    // verbose: report every export call, not only the failing ones.
    CPluginHost(COutput& output, const std::wstring& dllPath, bool verbose);
    ~CPluginHost();
    CPluginHost(const CPluginHost&) = delete;
    CPluginHost& operator=(const CPluginHost&) = delete;

    // The DLL beside nqhost.exe.
    static std::wstring DefaultDllPath();
    const std::wstring& DllPath() const { return m_dllPath; }

    // Null after a failure, which has been reported.
    SrvFrwk::Interface::IEnforceProvider* Provider();
    SrvFrwk::Interface::IFrameworkService* Service();
    const CHostController& Controller() const { return m_controller; }
    // Frees the objects, uninitializes both families and unloads the DLL; the destructor does the same.
    void Release();

private:
    bool Load();
    template <class T> bool Resolve(T& entry, const char* name);
    // Reports the call when verbose or failed; true when the result is not negative.
    bool Report(const std::wstring& call, ULONG result);
    void FreeObjects();

    COutput& m_output;
    std::wstring m_dllPath;
    bool m_verbose;
    bool m_loadTried = false;
    KvCommon::UniqueModule m_module;
    CHostSrvManager m_srvManager;
    CHostController m_controller;

    PFN_SfSv_Initialize m_svInitialize = nullptr;
    PFN_SfSv_Uninitialize m_svUninitialize = nullptr;
    PFN_SfSv_CreateService m_svCreate = nullptr;
    PFN_SfSv_FreeService m_svFree = nullptr;
    PFN_SfPv_Initialize m_pvInitialize = nullptr;
    PFN_SfPv_Uninitialize m_pvUninitialize = nullptr;
    PFN_SfPv_CreateProvider m_pvCreate = nullptr;
    PFN_SfPv_FreeProvider m_pvFree = nullptr;

    bool m_svInitialized = false;
    bool m_pvInitialized = false;
    SrvFrwk::Interface::IFrameworkService* m_service = nullptr;
    SrvFrwk::Interface::IEnforceProvider* m_provider = nullptr;
};
} // namespace NqHost

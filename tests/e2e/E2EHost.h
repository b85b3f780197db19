#pragma once
// A small host of the tests' own: loads the built Norquill.dll like a real host (LoadLibraryW,
// GetProcAddress, the interfaces) and records what the plug-in asks of its manager and controller.
#include "SrvFrwk_EventLog.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace E2E
{
#define E2E_ENTRY(name) PFN_##name name = Entry<PFN_##name>(#name)
class NorquillDll
{
public:
    NorquillDll() = default;
    ~NorquillDll()
    {
        if (m_module)
            FreeLibrary(m_module);
    }
    NorquillDll(const NorquillDll&) = delete;
    NorquillDll& operator=(const NorquillDll&) = delete;

    bool Loaded() const
    {
        return SfSv_Initialize && SfSv_Uninitialize && SfSv_CreateService && SfSv_FreeService &&
               SfPv_Initialize && SfPv_Uninitialize && SfPv_CreateProvider && SfPv_FreeProvider;
    }

private:
    template <class T> T Entry(const char* name)
    {
        return m_module ? reinterpret_cast<T>(reinterpret_cast<void*>(GetProcAddress(m_module, name)))
                        : nullptr;
    }
    HMODULE m_module = LoadLibraryW((TestSupport::BinFolder() + L"Norquill.dll").c_str());

public:
    E2E_ENTRY(SfSv_Initialize);
    E2E_ENTRY(SfSv_Uninitialize);
    E2E_ENTRY(SfSv_CreateService);
    E2E_ENTRY(SfSv_FreeService);
    E2E_ENTRY(SfPv_Initialize);
    E2E_ENTRY(SfPv_Uninitialize);
    E2E_ENTRY(SfPv_CreateProvider);
    E2E_ENTRY(SfPv_FreeProvider);
};
#undef E2E_ENTRY

// Entries the plug-in must never call fail the test loudly.
#define E2E_NOT_CALLED(name)                                                                                 \
    ULONG name() override                                                                                    \
    {                                                                                                        \
        ADD_FAILURE() << "the plug-in called " #name;                                                        \
        return SrvFrwk::RESULT_FAILED;                                                                       \
    }

class RecordingSrvManager : public SrvFrwk::Interface::ISrvManager
{
public:
    struct Call
    {
        void** ppInterface;
        ULONG code1, code2, arg;
        ULONG_PTR ulpArg;
    };
    E2E_NOT_CALLED(Reserved0)
    ULONG GetIFrameworkServiceInterface(void** ppInterface, ULONG code1, ULONG code2, ULONG arg,
                                        ULONG_PTR ulpArg) override
    {
        calls.push_back({ppInterface, code1, code2, arg, ulpArg});
        if (handler && ppInterface)
            *ppInterface = handler;
        return result;
    }

    std::vector<Call> calls;
    ULONG result = SrvFrwk::RESULT_SUCCESS;
    void* handler = nullptr; // what the manager hands out; null leaves the out-pointer untouched
};

class RecordingController : public SrvFrwk::Interface::IEnforceController
{
public:
    struct Call
    {
        ULONG type, subType, option;
        ULONG_PTR reserved;
        void* scratch;
        ULONG providerType, reserved2;
        ULONG_PTR reserved3;
    };
    E2E_NOT_CALLED(Reserved0)
    E2E_NOT_CALLED(Reserved1)
    E2E_NOT_CALLED(Reserved2)
    E2E_NOT_CALLED(Reserved3)
    E2E_NOT_CALLED(Reserved4)
    E2E_NOT_CALLED(Reserved5)
    E2E_NOT_CALLED(Reserved6)
    E2E_NOT_CALLED(Reserved7)
    E2E_NOT_CALLED(Reserved8)
    E2E_NOT_CALLED(Reserved9)
    ULONG NotifySessionAgent(ULONG type, ULONG subType, ULONG option, ULONG_PTR reserved, void* scratch,
                             ULONG providerType, ULONG reserved2, ULONG_PTR reserved3) override
    {
        calls.push_back({type, subType, option, reserved, scratch, providerType, reserved2, reserved3});
        return SrvFrwk::RESULT_SUCCESS;
    }

    std::vector<Call> calls;
};
#undef E2E_NOT_CALLED

// A provider created through the exports for one test and freed in the host's order.
class ProviderSession
{
public:
    explicit ProviderSession(NorquillDll& dll) : m_dll(dll)
    {
        m_dll.SfPv_Initialize();
        createResult = m_dll.SfPv_CreateProvider(&provider, SrvFrwk::CONTROLLER_TYPE,
                                                 SrvFrwk::PROVIDER_TYPE_EVENTLOG, &controller, 0, 0);
    }
    ~ProviderSession()
    {
        if (provider)
            m_dll.SfPv_FreeProvider(provider, SrvFrwk::CONTROLLER_TYPE, SrvFrwk::PROVIDER_TYPE_EVENTLOG, 0,
                                    0);
        m_dll.SfPv_Uninitialize();
    }
    ProviderSession(const ProviderSession&) = delete;
    ProviderSession& operator=(const ProviderSession&) = delete;

    SrvFrwk::Interface::IEnforceProvider* operator->() const { return provider; }

    RecordingController controller;
    SrvFrwk::Interface::IEnforceProvider* provider = nullptr;
    ULONG createResult = 0;

private:
    NorquillDll& m_dll;
};

// Loads the DLL once per test binary; each test gets a fresh installation folder and settings key.
class NorquillTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { s_dll = new NorquillDll(); }
    static void TearDownTestSuite()
    {
        delete s_dll;
        s_dll = nullptr;
    }
    void SetUp() override { ASSERT_TRUE(s_dll && s_dll->Loaded()) << "Norquill.dll not loaded"; }

    NorquillDll& Dll() { return *s_dll; }

    TestSupport::EventLogSandbox sandbox;
    static inline NorquillDll* s_dll = nullptr;
};
} // namespace E2E

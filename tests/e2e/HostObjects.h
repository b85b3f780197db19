#pragma once
// The host's side: the loaded plug-in, and objects that record what the plug-in asks of them.
#include "SrvFrwk_Interface.h"
#include "TestSupport.h"

#include <vector>

namespace E2E
{
// Slots the plug-in must not call answer a failure, which the tests would see.
class RecordingSrvManager : public SrvFrwk::Interface::ISrvManager
{
public:
    ULONG Reserved0() override { return SrvFrwk::RESULT_FAILED; }
    ULONG GetIFrameworkServiceInterface(void** ppInterface, ULONG code1, ULONG code2, ULONG arg,
                                        ULONG_PTR ulpArg) override
    {
        calls.push_back({reinterpret_cast<ULONG_PTR>(ppInterface), code1, code2, arg, ulpArg});
        if (handler && ppInterface)
            *ppInterface = handler;
        return result;
    }

    std::vector<std::vector<ULONG_PTR>> calls; // the arguments in order
    ULONG result = SrvFrwk::RESULT_SUCCESS;
    void* handler = nullptr; // what the manager hands out; null leaves the out-pointer untouched
};

class RecordingController : public SrvFrwk::Interface::IEnforceController
{
public:
    ULONG Reserved0() override { return SrvFrwk::RESULT_FAILED; }
    ULONG Reserved1() override { return SrvFrwk::RESULT_FAILED; }
    ULONG Reserved2() override { return SrvFrwk::RESULT_FAILED; }
    ULONG Reserved3() override { return SrvFrwk::RESULT_FAILED; }
    ULONG Reserved4() override { return SrvFrwk::RESULT_FAILED; }
    ULONG Reserved5() override { return SrvFrwk::RESULT_FAILED; }
    ULONG Reserved6() override { return SrvFrwk::RESULT_FAILED; }
    ULONG Reserved7() override { return SrvFrwk::RESULT_FAILED; }
    ULONG Reserved8() override { return SrvFrwk::RESULT_FAILED; }
    ULONG Reserved9() override { return SrvFrwk::RESULT_FAILED; }
    ULONG NotifySessionAgent(ULONG type, ULONG subType, ULONG option, ULONG_PTR reserved, void* scratch,
                             ULONG providerType, ULONG reserved2, ULONG_PTR reserved3) override
    {
        calls.push_back({type, subType, option, reserved, reinterpret_cast<ULONG_PTR>(scratch), providerType,
                         reserved2, reserved3});
        return SrvFrwk::RESULT_SUCCESS;
    }

    std::vector<std::vector<ULONG_PTR>> calls; // the arguments in order
};

#define E2E_ENTRY(name) PFN_##name name = Entry<PFN_##name>(#name)
class NorquillDll
{
public:
    explicit NorquillDll(const std::wstring& path = TestSupport::BinFolder() + L"Norquill.dll")
        : m_module(LoadLibraryW(path.c_str()))
    {
    }
    ~NorquillDll()
    {
        if (m_module)
            FreeLibrary(m_module);
    }

    bool Loaded() const
    {
        return SfSv_Initialize && SfSv_Uninitialize && SfSv_CreateService && SfSv_FreeService &&
               SfPv_Initialize && SfPv_Uninitialize && SfPv_CreateProvider && SfPv_FreeProvider;
    }

    // Also the extra entries of a test build of the plug-in.
    template <class T> T Entry(const char* name)
    {
        return m_module ? reinterpret_cast<T>(reinterpret_cast<void*>(GetProcAddress(m_module, name)))
                        : nullptr;
    }

private:
    HMODULE m_module;

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
} // namespace E2E

#include "TracedDll.h"

using namespace E2E;
using namespace SrvFrwk;
using namespace SrvFrwk::Interface;

namespace
{
class ServiceTest : public TracedDllTest
{
protected:
    void SetUp() override
    {
        TracedDllTest::SetUp();
        ASSERT_EQ(RESULT_SUCCESS, Dll().SfSv_CreateService(&service, LAYER_TYPE_ENFORCE,
                                                           SERVICE_TYPE_EVENTLOG, &manager, 0, 0));
    }
    void TearDown() override
    {
        if (m_dll && service)
            Dll().SfSv_FreeService(service, 0, 0, 0, 0);
    }
    std::vector<std::wstring> FreeAndReadTrace()
    {
        Dll().SfSv_FreeService(service, 0, 0, 0, 0);
        service = nullptr;
        return UnloadAndReadTrace();
    }
    ULONG State()
    {
        ULONG state = 0xFFFF;
        EXPECT_EQ(RESULT_SUCCESS, service->GetServiceState(&state));
        return state;
    }

    RecordingSrvManager manager;
    IFrameworkService* service = nullptr;
};
} // namespace

TEST_F(ServiceTest, StartServiceAsksManagerForHandlerWithItsOwnArguments)
{
    int handler = 0;
    manager.handler = &handler;
    EXPECT_EQ(0u, State());
    EXPECT_EQ(RESULT_SUCCESS, service->StartService(0x1234, static_cast<ULONG_PTR>(0x123456789ABull)));
    ASSERT_EQ(1u, manager.calls.size());
    const auto call = manager.calls[0]; // a copy: the next start grows the vector
    ASSERT_NE(nullptr, call.ppInterface);
    EXPECT_EQ(static_cast<void*>(&handler), *call.ppInterface);
    EXPECT_EQ(4u, call.code1);
    EXPECT_EQ(64u, call.code2);
    EXPECT_EQ(0x1234u, call.arg);
    EXPECT_EQ(static_cast<ULONG_PTR>(0x123456789ABull), call.ulpArg);
    EXPECT_EQ(2u, State());

    // The out-pointer is the service's own member: the same address on every start.
    EXPECT_EQ(RESULT_SUCCESS, service->StartService(0, 0));
    ASSERT_EQ(2u, manager.calls.size());
    EXPECT_EQ(call.ppInterface, manager.calls[1].ppInterface);
    EXPECT_EQ(RESULT_SUCCESS, service->StopService());
    EXPECT_EQ(0u, State());
    EXPECT_EQ(nullptr, *manager.calls[1].ppInterface);
}

TEST_F(ServiceTest, ManagerFailureOrMissingHandlerLeavesServiceStoppedWithTheManagersCode)
{
    manager.result = 0x00000007; // non-negative, yet no handler
    EXPECT_EQ(0x00000007u, service->StartService(0, 0));
    EXPECT_EQ(0u, State());
    manager.result = RESULT_OUT_OF_MEMORY;
    EXPECT_EQ(RESULT_OUT_OF_MEMORY, service->StartService(0, 0));
    int handler = 0;
    manager.handler = &handler;
    manager.result = RESULT_FAILED;
    EXPECT_EQ(RESULT_FAILED, service->StartService(0, 0));
    EXPECT_EQ(0u, State());

    ExpectTraces(FreeAndReadTrace(),
                 {{1, kError, L"m_pEnforceHandler is NULL"},
                  {1, kError, L"IFrameworkService::GetIFrameworkServiceInterface() failed: 0x80040206"},
                  {1, kError, L"IFrameworkService::GetIFrameworkServiceInterface() failed: 0x80040201"},
                  {0, kFunc, L"[Leave] CEventLogService::StartService()..."}});
}

#include "E2EHost.h"

using namespace E2E;
using namespace SrvFrwk;
using namespace SrvFrwk::Interface;

using ServiceTest = NorquillTest;

TEST_F(ServiceTest, StartServiceHandsTheManagerItsArgumentsAndStopsOnAnyFailure)
{
    RecordingSrvManager manager;
    IFrameworkService* service = nullptr;
    ASSERT_EQ(RESULT_SUCCESS,
              Dll().SfSv_CreateService(&service, LAYER_TYPE_ENFORCE, SERVICE_TYPE_EVENTLOG, &manager, 0, 0));
    ULONG state = 0xFFFF;
    const auto State = [&]
    {
        EXPECT_EQ(RESULT_SUCCESS, service->GetServiceState(&state));
        return state;
    };
    EXPECT_EQ(0u, State());
    manager.result = 0x00000007; // non-negative, yet no handler
    EXPECT_EQ(0x00000007u, service->StartService(0, 0));
    EXPECT_EQ(0u, State());
    manager.result = RESULT_OUT_OF_MEMORY;
    EXPECT_EQ(RESULT_OUT_OF_MEMORY, service->StartService(0, 0));
    EXPECT_EQ(0u, State());

    int handler = 0;
    manager.handler = &handler;
    manager.result = RESULT_SUCCESS;
    EXPECT_EQ(RESULT_SUCCESS, service->StartService(0x1234, static_cast<ULONG_PTR>(0x123456789ABull)));
    EXPECT_EQ(2u, State());
    // The out-pointer is the service's own member: the same address on every start.
    void** out = reinterpret_cast<void**>(manager.calls[0][0]);
    ASSERT_NE(nullptr, out);
    EXPECT_EQ(std::vector<ULONG_PTR>({manager.calls[0][0], 4, 64, 0x1234, 0x123456789AB}),
              manager.calls.back());
    EXPECT_EQ(static_cast<void*>(&handler), *out);
    EXPECT_EQ(RESULT_SUCCESS, service->StopService());
    EXPECT_EQ(0u, State());
    EXPECT_EQ(nullptr, *out);

    manager.result = RESULT_FAILED;
    EXPECT_EQ(RESULT_FAILED, service->StartService(0, 0));
    EXPECT_EQ(0u, State());
    EXPECT_EQ(RESULT_INVALID_ARG, service->GetServiceState(nullptr));
    EXPECT_EQ(RESULT_SUCCESS, Dll().SfSv_FreeService(service, 0, 0, 0, 0));
    // Each refused start and the null state pointer traced an error.
    ExpectTraces(UnloadAndReadTrace(), {{4, kError, L""}, {1, kError, L"m_pEnforceHandler is NULL"}});
}

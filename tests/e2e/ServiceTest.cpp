#include "TracedDll.h"

using namespace E2E;
using namespace SrvFrwk;
using namespace SrvFrwk::Interface;

namespace
{
// A service created through the exports for one test.
class ServiceSession
{
public:
    explicit ServiceSession(NorquillDll& dll) : m_dll(dll)
    {
        createResult =
            m_dll.SfSv_CreateService(&service, LAYER_TYPE_ENFORCE, SERVICE_TYPE_EVENTLOG, &manager, 0, 0);
    }
    ~ServiceSession()
    {
        if (service)
            m_dll.SfSv_FreeService(service, 0, 0, 0, 0);
    }
    ServiceSession(const ServiceSession&) = delete;
    ServiceSession& operator=(const ServiceSession&) = delete;

    ULONG State()
    {
        ULONG state = 0xFFFF;
        EXPECT_EQ(RESULT_SUCCESS, service->GetServiceState(&state));
        return state;
    }

    RecordingSrvManager manager;
    IFrameworkService* service = nullptr;
    ULONG createResult = 0;

private:
    NorquillDll& m_dll;
};
} // namespace

TEST_F(NorquillTest, StartServiceAsksManagerForHandlerWithItsOwnArguments)
{
    ServiceSession s(Dll());
    ASSERT_EQ(RESULT_SUCCESS, s.createResult);
    int handler = 0;
    s.manager.handler = &handler;
    EXPECT_EQ(0u, s.State());
    EXPECT_EQ(RESULT_SUCCESS, s.service->StartService(0x1234, static_cast<ULONG_PTR>(0x123456789ABull)));
    ASSERT_EQ(1u, s.manager.calls.size());
    const auto call = s.manager.calls[0]; // a copy: the next start grows the vector
    EXPECT_NE(nullptr, call.ppInterface);
    EXPECT_EQ(static_cast<void*>(&handler), *call.ppInterface);
    EXPECT_EQ(4u, call.code1);
    EXPECT_EQ(64u, call.code2);
    EXPECT_EQ(0x1234u, call.arg);
    EXPECT_EQ(static_cast<ULONG_PTR>(0x123456789ABull), call.ulpArg);
    EXPECT_EQ(2u, s.State());

    // The out-pointer is the service's own member: the same address on every start.
    EXPECT_EQ(RESULT_SUCCESS, s.service->StartService(0, 0));
    ASSERT_EQ(2u, s.manager.calls.size());
    EXPECT_EQ(call.ppInterface, s.manager.calls[1].ppInterface);

    EXPECT_EQ(RESULT_SUCCESS, s.service->StopService());
    EXPECT_EQ(0u, s.State());
    EXPECT_EQ(nullptr, *s.manager.calls[1].ppInterface);
}

TEST_F(NorquillTest, FailingManagerLeavesServiceStoppedWithItsCode)
{
    ServiceSession s(Dll());
    int handler = 0;
    s.manager.handler = &handler;
    s.manager.result = RESULT_FAILED;
    EXPECT_EQ(RESULT_FAILED, s.service->StartService(0, 0));
    EXPECT_EQ(0u, s.State());
}

class ServiceTraceTest : public TracedDllTest
{
};

TEST_F(ServiceTraceTest, ManagerWithoutHandlerGivesItsOwnCodeAndStoppedState)
{
    {
        ServiceSession s(Dll());
        s.manager.result = 0x00000007; // non-negative, yet no handler
        EXPECT_EQ(0x00000007u, s.service->StartService(0, 0));
        EXPECT_EQ(0u, s.State());
        s.manager.result = 0x80040206;
        EXPECT_EQ(0x80040206u, s.service->StartService(0, 0));
    }
    const auto lines = UnloadAndReadTrace();
    EXPECT_EQ(1u, CountTrace(lines, kError, L"m_pEnforceHandler is NULL"));
    EXPECT_EQ(1u, CountTrace(lines, kError,
                             L"IFrameworkService::GetIFrameworkServiceInterface() failed: 0x80040206"));
    EXPECT_EQ(0u, CountTrace(lines, kFunc, L"[Leave] CEventLogService::StartService()..."));
}

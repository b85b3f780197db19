#include "E2EHost.h"

using namespace E2E;
using namespace SrvFrwk;
using namespace SrvFrwk::Interface;

using FactoryTest = NorquillTest;

TEST_F(FactoryTest, RefusalsFollowTheCheckOrderAndTraceAtTheErrorLevel)
{
    RecordingSrvManager manager;
    RecordingController controller;
    IFrameworkService* service = nullptr;
    IEnforceProvider* provider = nullptr;
    const ULONG ctl = CONTROLLER_TYPE, pv = PROVIDER_TYPE_EVENTLOG;
    // The service factory checks its output pointer before the types.
    EXPECT_EQ(RESULT_INVALID_ARG, Dll().SfSv_CreateService(nullptr, 1, 2, nullptr, 0, 0));
    EXPECT_EQ(RESULT_BAD_TYPE, Dll().SfSv_CreateService(&service, 5, SERVICE_TYPE_EVENTLOG, &manager, 0, 0));
    EXPECT_EQ(RESULT_BAD_TYPE, Dll().SfSv_CreateService(&service, LAYER_TYPE_ENFORCE, 0x801, &manager, 0, 0));
    EXPECT_EQ(RESULT_INVALID_ARG,
              Dll().SfSv_CreateService(&service, LAYER_TYPE_ENFORCE, SERVICE_TYPE_EVENTLOG, nullptr, 0, 0));
    EXPECT_EQ(RESULT_INVALID_ARG, Dll().SfSv_FreeService(nullptr, 0, 0, 0, 0));
    // The provider factory checks the types first.
    EXPECT_EQ(RESULT_BAD_TYPE, Dll().SfPv_CreateProvider(nullptr, 1, 2, nullptr, 0, 0));
    EXPECT_EQ(RESULT_BAD_TYPE, Dll().SfPv_CreateProvider(&provider, ctl, 0x80001, &controller, 0, 0));
    EXPECT_EQ(RESULT_INVALID_ARG, Dll().SfPv_CreateProvider(nullptr, ctl, pv, &controller, 0, 0));
    EXPECT_EQ(RESULT_INVALID_ARG, Dll().SfPv_CreateProvider(&provider, ctl, pv, nullptr, 0, 0));
    EXPECT_EQ(RESULT_BAD_TYPE, Dll().SfPv_FreeProvider(nullptr, 0, pv, 0, 0));
    EXPECT_EQ(RESULT_INVALID_ARG, Dll().SfPv_FreeProvider(nullptr, ctl, pv, 0, 0));
    EXPECT_EQ(nullptr, service);
    EXPECT_EQ(nullptr, provider);

    // Each refusal traces the factory's reason and the export's failure.
    ExpectTraces(UnloadAndReadTrace(),
                 {{1, kError, L"type unknown - LayerType: 0x00000005, ServiceType: 0x00000800"},
                  {1, kError, L"type unknown - ControllerType: 0x00000001, ProviderType: 0x00000002"},
                  {1, kError, L"_pSrvManagerContext is NULL"},
                  {2, kError, L"CEventLogServiceFactory::Create() failed: 0x80040203"},
                  {1, kError, L"CEventLogProviderFactory::Free() failed: 0x80040204"},
                  {22, kError, L""}});
}

namespace
{
// An object the factory never made; it is deleted through its virtual destructor like any provider.
class ForeignProvider : public IEnforceProvider
{
public:
    ULONG Initialize() override { return RESULT_SUCCESS; }
    ULONG Uninitialize() override { return RESULT_SUCCESS; }
};
} // namespace

TEST_F(FactoryTest, ObjectsAreCountedWithoutInitializeAndReleaseAtZeroStaysAtZero)
{
    RecordingSrvManager manager;
    IFrameworkService* first = nullptr;
    IFrameworkService* second = nullptr;
    ASSERT_EQ(RESULT_SUCCESS,
              Dll().SfSv_CreateService(&first, LAYER_TYPE_ENFORCE, SERVICE_TYPE_EVENTLOG, &manager, 0, 0));
    ASSERT_EQ(RESULT_SUCCESS,
              Dll().SfSv_CreateService(&second, LAYER_TYPE_ENFORCE, SERVICE_TYPE_EVENTLOG, &manager, 0, 0));
    EXPECT_NE(first, second);
    // The two type arguments of FreeService are not read.
    EXPECT_EQ(RESULT_SUCCESS, Dll().SfSv_FreeService(first, 0xDEAD, 0xBEEF, 0, 0));
    EXPECT_EQ(RESULT_SUCCESS, Dll().SfSv_FreeService(second, 0, 0, 0, 0));

    const ULONG ctl = CONTROLLER_TYPE, pv = PROVIDER_TYPE_EVENTLOG;
    EXPECT_EQ(RESULT_SUCCESS, Dll().SfPv_FreeProvider(new ForeignProvider(), ctl, pv, 0, 0));
    RecordingController controller;
    IEnforceProvider* a = nullptr;
    IEnforceProvider* b = nullptr;
    ASSERT_EQ(RESULT_SUCCESS, Dll().SfPv_CreateProvider(&a, ctl, pv, &controller, 0, 0));
    ASSERT_EQ(RESULT_SUCCESS, Dll().SfPv_CreateProvider(&b, ctl, pv, &controller, 0, 0));
    EXPECT_EQ(RESULT_SUCCESS, Dll().SfPv_FreeProvider(a, ctl, pv, 0, 0));
    EXPECT_EQ(RESULT_SUCCESS, Dll().SfPv_FreeProvider(b, ctl, pv, 0, 0));

    ExpectTraces(UnloadAndReadTrace(),
                 {{1, kFunc, L"[Leave] CEventLogServiceFactory::Create()... - RefCount: 1"},
                  {1, kFunc, L"[Leave] CEventLogServiceFactory::Create()... - RefCount: 2"},
                  {1, kFunc, L"[Leave] CEventLogServiceFactory::Free()... - RefCount: 1"},
                  {1, kFunc, L"[Leave] CEventLogServiceFactory::Free()... - RefCount: 0"},
                  {1, kFunc, L"[Leave] CEventLogProviderFactory::CreateProvider() - RefCount: 1"},
                  {1, kFunc, L"[Leave] CEventLogProviderFactory::CreateProvider() - RefCount: 2"},
                  {1, kFunc, L"[Leave] CEventLogProviderFactory::FreeProvider() - RefCount: 1"},
                  {2, kFunc, L"[Leave] CEventLogProviderFactory::FreeProvider() - RefCount: 0"},
                  {1, kError, L""}}); // the release at zero
}

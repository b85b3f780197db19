#include "E2EHost.h"

using namespace E2E;
using namespace SrvFrwk;
using namespace SrvFrwk::Interface;

using FactoryTest = NorquillTest;

TEST_F(FactoryTest, RefusalsFollowTheCheckOrderAndObjectsAreCountedAcrossCreateAndFree)
{
    RecordingSrvManager manager;
    IFrameworkService *service = nullptr, *second = nullptr;
    IEnforceProvider *provider = nullptr, *other = nullptr;
    const ULONG layer = LAYER_TYPE_ENFORCE, sv = SERVICE_TYPE_EVENTLOG, ctl = CONTROLLER_TYPE,
                pv = PROVIDER_TYPE_EVENTLOG;
    // The service factory checks its output pointer before the types, the provider factory the types first.
    EXPECT_EQ(RESULT_INVALID_ARG, Dll().SfSv_CreateService(nullptr, 1, 2, nullptr, 0, 0));
    EXPECT_EQ(RESULT_BAD_TYPE, Dll().SfSv_CreateService(&service, 5, sv, &manager, 0, 0));
    EXPECT_EQ(RESULT_INVALID_ARG, Dll().SfSv_CreateService(&service, layer, sv, nullptr, 0, 0));
    EXPECT_EQ(RESULT_BAD_TYPE, Dll().SfPv_CreateProvider(nullptr, 1, 2, nullptr, 0, 0));
    EXPECT_EQ(RESULT_INVALID_ARG, Dll().SfPv_CreateProvider(&provider, ctl, pv, nullptr, 0, 0));
    EXPECT_EQ(RESULT_BAD_TYPE, Dll().SfPv_FreeProvider(nullptr, 0, pv, 0, 0));
    EXPECT_TRUE(!service && !provider) << "a refused create wrote its output";

    // No Initialize is needed, and FreeService does not read its two type arguments.
    ASSERT_EQ(RESULT_SUCCESS, Dll().SfSv_CreateService(&service, layer, sv, &manager, 0, 0));
    ASSERT_EQ(RESULT_SUCCESS, Dll().SfSv_CreateService(&second, layer, sv, &manager, 0, 0));
    EXPECT_NE(service, second);
    EXPECT_EQ(RESULT_SUCCESS, Dll().SfSv_FreeService(service, 0xDEAD, 0xBEEF, 0, 0));
    EXPECT_EQ(RESULT_SUCCESS, Dll().SfSv_FreeService(second, 0, 0, 0, 0));
    ASSERT_EQ(RESULT_SUCCESS, Dll().SfPv_CreateProvider(&provider, ctl, pv, &controller, 0, 0));
    ASSERT_EQ(RESULT_SUCCESS, Dll().SfPv_CreateProvider(&other, ctl, pv, &controller, 0, 0));
    EXPECT_EQ(RESULT_SUCCESS, Dll().SfPv_FreeProvider(provider, ctl, pv, 0, 0));
    EXPECT_EQ(RESULT_SUCCESS, Dll().SfPv_FreeProvider(other, ctl, pv, 0, 0));

    // Each refusal traces an error line; the counts follow every create and free.
    ExpectTraces(UnloadAndReadTrace(),
                 {{1, kError, L"type unknown - LayerType: 0x00000005, ServiceType: 0x00000800"},
                  {12, kError, L""},
                  {1, kFunc, L"[Leave] CEventLogServiceFactory::Create()... - RefCount: 2"},
                  {1, kFunc, L"[Leave] CEventLogServiceFactory::Free()... - RefCount: 0"},
                  {1, kFunc, L"[Leave] CEventLogProviderFactory::FreeProvider() - RefCount: 0"}});
}

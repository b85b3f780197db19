#include "TracedDll.h"

using namespace E2E;
using namespace SrvFrwk;
using namespace SrvFrwk::Interface;

TEST_F(NorquillTest, DllLoadsWithAllEightExports)
{
    EXPECT_TRUE(Dll().Loaded());
}

TEST_F(NorquillTest, ServiceFactoryChecksOutputPointerBeforeTypes)
{
    RecordingSrvManager manager;
    IFrameworkService* service = nullptr;
    EXPECT_EQ(RESULT_INVALID_ARG, Dll().SfSv_CreateService(nullptr, 5, 1, nullptr, 0, 0));
    EXPECT_EQ(RESULT_BAD_TYPE, Dll().SfSv_CreateService(&service, 5, SERVICE_TYPE_EVENTLOG, &manager, 0, 0));
    EXPECT_EQ(RESULT_BAD_TYPE, Dll().SfSv_CreateService(&service, LAYER_TYPE_ENFORCE, 0x801, &manager, 0, 0));
    EXPECT_EQ(RESULT_INVALID_ARG,
              Dll().SfSv_CreateService(&service, LAYER_TYPE_ENFORCE, SERVICE_TYPE_EVENTLOG, nullptr, 0, 0));
    EXPECT_EQ(nullptr, service);
    EXPECT_EQ(RESULT_INVALID_ARG, Dll().SfSv_FreeService(nullptr, 0, 0, 0, 0));
}

TEST_F(NorquillTest, ProviderFactoryChecksTypesBeforePointers)
{
    RecordingController controller;
    IEnforceProvider* provider = nullptr;
    EXPECT_EQ(RESULT_BAD_TYPE, Dll().SfPv_CreateProvider(nullptr, 1, 2, nullptr, 0, 0));
    EXPECT_EQ(RESULT_BAD_TYPE,
              Dll().SfPv_CreateProvider(&provider, CONTROLLER_TYPE, 0x80001, &controller, 0, 0));
    EXPECT_EQ(RESULT_INVALID_ARG,
              Dll().SfPv_CreateProvider(nullptr, CONTROLLER_TYPE, PROVIDER_TYPE_EVENTLOG, &controller, 0, 0));
    EXPECT_EQ(RESULT_INVALID_ARG,
              Dll().SfPv_CreateProvider(&provider, CONTROLLER_TYPE, PROVIDER_TYPE_EVENTLOG, nullptr, 0, 0));
    EXPECT_EQ(nullptr, provider);
    EXPECT_EQ(RESULT_BAD_TYPE, Dll().SfPv_FreeProvider(nullptr, 0, PROVIDER_TYPE_EVENTLOG, 0, 0));
    EXPECT_EQ(RESULT_INVALID_ARG,
              Dll().SfPv_FreeProvider(nullptr, CONTROLLER_TYPE, PROVIDER_TYPE_EVENTLOG, 0, 0));
}

class FactoryTraceTest : public TracedDllTest
{
};

TEST_F(FactoryTraceTest, CreateWithoutInitializeWorksAndCountsObjects)
{
    RecordingSrvManager manager;
    IFrameworkService* first = nullptr;
    IFrameworkService* second = nullptr;
    ASSERT_EQ(RESULT_SUCCESS,
              Dll().SfSv_CreateService(&first, LAYER_TYPE_ENFORCE, SERVICE_TYPE_EVENTLOG, &manager, 0, 0));
    ASSERT_EQ(RESULT_SUCCESS,
              Dll().SfSv_CreateService(&second, LAYER_TYPE_ENFORCE, SERVICE_TYPE_EVENTLOG, &manager, 0, 0));
    EXPECT_NE(first, second);
    // A refused call leaves the count alone.
    EXPECT_EQ(RESULT_INVALID_ARG,
              Dll().SfSv_CreateService(&second, LAYER_TYPE_ENFORCE, SERVICE_TYPE_EVENTLOG, nullptr, 0, 0));
    // The two type arguments of FreeService are not read.
    EXPECT_EQ(RESULT_SUCCESS, Dll().SfSv_FreeService(first, 0xDEAD, 0xBEEF, 0, 0));
    EXPECT_EQ(RESULT_SUCCESS, Dll().SfSv_FreeService(second, 0, 0, 0, 0));

    const auto lines = UnloadAndReadTrace();
    EXPECT_EQ(1u, CountTrace(lines, kInfo, L"***Norquill.dll was loaded as process attach."));
    EXPECT_EQ(1u, CountTrace(lines, kInfo, L"***Norquill.dll was unloaded as process detach."));
    EXPECT_EQ(1u, CountTrace(lines, kFunc, L"[Leave] CEventLogServiceFactory::Create()... - RefCount: 1"));
    EXPECT_EQ(1u, CountTrace(lines, kFunc, L"[Leave] CEventLogServiceFactory::Create()... - RefCount: 2"));
    EXPECT_EQ(1u, CountTrace(lines, kFunc, L"[Leave] CEventLogServiceFactory::Free()... - RefCount: 1"));
    EXPECT_EQ(1u, CountTrace(lines, kFunc, L"[Leave] CEventLogServiceFactory::Free()... - RefCount: 0"));
    EXPECT_EQ(3u, CountTrace(lines, kFunc, L"[Enter] ::SfSv_CreateService..."));
    EXPECT_EQ(3u, CountTrace(lines, kFunc, L"[Leave] ::SfSv_CreateService..."));
}

TEST_F(FactoryTraceTest, ProviderCountsAcrossCreateAndFree)
{
    RecordingController controller;
    IEnforceProvider* a = nullptr;
    IEnforceProvider* b = nullptr;
    ASSERT_EQ(RESULT_SUCCESS,
              Dll().SfPv_CreateProvider(&a, CONTROLLER_TYPE, PROVIDER_TYPE_EVENTLOG, &controller, 0, 0));
    ASSERT_EQ(RESULT_SUCCESS,
              Dll().SfPv_CreateProvider(&b, CONTROLLER_TYPE, PROVIDER_TYPE_EVENTLOG, &controller, 0, 0));
    EXPECT_EQ(RESULT_SUCCESS, Dll().SfPv_FreeProvider(a, CONTROLLER_TYPE, PROVIDER_TYPE_EVENTLOG, 0, 0));

    const auto lines = UnloadAndReadTrace();
    EXPECT_EQ(1u,
              CountTrace(lines, kFunc, L"[Leave] CEventLogProviderFactory::CreateProvider() - RefCount: 2"));
    EXPECT_EQ(1u,
              CountTrace(lines, kFunc, L"[Leave] CEventLogProviderFactory::FreeProvider() - RefCount: 1"));
    // b is left to the process: the factory keeps no list of its objects.
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

TEST_F(FactoryTraceTest, ReleaseAtZeroStaysAtZeroAndTracesOnce)
{
    EXPECT_EQ(RESULT_SUCCESS,
              Dll().SfPv_FreeProvider(new ForeignProvider(), CONTROLLER_TYPE, PROVIDER_TYPE_EVENTLOG, 0, 0));
    RecordingController controller;
    IEnforceProvider* provider = nullptr;
    ASSERT_EQ(RESULT_SUCCESS, Dll().SfPv_CreateProvider(&provider, CONTROLLER_TYPE, PROVIDER_TYPE_EVENTLOG,
                                                        &controller, 0, 0));
    EXPECT_EQ(RESULT_SUCCESS,
              Dll().SfPv_FreeProvider(provider, CONTROLLER_TYPE, PROVIDER_TYPE_EVENTLOG, 0, 0));

    const auto lines = UnloadAndReadTrace();
    EXPECT_EQ(2u,
              CountTrace(lines, kFunc, L"[Leave] CEventLogProviderFactory::FreeProvider() - RefCount: 0"));
    EXPECT_EQ(1u,
              CountTrace(lines, kFunc, L"[Leave] CEventLogProviderFactory::CreateProvider() - RefCount: 1"));
    EXPECT_EQ(1u, CountTag(lines, kError));
}

TEST_F(FactoryTraceTest, RefusedCreateAndFreeTraceTheFactoryAndTheExport)
{
    IEnforceProvider* provider = nullptr;
    EXPECT_EQ(RESULT_BAD_TYPE, Dll().SfPv_CreateProvider(&provider, 1, 2, nullptr, 0, 0));
    EXPECT_EQ(RESULT_INVALID_ARG,
              Dll().SfPv_FreeProvider(nullptr, CONTROLLER_TYPE, PROVIDER_TYPE_EVENTLOG, 0, 0));
    EXPECT_EQ(RESULT_INVALID_ARG, Dll().SfSv_CreateService(nullptr, 1, 2, nullptr, 0, 0));
    EXPECT_EQ(RESULT_INVALID_ARG, Dll().SfSv_FreeService(nullptr, 0, 0, 0, 0));

    const auto lines = UnloadAndReadTrace();
    EXPECT_EQ(1u, CountTrace(lines, kError,
                             L"type unknown - ControllerType: 0x00000001, ProviderType: 0x00000002"));
    EXPECT_EQ(1u, CountTrace(lines, kError, L"CEventLogProviderFactory::Create() failed: 0x80040203"));
    EXPECT_EQ(1u, CountTrace(lines, kError, L"_pProviderContext is NULL"));
    EXPECT_EQ(1u, CountTrace(lines, kError, L"CEventLogProviderFactory::Free() failed: 0x80040204"));
    EXPECT_EQ(1u, CountTrace(lines, kError, L"_ppServiceContext is NULL"));
    EXPECT_EQ(1u, CountTrace(lines, kError, L"CEventLogServiceFactory::Create() failed: 0x80040204"));
    EXPECT_EQ(1u, CountTrace(lines, kError, L"_pServiceContext is NULL"));
    EXPECT_EQ(1u, CountTrace(lines, kError, L"CEventLogServiceFactory::Free() failed: 0x80040204"));
    EXPECT_EQ(8u, CountTag(lines, kError));
}

#include "E2EHost.h"

using namespace E2E;
using namespace SrvFrwk;
using namespace SrvFrwk::EventLog;
using SrvFrwk::Interface::IEnforceProvider;

using ProviderDispatchTest = NorquillTest;

TEST_F(ProviderDispatchTest, RefusalsCheckTypeThenPointerThenSubType)
{
    using Entry = ULONG (IEnforceProvider::*)(ULONG, ULONG, void*, ULONG, ULONG_PTR);
    const Entry store = &IEnforceProvider::StoreData, query = &IEnforceProvider::QueryData,
                storeConfig = &IEnforceProvider::StoreConfig, queryConfig = &IEnforceProvider::QueryConfig;
    TscLogRecord record{};
    ReportSettings report{0xAAAA, 0xBBBB};
    const ULONG el = TYPE_EVENTLOG;
    const struct
    {
        Entry entry;
        ULONG type, subType, expected;
        void* data;
    } calls[] = {
        {store, 21, DATA_TSC, RESULT_BAD_TYPE, nullptr},
        {store, el, DATA_TSC, RESULT_INVALID_ARG, nullptr},
        {store, el, DATA_LOG_PATH, RESULT_INVALID_ARG, &record},
        {query, el, 17, RESULT_INVALID_ARG, &record},
        // Config requests refuse other types at the function level and accept unknown sub-types.
        {queryConfig, 21, CONFIG_REPORT, RESULT_BAD_TYPE, &report},
        {queryConfig, el, 3, RESULT_SUCCESS, &report},
        {storeConfig, el, 3, RESULT_SUCCESS, nullptr},
        // A null record reaches the settings operation, which refuses it.
        {storeConfig, el, CONFIG_EVENTLOG_PURGE, RESULT_INVALID_ARG, nullptr},
    };
    IEnforceProvider* p = Provider();
    ASSERT_NE(nullptr, p);
    for (size_t i = 0; i < std::size(calls); ++i)
        EXPECT_EQ(calls[i].expected,
                  (p->*calls[i].entry)(calls[i].type, calls[i].subType, calls[i].data, 0, 0))
            << "call " << i;
    EXPECT_EQ(RESULT_BAD_TYPE, p->DoAction(23, ACTION_REPORT, 0, nullptr, 0, 0, 0));
    EXPECT_EQ(RESULT_SUCCESS, p->DoAction(el, 0, 0, nullptr, 0, 0, 0));
    // The action's own failure comes back unchanged.
    EXPECT_EQ(RESULT_INVALID_ARG, p->DoAction(el, ACTION_DELETE, 0, nullptr, 0, 0, 0));
    EXPECT_EQ(RESULT_SUCCESS, p->DoAction(el, ACTION_EVENTLOG_PURGE, 0, nullptr, 0, 0, 0));
    EXPECT_EQ(0xAAAAu, report.dwDayFre);
    EXPECT_EQ(0xBBBBu, report.dwAlertFlag);
    EXPECT_TRUE(controller.calls.empty());
    // Unknown sub-types of data requests are refused without an error line; the purge uses the default age.
    ExpectTraces(UnloadAndReadTrace(), {{2, kError, L"type unknown"},
                                        {6, kError, L""},
                                        {1, kFunc,
                                         L"CEventLogProvider::DoEventLogPurge() Purge Time [" +
                                             TestSupport::DateText(NoonInDays(-30)) + L"]"}});
}

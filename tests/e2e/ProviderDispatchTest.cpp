#include "E2EHost.h"

using namespace E2E;
using namespace SrvFrwk;
using namespace SrvFrwk::EventLog;
using SrvFrwk::Interface::IEnforceProvider;

using ProviderDispatchTest = NorquillTest;

namespace
{
using Entry = ULONG (IEnforceProvider::*)(ULONG, ULONG, void*, ULONG, ULONG_PTR);
const Entry kStoreData = &IEnforceProvider::StoreData, kQueryData = &IEnforceProvider::QueryData,
            kStoreConfig = &IEnforceProvider::StoreConfig, kQueryConfig = &IEnforceProvider::QueryConfig;
} // namespace

TEST_F(ProviderDispatchTest, RefusalsCheckTypeThenPointerThenSubType)
{
    TscLogRecord record{};
    TscLogQuery query;
    ReportSettings report{0xAAAA, 0xBBBB};
    const ULONG el = TYPE_EVENTLOG;
    const struct
    {
        Entry entry;
        ULONG type, subType, expected;
        void* data;
    } calls[] = {
        {kStoreData, 21, DATA_TSC, RESULT_BAD_TYPE, nullptr},
        {kStoreData, el, DATA_TSC, RESULT_INVALID_ARG, nullptr},
        {kStoreData, el, 11, RESULT_INVALID_ARG, &record},
        {kStoreData, el, 0, RESULT_INVALID_ARG, &record},
        {kStoreData, el, DATA_LOG_PATH, RESULT_INVALID_ARG, &record},
        {kStoreData, el, DATA_RECENT_THREAT, RESULT_INVALID_ARG, &record},
        {kQueryData, 23, DATA_LOG_PATH, RESULT_BAD_TYPE, nullptr},
        {kQueryData, el, DATA_LOG_PATH, RESULT_INVALID_ARG, nullptr},
        {kQueryData, el, 0, RESULT_INVALID_ARG, &query},
        {kQueryData, el, 17, RESULT_INVALID_ARG, &query},
        // Config requests refuse other types at the function level and accept unknown sub-types.
        {kQueryConfig, 21, CONFIG_REPORT, RESULT_BAD_TYPE, &report},
        {kStoreConfig, 21, CONFIG_REPORT, RESULT_BAD_TYPE, &report},
        {kQueryConfig, el, 3, RESULT_SUCCESS, &report},
        {kStoreConfig, el, 3, RESULT_SUCCESS, nullptr},
        // A null record reaches the settings operation, which refuses it.
        {kQueryConfig, el, CONFIG_REPORT, RESULT_INVALID_ARG, nullptr},
        {kStoreConfig, el, CONFIG_EVENTLOG_PURGE, RESULT_INVALID_ARG, nullptr},
    };
    IEnforceProvider* p = Provider();
    ASSERT_NE(nullptr, p);
    for (size_t i = 0; i < std::size(calls); ++i)
        EXPECT_EQ(calls[i].expected,
                  (p->*calls[i].entry)(calls[i].type, calls[i].subType, calls[i].data, 0, 0))
            << "call " << i;
    EXPECT_EQ(RESULT_BAD_TYPE, p->DoAction(23, ACTION_REPORT, 0, nullptr, 0, 0, 0));
    EXPECT_EQ(RESULT_SUCCESS, p->DoAction(el, 6, 0, nullptr, 0, 0, 0));
    EXPECT_EQ(RESULT_SUCCESS, p->DoAction(el, 0, 0, nullptr, 0, 0, 0));
    // The action's own failure comes back unchanged.
    EXPECT_EQ(RESULT_INVALID_ARG, p->DoAction(el, ACTION_DELETE, 0, nullptr, 0, 0, 0));
    LogDeleteParam unknownType{NoonInDays(0), 12};
    EXPECT_EQ(RESULT_FAILED, p->DoAction(el, ACTION_DELETE, 0, &unknownType, 0, 0, 0));
    EXPECT_EQ(RESULT_SUCCESS, p->DoAction(el, ACTION_EVENTLOG_PURGE, 0, nullptr, 0, 0, 0));
    EXPECT_EQ(RESULT_SUCCESS, p->DoAction(el, ACTION_DEBUGLOG_PURGE, 0, nullptr, 0, 0, 0));
    EXPECT_EQ(0xAAAAu, report.dwDayFre);
    EXPECT_EQ(0xBBBBu, report.dwAlertFlag);
    EXPECT_TRUE(controller.calls.empty());
    // Unknown sub-types of data requests are refused without an error line; the purges use the default age.
    ExpectTraces(UnloadAndReadTrace(), {{3, kError, L"type unknown"},
                                        {12, kError, L""},
                                        {1, kFunc,
                                         L"CEventLogProvider::DoEventLogPurge() Purge Time [" +
                                             TestSupport::DateText(NoonInDays(-30)) + L"]"}});
}

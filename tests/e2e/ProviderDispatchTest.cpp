#include "TracedDll.h"

using namespace E2E;
using namespace SrvFrwk;
using namespace SrvFrwk::EventLog;

class ProviderDispatchTest : public TracedDllTest
{
};

TEST_F(ProviderDispatchTest, DataRequestsCheckTypeThenPointerThenSubType)
{
    {
        ProviderSession p(Dll());
        ASSERT_EQ(RESULT_SUCCESS, p.createResult);
        TscLogRecord record{};
        EXPECT_EQ(RESULT_BAD_TYPE, p->StoreData(21, DATA_TSC, nullptr, 0, 0));
        EXPECT_EQ(RESULT_INVALID_ARG, p->StoreData(TYPE_EVENTLOG, DATA_TSC, nullptr, 0, 0));
        EXPECT_EQ(RESULT_INVALID_ARG, p->StoreData(TYPE_EVENTLOG, 11, &record, 0, 0));
        EXPECT_EQ(RESULT_INVALID_ARG, p->StoreData(TYPE_EVENTLOG, 0, &record, 0, 0));
        EXPECT_EQ(RESULT_INVALID_ARG, p->StoreData(TYPE_EVENTLOG, DATA_LOG_PATH, &record, 0, 0));
        EXPECT_EQ(RESULT_INVALID_ARG, p->StoreData(TYPE_EVENTLOG, DATA_RECENT_THREAT, &record, 0, 0));
    }
    const auto lines = UnloadAndReadTrace();
    EXPECT_EQ(1u, CountTrace(lines, kError, L"type unknown"));
    EXPECT_EQ(1u, CountTrace(lines, kError, L"_pPropertyData invalid"));
    // Unknown sub-types are refused without an error line.
    EXPECT_EQ(2u, CountTag(lines, kError));
    EXPECT_EQ(1u, CountTrace(lines, kInfo,
                             L"_ulDataType: 0x00000016, _ulDataSubType: 0x0000000B, _ulOption: 0x00000000"));
    EXPECT_EQ(6u, CountTrace(lines, kFunc, L"[Enter] CEventLogProvider::StoreData()..."));
    EXPECT_EQ(0u, CountTrace(lines, kFunc, L"[Leave] CEventLogProvider::StoreData()..."));
}

TEST_F(ProviderDispatchTest, QueryDataRefusalsAndTheirTraces)
{
    {
        ProviderSession p(Dll());
        TscLogQuery query;
        EXPECT_EQ(RESULT_BAD_TYPE, p->QueryData(23, DATA_LOG_PATH, nullptr, 0, 0));
        EXPECT_EQ(RESULT_INVALID_ARG, p->QueryData(TYPE_EVENTLOG, DATA_LOG_PATH, nullptr, 0, 0));
        EXPECT_EQ(RESULT_INVALID_ARG, p->QueryData(TYPE_EVENTLOG, 0, &query, 0, 0));
        EXPECT_EQ(RESULT_INVALID_ARG, p->QueryData(TYPE_EVENTLOG, 17, &query, 0, 0));
    }
    const auto lines = UnloadAndReadTrace();
    EXPECT_EQ(1u, CountTrace(lines, kError, L"type unknown"));
    EXPECT_EQ(1u, CountTrace(lines, kError, L"_pPropertyData invalid"));
    EXPECT_EQ(2u, CountTag(lines, kError));
}

TEST_F(ProviderDispatchTest, ConfigRequestsRefuseOtherTypesAtFunctionLevel)
{
    {
        ProviderSession p(Dll());
        ReportSettings report{0xAAAA, 0xBBBB};
        EXPECT_EQ(RESULT_BAD_TYPE, p->QueryConfig(21, CONFIG_REPORT, &report, 0, 0));
        EXPECT_EQ(RESULT_BAD_TYPE, p->StoreConfig(21, CONFIG_REPORT, &report, 0, 0));
        // Unknown sub-types are accepted and touch nothing.
        EXPECT_EQ(RESULT_SUCCESS, p->QueryConfig(TYPE_EVENTLOG, 3, &report, 0, 0));
        EXPECT_EQ(RESULT_SUCCESS, p->StoreConfig(TYPE_EVENTLOG, 3, nullptr, 0, 0));
        EXPECT_EQ(0xAAAAu, report.dwDayFre);
        EXPECT_EQ(0xBBBBu, report.dwAlertFlag);
        // A null record reaches the settings operation, which refuses it.
        EXPECT_EQ(RESULT_INVALID_ARG, p->QueryConfig(TYPE_EVENTLOG, CONFIG_REPORT, nullptr, 0, 0));
        EXPECT_EQ(RESULT_INVALID_ARG, p->StoreConfig(TYPE_EVENTLOG, CONFIG_EVENTLOG_PURGE, nullptr, 0, 0));
    }
    const auto lines = UnloadAndReadTrace();
    EXPECT_EQ(1u, CountTrace(lines, kFunc,
                             L"[CEventLogProvider::StoreConfig()] non-supprted Config type, return error"));
    EXPECT_EQ(
        1u, CountTrace(lines, kFunc,
                       L"[Enter] CEventLogProvider::QueryConfig() Type[0x00000015] SubType[0x00000001]..."));
    EXPECT_EQ(2u, CountTrace(lines, kError, L"_pPropertyData is NULL"));
    EXPECT_EQ(2u, CountTag(lines, kError));
}

TEST_F(ProviderDispatchTest, ActionsRefuseOtherTypesAndIgnoreUnknownSubTypes)
{
    {
        ProviderSession p(Dll());
        EXPECT_EQ(RESULT_BAD_TYPE, p->DoAction(23, ACTION_REPORT, 0, nullptr, 0, 0, 0));
        EXPECT_EQ(RESULT_SUCCESS, p->DoAction(TYPE_EVENTLOG, 6, 0, nullptr, 0, 0, 0));
        EXPECT_EQ(RESULT_SUCCESS, p->DoAction(TYPE_EVENTLOG, 0, 0, nullptr, 0, 0, 0));
        // The action's own failure code comes back unchanged after one dispatcher line.
        EXPECT_EQ(RESULT_INVALID_ARG, p->DoAction(TYPE_EVENTLOG, ACTION_DELETE, 0, nullptr, 0, 0, 0));
        EXPECT_TRUE(p.controller.calls.empty());
    }
    const auto lines = UnloadAndReadTrace();
    EXPECT_EQ(1u, CountTrace(lines, kError, L"type unknown"));
    EXPECT_EQ(1u, CountTrace(lines, kError, L"CEventLogProvider::DoDelete() failed: 0x80040204"));
    EXPECT_EQ(1u, CountTrace(lines, kInfo,
                             L"_ulActionType: 0x00000016, _ulActionSubType: 0x00000006, _ulActionOption: "
                             L"0x00000000, _ulOption: 0x00000000"));
    EXPECT_EQ(2u, CountTrace(lines, kFunc, L"[Leave] CEventLogProvider::DoAction()..."));
}

TEST_F(NorquillTest, ReservedSlotsAndLifecycleCalls)
{
    ProviderSession p(Dll());
    ASSERT_EQ(RESULT_SUCCESS, p.createResult);
    EXPECT_EQ(RESULT_SUCCESS, p->Initialize());
    EXPECT_EQ(RESULT_NOT_IMPLEMENTED, p->Reserved4());
    EXPECT_EQ(RESULT_NOT_IMPLEMENTED, p->Reserved5());
    EXPECT_EQ(RESULT_NOT_IMPLEMENTED, p->Reserved6());
    EXPECT_EQ(RESULT_NOT_IMPLEMENTED, p->Reserved11());
    EXPECT_EQ(RESULT_SUCCESS, p->Uninitialize());
}

TEST_F(NorquillTest, StoredRecordIsReadBackThroughTheDispatcher)
{
    ProviderSession p(Dll());
    TscLogRecord record{};
    wcscpy_s(record.szText1, L"dispatch");
    record.nValue1 = 42;
    ASSERT_EQ(RESULT_SUCCESS, p->StoreData(TYPE_EVENTLOG, DATA_TSC, &record, 0, 0));

    TscLogQuery query;
    query.stDay = TestSupport::Today();
    ASSERT_EQ(RESULT_SUCCESS, p->QueryData(TYPE_EVENTLOG, DATA_TSC, &query, 0, 0));
    ASSERT_EQ(1u, query.records.size());
    EXPECT_STREQ(L"dispatch", query.records[0].szText1);
    EXPECT_EQ(42, query.records[0].nValue1);
}

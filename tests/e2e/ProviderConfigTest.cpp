#include "E2EHost.h"

using namespace E2E;
using namespace SrvFrwk;
using namespace SrvFrwk::EventLog;
using TestSupport::kEventLogKey;

// An empty key reads as the defaults, which Install writes over whatever stood there; a stored report
// restarts its interval today. The exact moments are checked with a fixed clock in the unit tests.
TEST_F(NorquillTest, SettingsDefaultOnAnEmptyKeyAndInstallWritesThemOverWhatStoodThere)
{
    auto* p = Provider();
    ReportSettings report{};
    EventLogSettings purge{};
    ASSERT_EQ(RESULT_SUCCESS, p->QueryConfig(TYPE_EVENTLOG, CONFIG_REPORT, &report, 0, 0));
    ASSERT_EQ(RESULT_SUCCESS, p->QueryConfig(TYPE_EVENTLOG, CONFIG_EVENTLOG_PURGE, &purge, 0, 0));
    EXPECT_EQ(std::vector<DWORD>({7, 1, 30, 1}),
              std::vector<DWORD>({report.dwDayFre, report.dwAlertFlag, purge.dwDayFre, purge.dwPurgeFlag}));

    report = {14, 2};
    ASSERT_EQ(RESULT_SUCCESS, p->StoreConfig(TYPE_EVENTLOG, CONFIG_REPORT, &report, 0, 0));
    EXPECT_EQ(Bytes(DWORD(14)), SettingBytes(L"GenReportFrequency", REG_DWORD));
    EXPECT_EQ(Bytes(NoonInDays(0)), SettingBytes(L"LastReportDate"));

    TestSupport::SetRegString(HKEY_LOCAL_MACHINE, kEventLogKey, L"MaxLogCount", L"wrong type");
    TestSupport::SetRegBinary(HKEY_LOCAL_MACHINE, kEventLogKey, L"VIRLastDate", "abc", 3);
    ASSERT_EQ(RESULT_SUCCESS, p->Install());
    const std::pair<const wchar_t*, DWORD> dwords[] = {{L"MaxLogCount", 0},
                                                       {L"GenReportFrequency", 7},
                                                       {L"EventLogPurgeFre", 30},
                                                       {L"DebugLogPurgeFre", 30}};
    for (const auto& [name, value] : dwords)
        EXPECT_EQ(Bytes(value), SettingBytes(name, REG_DWORD)) << name;
    // Two of the stamps are written by Install only.
    for (const wchar_t* name : {L"MostRecentThreatTime", L"VIRLastDate", L"PFWLastDate", L"VSTLastDate"})
        EXPECT_EQ(sizeof(SYSTEMTIME), SettingBytes(name).size()) << name;
}

TEST_F(NorquillTest, RecentInfoFillsStringsEvenWithoutAStamp)
{
    auto* p = Provider();
    TestSupport::SetRegString(HKEY_LOCAL_MACHINE, kEventLogKey, L"MostRecentThreatName", L"Eicar");
    TestSupport::SetRegString(HKEY_LOCAL_MACHINE, kEventLogKey, L"MostRecentThreatFile", L"C:\\x.com");
    RecentThreatInfo info;
    info.stTime.wYear = 1999;
    // The missing value's Win32 code is handed through, not a failure code.
    EXPECT_EQ(static_cast<ULONG>(ERROR_FILE_NOT_FOUND),
              p->QueryData(TYPE_EVENTLOG, DATA_RECENT_THREAT, &info, 0, 0));
    EXPECT_EQ(L"Eicar", info.VirusName);
    EXPECT_EQ(L"C:\\x.com", info.FileName);
    EXPECT_EQ(1999, info.stTime.wYear);

    const BYTE twenty[20] = {0xD0, 0x07};
    TestSupport::SetRegBinary(HKEY_LOCAL_MACHINE, kEventLogKey, L"MostRecentThreatTime", twenty, 20);
    EXPECT_EQ(RESULT_FAILED, p->QueryData(TYPE_EVENTLOG, DATA_RECENT_THREAT, &info, 0, 0));
    EXPECT_EQ(1999, info.stTime.wYear);
}

#include "E2EHost.h"

using namespace E2E;
using namespace SrvFrwk;
using namespace SrvFrwk::EventLog;
using TestSupport::kEventLogKey;

namespace
{
bool ReadStamp(const wchar_t* name, SYSTEMTIME& time)
{
    DWORD type = 0;
    std::vector<BYTE> data;
    if (!TestSupport::GetRegValue(HKEY_LOCAL_MACHINE, kEventLogKey, name, type, data) || type != REG_BINARY ||
        data.size() != sizeof(SYSTEMTIME))
        return false;
    memcpy(&time, data.data(), sizeof(time));
    return true;
}

struct Expected
{
    const wchar_t* name;
    DWORD dword;
    const wchar_t* text;
};

const Expected kInstallValues[] = {
    {L"MaxLogCount", 0, nullptr},
    {L"AxisXNumber", 3, nullptr},
    {L"AxisYNumber", 3, nullptr},
    {L"ReportXOffset", 20, nullptr},
    {L"ReportYOffset", 40, nullptr},
    {L"ArrowXOffset", 10, nullptr},
    {L"ArrowYOffset", 4, nullptr},
    {L"ArrowXTitleXOffset", 20, nullptr},
    {L"ArrowXTitleYOffset", 5, nullptr},
    {L"ArrowYTitleXOffset", 25, nullptr},
    {L"ArrowYTitleYOffset", 20, nullptr},
    {L"CoordinateXOffset", 20, nullptr},
    {L"CoordinateYOffset", 10, nullptr},
    {L"CoordinateYOffset1", 1, nullptr},
    {L"CoordinateYOffset4", 4, nullptr},
    {L"XAixScale", 0, L"0.8"},
    {L"YAixScale", 0, L"0.8"},
    {L"TitleLegendXOffset", 20, nullptr},
    {L"TitleLegendYOffset", 5, nullptr},
    {L"ReportXLeftOffset", 0, L"0.5"},
    {L"ReportYLeftOffset", 0, L"0.08"},
    {L"ReportXRightOffset", 0, L"0.15"},
    {L"ReportYRightOffset", 0, L"0.1"},
    {L"MaxNameLength", 24, nullptr},
    {L"GenReportFrequency", 7, nullptr},
    {L"ReportAlertFlag", 1, nullptr},
    {L"EventLogPurgeFre", 30, nullptr},
    {L"DebugLogPurgeFre", 30, nullptr},
    {L"EventLogPurgeFlag", 1, nullptr},
};

const wchar_t* const kInstallStamps[] = {
    L"MostRecentThreatTime", L"VIRLastDate", L"SPYLastDate", L"TSCLastDate", L"UPGLastDate", L"PFWLastDate",
    L"VLNLastDate",          L"URLLastDate", L"PHALastDate", L"PVYLastDate", L"HISLastDate", L"VSTLastDate"};

void ExpectInstallValues()
{
    for (const Expected& value : kInstallValues)
    {
        SCOPED_TRACE(testing::Message()
                     << "value " << std::string(value.name, value.name + wcslen(value.name)));
        DWORD type = 0;
        std::vector<BYTE> data;
        ASSERT_TRUE(TestSupport::GetRegValue(HKEY_LOCAL_MACHINE, kEventLogKey, value.name, type, data));
        if (value.text)
        {
            EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
            EXPECT_STREQ(value.text, reinterpret_cast<const wchar_t*>(data.data()));
        }
        else
        {
            EXPECT_EQ(static_cast<DWORD>(REG_DWORD), type);
            ASSERT_EQ(4u, data.size());
            EXPECT_EQ(value.dword, *reinterpret_cast<const DWORD*>(data.data()));
        }
    }
}
} // namespace

// The exact moments are checked with a fixed clock in the unit tests.
TEST_F(NorquillTest, InstallWritesEveryDefaultAndTheThirteenStamps)
{
    ProviderSession p(Dll());
    ASSERT_EQ(RESULT_SUCCESS, p->Install());
    ExpectInstallValues();
    SYSTEMTIME report{};
    ASSERT_TRUE(ReadStamp(L"LastReportDate", report));
    EXPECT_EQ(12, report.wHour);
    EXPECT_EQ(0, report.wMinute + report.wSecond + report.wMilliseconds);
    for (const wchar_t* name : kInstallStamps)
    {
        SYSTEMTIME stamp{};
        EXPECT_TRUE(ReadStamp(name, stamp)) << std::string(name, name + wcslen(name));
    }
}

TEST_F(NorquillTest, SecondInstallOverwritesUserSettings)
{
    ProviderSession p(Dll());
    ASSERT_EQ(RESULT_SUCCESS, p->Install());
    ReportSettings report{3, 0};
    ASSERT_EQ(RESULT_SUCCESS, p->StoreConfig(TYPE_EVENTLOG, CONFIG_REPORT, &report, 0, 0));
    TestSupport::SetRegString(HKEY_LOCAL_MACHINE, kEventLogKey, L"MaxLogCount", L"wrong type");
    const BYTE junk[3] = {1, 2, 3};
    TestSupport::SetRegBinary(HKEY_LOCAL_MACHINE, kEventLogKey, L"VIRLastDate", junk, sizeof(junk));

    ASSERT_EQ(RESULT_SUCCESS, p->Install());
    ExpectInstallValues();
    SYSTEMTIME stamp{};
    EXPECT_TRUE(ReadStamp(L"VIRLastDate", stamp));
}

TEST_F(NorquillTest, SettingsDefaultOnAnEmptyKeyAndSurviveAStore)
{
    ProviderSession p(Dll());
    ReportSettings report{};
    EventLogSettings purge{};
    ASSERT_EQ(RESULT_SUCCESS, p->QueryConfig(TYPE_EVENTLOG, CONFIG_REPORT, &report, 0, 0));
    ASSERT_EQ(RESULT_SUCCESS, p->QueryConfig(TYPE_EVENTLOG, CONFIG_EVENTLOG_PURGE, &purge, 0, 0));
    EXPECT_EQ(7u, report.dwDayFre);
    EXPECT_EQ(1u, report.dwAlertFlag);
    EXPECT_EQ(30u, purge.dwDayFre);
    EXPECT_EQ(1u, purge.dwPurgeFlag);

    // Values of the wrong type read as the defaults.
    TestSupport::SetRegString(HKEY_LOCAL_MACHINE, kEventLogKey, L"GenReportFrequency", L"14");
    ASSERT_EQ(RESULT_SUCCESS, p->QueryConfig(TYPE_EVENTLOG, CONFIG_REPORT, &report, 0, 0));
    EXPECT_EQ(7u, report.dwDayFre);

    report = {14, 2};
    purge = {0, 5};
    ASSERT_EQ(RESULT_SUCCESS, p->StoreConfig(TYPE_EVENTLOG, CONFIG_REPORT, &report, 0, 0));
    ASSERT_EQ(RESULT_SUCCESS, p->StoreConfig(TYPE_EVENTLOG, CONFIG_EVENTLOG_PURGE, &purge, 0, 0));
    report = {};
    purge = {};
    ASSERT_EQ(RESULT_SUCCESS, p->QueryConfig(TYPE_EVENTLOG, CONFIG_REPORT, &report, 0, 0));
    ASSERT_EQ(RESULT_SUCCESS, p->QueryConfig(TYPE_EVENTLOG, CONFIG_EVENTLOG_PURGE, &purge, 0, 0));
    EXPECT_EQ(14u, report.dwDayFre);
    EXPECT_EQ(2u, report.dwAlertFlag);
    EXPECT_EQ(0u, purge.dwDayFre);
    EXPECT_EQ(5u, purge.dwPurgeFlag);

    // Storing the report settings restarts the interval today at noon; the purge settings touch no stamp.
    SYSTEMTIME stamp{};
    ASSERT_TRUE(ReadStamp(L"LastReportDate", stamp));
    EXPECT_EQ(12, stamp.wHour);
    EXPECT_EQ(0, stamp.wMinute + stamp.wSecond + stamp.wMilliseconds);
    EXPECT_EQ(TestSupport::DateText(TestSupport::Today()), TestSupport::DateText(stamp));
}

TEST_F(NorquillTest, RecentInfoFillsStringsEvenWithoutAStamp)
{
    ProviderSession p(Dll());
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

    BYTE twenty[20] = {};
    twenty[0] = 0xD0;
    twenty[1] = 0x07;
    TestSupport::SetRegBinary(HKEY_LOCAL_MACHINE, kEventLogKey, L"MostRecentThreatTime", twenty,
                              sizeof(twenty));
    EXPECT_EQ(RESULT_FAILED, p->QueryData(TYPE_EVENTLOG, DATA_RECENT_THREAT, &info, 0, 0));
    EXPECT_EQ(1999, info.stTime.wYear);

    SYSTEMTIME t{2024, 2, 4, 29, 23, 59, 58, 999};
    TestSupport::SetRegBinary(HKEY_LOCAL_MACHINE, kEventLogKey, L"MostRecentThreatTime", &t, sizeof(t));
    ASSERT_EQ(RESULT_SUCCESS, p->QueryData(TYPE_EVENTLOG, DATA_RECENT_THREAT, &info, 0, 0));
    EXPECT_EQ(0, memcmp(&t, &info.stTime, sizeof(t)));
}

TEST_F(NorquillTest, RecentInfoAfterInstallHasTimeButNoNames)
{
    ProviderSession p(Dll());
    ASSERT_EQ(RESULT_SUCCESS, p->Install());
    RecentThreatInfo info;
    info.VirusName = L"stale";
    ASSERT_EQ(RESULT_SUCCESS, p->QueryData(TYPE_EVENTLOG, DATA_RECENT_THREAT, &info, 0, 0));
    EXPECT_TRUE(info.VirusName.empty());
    EXPECT_TRUE(info.FileName.empty());
    SYSTEMTIME stamp{};
    ASSERT_TRUE(ReadStamp(L"MostRecentThreatTime", stamp));
    EXPECT_EQ(0, memcmp(&stamp, &info.stTime, sizeof(stamp)));
}

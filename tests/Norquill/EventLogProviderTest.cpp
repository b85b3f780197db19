#include "EventLogProvider.h"

#include "KvComn_Clock.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

using namespace SrvFrwk;
using TestSupport::FileExists;
using TestSupport::kEventLogKey;

namespace
{
class EventLogProviderTest : public ::testing::Test
{
protected:
    void SetUp() override { KvCommon::Clock::SetSource(&Now); }
    void TearDown() override { KvCommon::Clock::SetSource(nullptr); }
    static void WINAPI Now(LPSYSTEMTIME now) { *now = s_now; }
    static SYSTEMTIME Stamp(const wchar_t* name)
    {
        DWORD type = 0;
        std::vector<BYTE> raw;
        SYSTEMTIME time{};
        if (TestSupport::GetRegValue(HKEY_LOCAL_MACHINE, kEventLogKey, name, type, raw) &&
            raw.size() == sizeof(time))
            memcpy(&time, raw.data(), sizeof(time));
        return time;
    }
    void SetDword(const wchar_t* name, DWORD value)
    {
        ASSERT_TRUE(TestSupport::SetRegDword(HKEY_LOCAL_MACHINE, kEventLogKey, name, value));
    }

    static inline SYSTEMTIME s_now{};
    TestSupport::EventLogSandbox sandbox;
    TestSupport::RegistryKeyGuard sessionKey{HKEY_LOCAL_MACHINE, TestSupport::kInteractiveTraceKey};
    const std::wstring logs = sandbox.LogFolder();
    CEventLogProvider provider{nullptr};
};
} // namespace

TEST_F(EventLogProviderTest, InstallStampsTheMomentAndTheReportDayAtNoon)
{
    s_now = {2007, 12, 1, 31, 23, 59, 59, 999};
    ASSERT_EQ(RESULT_SUCCESS, provider.Install());
    for (const wchar_t* name : {L"MostRecentThreatTime", L"VIRLastDate", L"SPYLastDate", L"TSCLastDate",
                                L"UPGLastDate", L"PFWLastDate", L"VLNLastDate", L"URLLastDate",
                                L"PHALastDate", L"PVYLastDate", L"HISLastDate", L"VSTLastDate"})
    {
        const SYSTEMTIME stamp = Stamp(name);
        EXPECT_EQ(0, memcmp(&s_now, &stamp, sizeof(stamp))) << static_cast<int>(stamp.wYear);
    }
    const SYSTEMTIME noon{2007, 12, 1, 31, 12, 0, 0, 0}, report = Stamp(L"LastReportDate");
    EXPECT_EQ(0, memcmp(&noon, &report, sizeof(noon)));
}

TEST_F(EventLogProviderTest, PurgesCutOffTheirConfiguredAgeBeforeNowUnlessSwitchedOff)
{
    s_now = {2008, 3, 6, 15, 10, 20, 0, 0};
    ASSERT_TRUE(CreateDirectoryW(logs.c_str(), nullptr));
    for (const wchar_t* name : {L"20080214.VLG", L"20080215.VLG", L"05032008_bsq.log", L"06032008_bsq.log"})
        ASSERT_TRUE(TestSupport::WriteFileBytes(logs + name, "x", 1));
    SetDword(L"EventLogPurgeFlag", 0);
    EXPECT_EQ(provider.DoEventLogPurge(), RESULT_SUCCESS);
    SetDword(L"EventLogPurgeFlag", 1);
    SetDword(L"EventLogPurgeFre", 0xFFFFFFFF); // before 1601: nothing to purge
    EXPECT_EQ(provider.DoEventLogPurge(), RESULT_SUCCESS);
    EXPECT_TRUE(FileExists(logs + L"20080214.VLG"));

    SetDword(L"EventLogPurgeFre", 30);
    SetDword(L"DebugLogPurgeFre", 10);
    EXPECT_EQ(provider.DoEventLogPurge(), RESULT_SUCCESS);
    EXPECT_FALSE(FileExists(logs + L"20080214.VLG"));
    EXPECT_TRUE(FileExists(logs + L"20080215.VLG"));
    EXPECT_EQ(provider.DoDebugLogPurge(), RESULT_SUCCESS);
    EXPECT_FALSE(FileExists(logs + L"05032008_bsq.log"));
    EXPECT_TRUE(FileExists(logs + L"06032008_bsq.log"));
}

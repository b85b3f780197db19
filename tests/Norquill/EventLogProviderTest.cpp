#include "LogFileTest.h"

#include "EventLogProvider.h"
#include "LogTypes.h"

using namespace SrvFrwk;
using TestSupport::FileExists;

namespace
{
class EventLogProviderTest : public LogFileTest
{
protected:
    void SetDword(const wchar_t* name, DWORD value)
    {
        ASSERT_TRUE(TestSupport::SetRegDword(HKEY_LOCAL_MACHINE, TestSupport::kEventLogKey, name, value));
    }

    const std::wstring logs = sandbox.LogFolder();
    CEventLogProvider provider{nullptr};
};
} // namespace

TEST_F(EventLogProviderTest, InstallStampsTheMomentAndTheReportDayAtNoon)
{
    s_clock = s_nextClock = {2007, 12, 1, 31, 23, 59, 59, 999};
    ASSERT_EQ(RESULT_SUCCESS, provider.Install());
    EXPECT_EQ(Bytes(s_clock), Stamp(L"MostRecentThreatTime"));
    for (const wchar_t* name : Norquill::GetInstallStampNames())
        EXPECT_EQ(Bytes(s_clock), Stamp(name)) << name;
    EXPECT_EQ(Bytes({2007, 12, 1, 31, 12, 0, 0, 0}), Stamp(L"LastReportDate"));
}

// Thirty days before 15 March of a leap year; the debug-log purge shares the cut-off end to end.
TEST_F(EventLogProviderTest, EventLogPurgeCutsOffItsAgeBeforeNowUnlessSwitchedOff)
{
    s_clock = s_nextClock = {2008, 3, 6, 15, 10, 20, 0, 0};
    ASSERT_TRUE(CreateDirectoryW(logs.c_str(), nullptr));
    for (const wchar_t* name : {L"20080214.VLG", L"20080215.VLG"})
        ASSERT_TRUE(TestSupport::WriteFileBytes(logs + name, "x", 1));
    SetDword(L"EventLogPurgeFlag", 0);
    EXPECT_EQ(provider.DoEventLogPurge(), RESULT_SUCCESS);
    EXPECT_TRUE(FileExists(logs + L"20080214.VLG"));
    SetDword(L"EventLogPurgeFlag", 1);
    EXPECT_EQ(provider.DoEventLogPurge(), RESULT_SUCCESS);
    EXPECT_FALSE(FileExists(logs + L"20080214.VLG"));
    EXPECT_TRUE(FileExists(logs + L"20080215.VLG"));
}

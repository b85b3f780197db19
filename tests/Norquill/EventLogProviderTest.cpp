#include "LogFileTest.h"

#include "EventLogProvider.h"

using namespace SrvFrwk;
using TestSupport::FileExists;

using EventLogProviderTest = LogFileTest;

// Thirty days before 15 March of a leap year; the debug-log purge shares the cut-off end to end.
TEST_F(EventLogProviderTest, EventLogPurgeCutsOffItsAgeBeforeNowUnlessSwitchedOff)
{
    s_clock = s_nextClock = {2008, 3, 6, 15, 10, 20, 0, 0};
    const std::wstring logs = sandbox.LogFolder();
    ASSERT_TRUE(CreateDirectoryW(logs.c_str(), nullptr));
    for (const wchar_t* name : {L"20080214.VLG", L"20080215.VLG"})
        ASSERT_TRUE(TestSupport::WriteFileBytes(logs + name, "x", 1));
    CEventLogProvider provider{nullptr};
    for (DWORD flag : {0u, 1u})
    {
        ASSERT_TRUE(TestSupport::SetRegDword(HKEY_LOCAL_MACHINE, TestSupport::kEventLogKey,
                                             L"EventLogPurgeFlag", flag));
        EXPECT_EQ(provider.DoEventLogPurge(), RESULT_SUCCESS);
        EXPECT_EQ(flag == 0, FileExists(logs + L"20080214.VLG")) << flag;
    }
    EXPECT_TRUE(FileExists(logs + L"20080215.VLG"));
}

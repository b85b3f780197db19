#include "LogFileTest.h"

#include "EventLogProvider.h"
#include "LogTypes.h"
#include "TscLog.h"

using namespace SrvFrwk;
using namespace SrvFrwk::EventLog;

using DayFileNameTest = LogFileTest;

// One rule for a name that would not fit: no name at all, so each of the three fails as it fails
// for a missing file, and none reaches a file of a cut name.
TEST_F(DayFileNameTest, OverlongFolderGivesNoNameToWriterReaderAndPathQueryAlike)
{
    EXPECT_EQ(519u, Norquill::MakeDayFileName(std::wstring(507, L'f'), kNow, L"PTG").size());
    EXPECT_EQ(L"", Norquill::MakeDayFileName(std::wstring(508, L'f'), kNow, L"PTG"));

    // A log folder of 508 characters: installed folder, "\", "Log\".
    const std::wstring installed =
        sandbox.InstalledFolder() + std::wstring(503 - sandbox.InstalledFolder().size(), L'x');
    ASSERT_TRUE(TestSupport::SetRegString(HKEY_LOCAL_MACHINE, TestSupport::kInstallKey, L"InstalledFolder",
                                          installed));
    TscLogRecord record{L"abc", 1, {}};
    EXPECT_EQ(RESULT_FAILED, CTscLog().WriteLog(&record, 0, 0));
    TscLogQuery query;
    query.stDay = kNow;
    EXPECT_EQ(RESULT_FAILED, CTscLog().ReadLog(&query, 0, 0));
    EXPECT_TRUE(query.records.empty());
    LogPathQuery path{kNow, LOG_TSC, L"untouched"};
    EXPECT_EQ(RESULT_FAILED, CEventLogProvider(nullptr).QueryData(TYPE_EVENTLOG, DATA_LOG_PATH, &path, 0, 0));
    EXPECT_EQ(L"", path.tsLogPath);
}

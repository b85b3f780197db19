// The kind table against the codes, extensions and orders that hosts and other components rely on,
// written out here rather than taken from the table.
#include "LogFileTest.h"

#include "EventLogProvider.h"
#include "LogPurge.h"
#include "LogTypes.h"
#include "TscLog.h"

#include <map>
#include <memory>
#include <set>

using namespace SrvFrwk;
using namespace SrvFrwk::EventLog;

// Which class each sub-type makes shows in every kind's exact line and read-back elsewhere.
TEST(LogKindTable, UnknownSubTypesMakeNothingAndEachNameIsOneTypesOnly)
{
    for (ULONG subType : {0u, 11u, 16u, 18u, 0xFFFFFFFFu})
        EXPECT_EQ(nullptr, std::unique_ptr<CLogBase>(CreateLogObject(subType))) << subType;

    std::map<std::wstring, int> seen;
    std::set<DWORD> types;
    for (const Norquill::LogKindRow& row : Norquill::kLogKinds)
    {
        EXPECT_TRUE(types.insert(row.logType).second) << row.logType;
        ++seen[row.extension];
        if (row.lastDateName)
            ++seen[row.lastDateName];
    }
    EXPECT_EQ(12u, types.size());
    for (const auto& [name, count] : seen)
        EXPECT_EQ(1, count) << name.c_str();
}

TEST(LogKindTable, PurgeSeesTheTypesInItsOwnOrder)
{
    std::vector<std::wstring> list{L"stale"};
    ASSERT_TRUE(CLogPurge().GetExtensionStringList(list, LOG_ALL));
    EXPECT_EQ((std::vector<std::wstring>{L"VLG", L"UPG", L"PFG", L"ULG", L"ASG", L"PPG", L"PTG", L"VAG",
                                         L"SPG", L"HLG", L"SCG", L"HCG"}),
              list);
    ASSERT_TRUE(CLogPurge().GetExtensionStringList(list, LOG_ASG));
    EXPECT_EQ(std::vector<std::wstring>{L"ASG"}, list);
    EXPECT_FALSE(CLogPurge().GetExtensionStringList(list, 12));
    EXPECT_TRUE(list.empty());
}

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

#include "LogFileTest.h"

#include "TscLog.h"

using namespace SrvFrwk::EventLog;

using TscLogTest = LogFileTest;

TEST_F(TscLogTest, LineEndsInTheNumberAndReadsBack)
{
    const TscLogRecord record{L"abc", 42, {}};
    const std::wstring line = Line<CTscLog>(record);
    EXPECT_EQ(std::wstring(kPrefix) + L"abc|42\r\n", line);
    const TscLogRecord r = ReadBack<CTscLog, TscLogRecord>(Body(line));
    EXPECT_STREQ(L"abc", r.szText1);
    EXPECT_EQ(42, r.nValue1);
}

TEST_F(TscLogTest, TextOfFullArrayIsWrittenWholeAndReadBackCut)
{
    TscLogRecord record{};
    wmemset(record.szText1, L'z', 127);
    const std::wstring line = Line<CTscLog>(record);
    EXPECT_EQ(std::wstring(kPrefix) + std::wstring(127, L'z') + L"|0\r\n", line);
    EXPECT_EQ(126u, wcslen(ReadBack<CTscLog, TscLogRecord>(Body(line)).szText1));
}

#include "LogFileTest.h"

#include "TscLog.h"

using namespace SrvFrwk::EventLog;

using TscLogTest = LogFileTest;

TEST_F(TscLogTest, TextOfFullArrayIsWrittenWholeAndReadBackCut)
{
    TscLogRecord record{};
    wmemset(record.szText1, L'z', 127);
    record.nValue1 = -3;
    const std::wstring line = Line<CTscLog>(record);
    EXPECT_EQ(std::wstring(kPrefix) + std::wstring(127, L'z') + L"|-3\r\n", line);
    const TscLogRecord r = ReadBack<CTscLog, TscLogRecord>(Body(line));
    EXPECT_EQ(126u, wcslen(r.szText1));
    EXPECT_EQ(-3, r.nValue1);
}

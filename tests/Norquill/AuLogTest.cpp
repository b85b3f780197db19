#include "LogFileTest.h"

#include "AuLog.h"

using namespace SrvFrwk::EventLog;

using AuLogTest = LogFileTest;

TEST_F(AuLogTest, NumbersAndTextsMakeTheLineAndReadBack)
{
    AuLogRecord record{1, 0, -1, 2147483647, L"A", L"B", {}};
    const std::wstring line = Line<CAuLog>(record);
    EXPECT_EQ(std::wstring(kPrefix) + L"1|0|-1|2147483647|A|B\r\n", line);
    const AuLogRecord r = ReadBack<CAuLog, AuLogRecord>(Body(line));
    EXPECT_EQ(1, r.nValue1);
    EXPECT_EQ(0, r.nValue2);
    EXPECT_EQ(-1, r.nValue3);
    EXPECT_EQ(2147483647, r.nValue4);
    EXPECT_STREQ(L"A", r.szText1);
    EXPECT_STREQ(L"B", r.szText2);
    EXPECT_EQ(4, r.stTime.wDay);
    EXPECT_EQ(9, r.stTime.wHour);

    AuLogRecord empty{};
    EXPECT_EQ(std::wstring(kPrefix) + L"0|0|0|0||\r\n", Line<CAuLog>(empty));
}

TEST_F(AuLogTest, ThirtyCharactersFitAndThirtyOneAreCut)
{
    const std::wstring t30(30, L'a'), t31(31, L'b');
    const AuLogRecord r =
        ReadBack<CAuLog, AuLogRecord>(std::wstring(kPrefix) + L"1|2|3|4|" + t30 + L"|" + t31);
    EXPECT_EQ(t30, r.szText1);
    EXPECT_EQ(t31.substr(0, 30), r.szText2);
}

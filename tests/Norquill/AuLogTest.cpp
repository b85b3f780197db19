#include "LogFileTest.h"

#include "AuLog.h"

using namespace SrvFrwk::EventLog;

using AuLogTest = LogFileTest;

TEST_F(AuLogTest, EmptyTextsEndTheLineInSeparatorsAndLongOnesAreCutOnReading)
{
    EXPECT_EQ(std::wstring(kPrefix) + L"0|0|0|0||\r\n", Line<CAuLog>(AuLogRecord{}));
    const std::wstring t30(30, L'a'), t31(31, L'b');
    const AuLogRecord r =
        ReadBack<CAuLog, AuLogRecord>(std::wstring(kPrefix) + L"1|-2|3|4|" + t30 + L"|" + t31);
    EXPECT_EQ(-2, r.nValue2);
    EXPECT_EQ(t30, r.szText1);
    EXPECT_EQ(t31.substr(0, 30), r.szText2);
}

#include "LogFileTest.h"

#include "PvyLog.h"

using namespace SrvFrwk::EventLog;

namespace
{
PvyLogRecord Privacy(LONG type)
{
    PvyLogRecord r;
    r.dwType = type;
    r.nValue1 = 1;
    r.tsText1 = L"t1";
    r.nValue2 = 2;
    r.tsText2 = L"t2";
    r.tsText3 = L"t3";
    r.tsText4 = L"t4";
    r.tsText5 = L"t5";
    r.tsText6 = L"t6";
    return r;
}
} // namespace

using PvyLogTest = LogFileTest;

TEST_F(PvyLogTest, TypeChoosesTheEndOfTheLineAndWhereItIsReadBack)
{
    const struct
    {
        LONG type;
        const wchar_t* ending;
        const wchar_t *text2, *text4, *text5, *text6;
    } cases[] = {
        {2, L"t2|t6", L"t2", L"", L"", L"t6"},
        {3, L"t4|", L"", L"t4", L"", L""},
        {0x100003, L"t5|", L"", L"", L"t5", L""},
        {5, L"|", L"", L"", L"", L""},
    };
    for (const auto& c : cases)
    {
        const std::wstring line = Line<CPvyLog>(Privacy(c.type));
        EXPECT_EQ(std::wstring(kPrefix) + std::to_wstring(c.type) + L"|1|t1|2|" + c.ending + L"\r\n", line);
        const PvyLogRecord r = ReadBack<CPvyLog, PvyLogRecord>(Body(line));
        EXPECT_EQ(c.type, r.dwType);
        EXPECT_EQ(1, r.nValue1);
        EXPECT_EQ(L"t1", r.tsText1);
        EXPECT_EQ(2, r.nValue2);
        EXPECT_EQ(c.text2, r.tsText2) << c.type;
        EXPECT_EQ(L"", r.tsText3);
        EXPECT_EQ(c.text4, r.tsText4) << c.type;
        EXPECT_EQ(c.text5, r.tsText5) << c.type;
        EXPECT_EQ(c.text6, r.tsText6) << c.type;
    }
}

#include "LogFileTest.h"

#include "SpyLog.h"

using namespace SrvFrwk::EventLog;

namespace
{
SpyLogRecord Spy()
{
    SpyLogRecord r{};
    r.nType = -1;
    wcscpy_s(r.szText1, L"t1");
    r.nValue1 = 11;
    wcscpy_s(r.szPath, L"P");
    wcscpy_s(r.szText2, L"t2");
    wcscpy_s(r.szItem, L"N");
    wcscpy_s(r.szText3, L"never written");
    wcscpy_s(r.szText4, L"t4");
    r.dwCode = 0xFFFFFFFF;
    r.nValue2 = 22;
    r.nValue3 = -33;
    wcscpy_s(r.szText5, L"t5");
    r.dwFlag = 1;
    r.dwValue = 4294967295u;
    return r;
}
} // namespace

using SpyLogTest = LogFileTest;

TEST_F(SpyLogTest, LineHoldsAnEmptySeventhFieldAndUnsignedValue)
{
    EXPECT_EQ(std::wstring(kPrefix) + L"0xffffffff|-33|P|t2|N||t4|-1|t1|11|4294967295|t5\r\n",
              Line<CSpyLog>(Spy()));
    SpyLogRecord small = Spy();
    small.dwCode = 0x1A;
    EXPECT_EQ(0u, Line<CSpyLog>(small).find(std::wstring(kPrefix) + L"0x0000001a|"));
}

TEST_F(SpyLogTest, ReadingKeepsIndexesUpToElevenOnly)
{
    const SpyLogRecord r = ReadBack<CSpyLog, SpyLogRecord>(Body(Line<CSpyLog>(Spy())));
    EXPECT_EQ(0u, r.dwCode);
    EXPECT_EQ(-33, r.nValue3);
    EXPECT_STREQ(L"P", r.szPath);
    EXPECT_STREQ(L"t2", r.szText2);
    EXPECT_STREQ(L"N", r.szItem);
    EXPECT_STREQ(L"", r.szText3);
    EXPECT_STREQ(L"t4", r.szText4);
    EXPECT_EQ(-1, r.nType);
    EXPECT_STREQ(L"t1", r.szText1);
    EXPECT_EQ(11, r.nValue1);
    EXPECT_EQ(0u, r.dwValue);
    EXPECT_STREQ(L"", r.szText5);
    EXPECT_EQ(0, r.nValue2);
    EXPECT_EQ(0u, r.dwFlag);
}

TEST_F(SpyLogTest, OverlongTextsAreCutToTheirCopyLimits)
{
    const std::wstring t(500, L'x');
    const SpyLogRecord r =
        ReadBack<CSpyLog, SpyLogRecord>(std::wstring(kPrefix) + L"0x0|1|" + t + L"|" + t + L"|" + t + L"|" +
                                        t + L"|" + t + L"|1|" + t + L"|2");
    EXPECT_EQ(259u, wcslen(r.szPath));
    EXPECT_EQ(259u, wcslen(r.szText2));
    EXPECT_EQ(387u, wcslen(r.szItem));
    EXPECT_EQ(259u, wcslen(r.szText3));
    EXPECT_EQ(259u, wcslen(r.szText4));
    EXPECT_EQ(259u, wcslen(r.szText1));
    EXPECT_EQ(2, r.nValue1);
}

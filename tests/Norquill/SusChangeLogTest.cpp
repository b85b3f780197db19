#include "LogFileTest.h"

#include "SusChangeLog.h"

using namespace SrvFrwk::EventLog;

namespace
{
SpyLogRecord Change(DWORD flag, LONG type)
{
    SpyLogRecord r{};
    r.dwCode = 0x1A;
    r.nValue3 = 3;
    wcscpy_s(r.szPath, L"P");
    wcscpy_s(r.szText2, L"t2");
    r.nType = type;
    r.dwFlag = flag;
    r.nValue2 = 7;
    wcscpy_s(r.szItem, L"N");
    wcscpy_s(r.szText4, L"12 t4");
    wcscpy_s(r.szText1, L"t1");
    r.nValue1 = 1;
    r.dwValue = 9;
    wcscpy_s(r.szText5, L"t5");
    return r;
}
} // namespace

using SusChangeLogTest = LogFileTest;

TEST_F(SusChangeLogTest, TargetFollowsFlagAndType)
{
    const struct
    {
        DWORD flag;
        LONG type;
        const wchar_t* target;
    } cases[] = {
        {0, 2, L"P\\N"}, {1, 1, L"7"},  {1, 2, L"7"},  {1, 3, L"P\\N"}, {1, 4, L"N"},
        {1, 16, L"N"},   {1, 32, L"N"}, {1, 64, L"N"}, {1, 5, L""},     {2, 5, L"P\\N"},
    };
    for (const auto& c : cases)
    {
        const std::wstring type = std::to_wstring(c.type);
        EXPECT_EQ(std::wstring(kPrefix) + L"0x0000001a|3|P|t2|" + type + L"|" + c.target +
                      L"||12 t4|t1|1|9|t5\r\n",
                  Line<CSusChangeLog>(Change(c.flag, c.type)))
            << c.flag << " " << c.type;
    }
}

TEST_F(SusChangeLogTest, ReadingUsesTheSpywareIndexes)
{
    const SpyLogRecord r = ReadBack<CSusChangeLog, SpyLogRecord>(Body(Line<CSusChangeLog>(Change(1, 3))));
    EXPECT_STREQ(L"3", r.szItem);
    EXPECT_STREQ(L"P\\N", r.szText3);
    EXPECT_STREQ(L"", r.szText4);
    EXPECT_EQ(12, r.nType);
    EXPECT_STREQ(L"t1", r.szText1);
    EXPECT_EQ(1, r.nValue1);
    EXPECT_EQ(3, r.nValue3);
    EXPECT_EQ(0u, r.dwValue);
}

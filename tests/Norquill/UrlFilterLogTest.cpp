#include "LogFileTest.h"

#include "UrlFilterLog.h"

using namespace SrvFrwk::EventLog;

namespace
{
UrlFilterLogRecord Url(DWORD code)
{
    UrlFilterLogRecord r;
    r.dwNumber = 42;
    r.dwCode = code;
    r.tsText1 = L"http://a";
    r.nValue = -7;
    r.tsText2 = L"t2";
    r.tsText3 = L"t3";
    r.dwExtra1 = 1;
    r.dwExtra2 = 2;
    r.tsText4 = L"t4";
    return r;
}
} // namespace

using UrlFilterLogTest = LogFileTest;

TEST_F(UrlFilterLogTest, CodeChoosesTheLayout)
{
    EXPECT_EQ(std::wstring(kPrefix) + L"00000042|0000001a|-7|http://a|t2|ER\r\n",
              Line<CUrlFilterLog>(Url(0x1A)));
    EXPECT_EQ(std::wstring(kPrefix) + L"00000042|00000080|http://a|t4||\r\n", Line<CUrlFilterLog>(Url(0x80)));
    UrlFilterLogRecord negative = Url(0x1A);
    negative.dwNumber = -5;
    EXPECT_EQ(0u, Line<CUrlFilterLog>(negative).find(std::wstring(kPrefix) + L"-0000005|"));
}

TEST_F(UrlFilterLogTest, CodeReadFromTheLineDecidesTheFields)
{
    UrlFilterLogRecord r = ReadBack<CUrlFilterLog, UrlFilterLogRecord>(Body(Line<CUrlFilterLog>(Url(0x1A))));
    EXPECT_EQ(0, r.dwNumber);
    EXPECT_EQ(0x1Au, r.dwCode);
    EXPECT_EQ(-7, r.nValue);
    EXPECT_EQ(L"http://a", r.tsText1);
    EXPECT_EQ(L"t2", r.tsText2);
    EXPECT_EQ(L"", r.tsText3);
    EXPECT_EQ(L"", r.tsText4);
    EXPECT_EQ(0, r.dwExtra1);

    r = ReadBack<CUrlFilterLog, UrlFilterLogRecord>(Body(Line<CUrlFilterLog>(Url(0x80))));
    EXPECT_EQ(0x80u, r.dwCode);
    EXPECT_EQ(L"http://a", r.tsText1);
    EXPECT_EQ(L"t4", r.tsText4);
    EXPECT_EQ(0, r.nValue);
    EXPECT_EQ(L"", r.tsText2);

    r = ReadBack<CUrlFilterLog, UrlFilterLogRecord>(std::wstring(kPrefix) + L"1|80000000|5|a|b|ER");
    EXPECT_EQ(0x7FFFFFFFu, r.dwCode);
}

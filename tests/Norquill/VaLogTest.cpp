#include "LogFileTest.h"

#include "VaLog.h"

using namespace SrvFrwk::EventLog;

using VaLogTest = LogFileTest;

TEST_F(VaLogTest, NumbersAreCutAfterSevenCharacters)
{
    const struct
    {
        LONG value;
        const wchar_t* text;
    } cases[] = {{12345678, L"1234567"},
                 {9999999, L"9999999"},
                 {-1234567, L"-123456"},
                 {-999999, L"-999999"},
                 {0, L"0"}};
    for (const auto& c : cases)
    {
        VaLogRecord r{};
        wcscpy_s(r.szName, L"abc");
        r.nValue1 = c.value;
        r.nValue2 = 2;
        wcscpy_s(r.szText1, L"xyz");
        EXPECT_EQ(std::wstring(kPrefix) + L"abc|" + c.text + L"|2|xyz\r\n", Line<CVaLog>(r));
    }
}

TEST_F(VaLogTest, ReadBackRestoresFieldsAndCutsOverlongOnes)
{
    const VaLogRecord r = ReadBack<CVaLog, VaLogRecord>(std::wstring(kPrefix) + L"abc|1234567|-2|xyz");
    EXPECT_STREQ(L"abc", r.szName);
    EXPECT_EQ(1234567, r.nValue1);
    EXPECT_EQ(-2, r.nValue2);
    EXPECT_STREQ(L"xyz", r.szText1);

    const VaLogRecord cut = ReadBack<CVaLog, VaLogRecord>(std::wstring(kPrefix) + std::wstring(31, L'n') +
                                                          L"|1|2|" + std::wstring(3000, L't'));
    EXPECT_EQ(30u, wcslen(cut.szName));
    EXPECT_EQ(2046u, wcslen(cut.szText1));
}

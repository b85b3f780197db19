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
    } cases[] = {
        {12345678, L"1234567"}, {9999999, L"9999999"}, {-1234567, L"-123456"}, {-999999, L"-999999"}};
    for (const auto& c : cases)
    {
        VaLogRecord r{};
        wcscpy_s(r.szName, L"abc");
        r.nValue1 = c.value;
        r.nValue2 = c.value;
        wcscpy_s(r.szText1, L"xyz");
        EXPECT_EQ(std::wstring(kPrefix) + L"abc|" + c.text + L"|" + c.text + L"|xyz\r\n", Line<CVaLog>(r));
    }
}

TEST_F(VaLogTest, OverlongNameAndTextAreCutOnReading)
{
    const VaLogRecord r = ReadBack<CVaLog, VaLogRecord>(std::wstring(kPrefix) + std::wstring(31, L'n') +
                                                        L"|1|-2|" + std::wstring(3000, L't'));
    EXPECT_EQ(30u, wcslen(r.szName));
    EXPECT_EQ(-2, r.nValue2);
    EXPECT_EQ(2046u, wcslen(r.szText1));
}

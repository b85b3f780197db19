#include "LogFileTest.h"

#include "HisCleanLog.h"

using namespace SrvFrwk::EventLog;

namespace
{
HisCleanLogRecord Clean(DWORD kind, DWORD value, DWORD count, LONGLONG amount)
{
    HisCleanLogRecord r{};
    r.dwKind = kind;
    r.dwValue = value;
    r.dwCount = count;
    r.qwAmount = amount;
    return r;
}
} // namespace

using HisCleanLogTest = LogFileTest;

TEST_F(HisCleanLogTest, KindChoosesTheAmount)
{
    EXPECT_EQ(std::wstring(kPrefix) + L"3|0|42\r\n", Line<CHisCleanLog>(Clean(0, 3, 42, 7)));
    EXPECT_EQ(std::wstring(kPrefix) + L"3|1|1073741824\r\n",
              Line<CHisCleanLog>(Clean(1, 3, 42, 5368709120LL)));
    EXPECT_EQ(std::wstring(kPrefix) + L"\r\n", Line<CHisCleanLog>(Clean(2, 3, 42, 7)));
    EXPECT_EQ(std::wstring(kPrefix) + L"4294967295|0|4294967295\r\n",
              Line<CHisCleanLog>(Clean(0, 4294967295u, 4294967295u, 0)));
}

TEST_F(HisCleanLogTest, KindReadFromTheLineDecidesWhereTheAmountGoes)
{
    HisCleanLogRecord r = ReadBack<CHisCleanLog, HisCleanLogRecord>(std::wstring(kPrefix) + L"3|0|42");
    EXPECT_EQ(3u, r.dwValue);
    EXPECT_EQ(0u, r.dwKind);
    EXPECT_EQ(42u, r.dwCount);
    EXPECT_EQ(0, r.qwAmount);

    r = ReadBack<CHisCleanLog, HisCleanLogRecord>(std::wstring(kPrefix) + L"3|1|1073741824");
    EXPECT_EQ(1073741824, r.qwAmount);
    EXPECT_EQ(0u, r.dwCount);

    r = ReadBack<CHisCleanLog, HisCleanLogRecord>(std::wstring(kPrefix) + L"4294967295|1|4294967295");
    EXPECT_EQ(2147483647u, r.dwValue); // the signed conversion's limit
    EXPECT_EQ(2147483647, r.qwAmount);

    r = ReadBack<CHisCleanLog, HisCleanLogRecord>(std::wstring(kPrefix));
    EXPECT_EQ(0u, r.dwValue);
    EXPECT_EQ(0u, r.dwKind);
}

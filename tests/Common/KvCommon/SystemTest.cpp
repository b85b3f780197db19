#include "KvComn_System.h"

#include <gtest/gtest.h>

using KvCommon::System::EvaluateOsCondition;

namespace
{
struct Os
{
    const char* name;
    DWORD platform, major, minor;
    WORD sp;
    BYTE product;
    bool native64;
};

// Conditions 0..16 as a bit set per system; 17 and above are never true.
struct Row
{
    Os os;
    const char* conditions; // '1' where the condition holds, index = condition number
};

const Row kRows[] = {
    //                                                  0         1
    //                                                  01234567890123456
    {{"Me", 1, 4, 90, 0, 0, false}, "11000000000000000"},
    {{"98", 1, 4, 10, 0, 0, false}, "01000000000000000"},
    {{"2000", 2, 5, 0, 4, 1, false}, "00100000001100000"},
    {{"XP", 2, 5, 1, 1, 1, false}, "00001010001110000"},
    {{"XP SP2", 2, 5, 1, 2, 1, false}, "00001010001111000"},
    {{"XP SP3", 2, 5, 1, 3, 1, false}, "00001010001111100"},
    {{"XP x64", 2, 5, 2, 0, 1, true}, "00000110001111100"},
    {{"2003", 2, 5, 2, 0, 3, false}, "00010000001111100"},
    {{"Vista", 2, 6, 0, 0, 1, false}, "00000001011111110"},
    {{"Vista SP1 x64", 2, 6, 0, 1, 1, true}, "00000000111111111"},
    {{"7 x64", 2, 6, 1, 0, 1, true}, "00000000111111111"},
    {{"7 x86", 2, 6, 1, 1, 1, false}, "00000001011111111"},
    {{"10", 2, 10, 0, 0, 1, true}, "00000000001111111"},
    {{"NT4", 2, 4, 0, 6, 1, false}, "00000000001000000"},
};
} // namespace

TEST(System, EveryConditionOnInjectedVersions)
{
    for (const Row& row : kRows)
    {
        OSVERSIONINFOEXW v{};
        v.dwOSVersionInfoSize = sizeof(v);
        v.dwPlatformId = row.os.platform;
        v.dwMajorVersion = row.os.major;
        v.dwMinorVersion = row.os.minor;
        v.wServicePackMajor = row.os.sp;
        v.wProductType = row.os.product;
        for (DWORD c = 0; c < 20; ++c)
        {
            const bool expected = c < 17 && row.conditions[c] == '1';
            EXPECT_EQ(expected, EvaluateOsCondition(c, v, row.os.native64))
                << row.os.name << ", condition " << c;
        }
    }
}

TEST(System, WineReportsNtSixWithASessionAndA64BitProcessor)
{
    const DWORD nt5 = 11, major6 = 15, notAnything = 99;
    EXPECT_TRUE(KvCommon::System::IsOsVersion(nt5));
    EXPECT_TRUE(KvCommon::System::IsOsVersion(major6));
    EXPECT_FALSE(KvCommon::System::IsOsVersion(notAnything));
    EXPECT_EQ(0u, KvCommon::System::GetVersionError());
    EXPECT_TRUE(KvCommon::System::IsNative64Bit());

    DWORD session = 0;
    ASSERT_TRUE(KvCommon::System::GetProcessSessionId(session));
    EXPECT_NE(0xFFFFFFFFu, session);
}

#include "KvComn_System.h"

#include <gtest/gtest.h>

namespace
{
// '1' where condition N (0..16) holds on the system; 17 and above never hold.
const struct
{
    const char* name;
    DWORD platform, major, minor;
    WORD sp;
    BYTE product;
    bool native64;
    const char* conditions;
} kRows[] = {
    //                                        01234567890123456
    {"Me", 1, 4, 90, 0, 0, false, /*      */ "11000000000000000"},
    {"98", 1, 4, 10, 0, 0, false, /*      */ "01000000000000000"},
    {"2000", 2, 5, 0, 4, 1, false, /*     */ "00100000001100000"},
    {"XP", 2, 5, 1, 1, 1, false, /*       */ "00001010001110000"},
    {"XP SP2", 2, 5, 1, 2, 1, false, /*   */ "00001010001111000"},
    {"XP SP3", 2, 5, 1, 3, 1, false, /*   */ "00001010001111100"},
    {"XP x64", 2, 5, 2, 0, 1, true, /*    */ "00000110001111100"},
    {"2003", 2, 5, 2, 0, 3, false, /*     */ "00010000001111100"},
    {"Vista", 2, 6, 0, 0, 1, false, /*    */ "00000001011111110"},
    {"Vista SP1 x64", 2, 6, 0, 1, 1, true, "00000000111111111"},
    {"7 x64", 2, 6, 1, 0, 1, true, /*     */ "00000000111111111"},
    {"7 x86", 2, 6, 1, 1, 1, false, /*    */ "00000001011111111"},
    {"10", 2, 10, 0, 0, 1, true, /*       */ "00000000001111111"},
    {"NT4", 2, 4, 0, 6, 1, false, /*      */ "00000000001000000"},
};
} // namespace

TEST(System, EveryConditionOnInjectedVersions)
{
    for (const auto& row : kRows)
    {
        OSVERSIONINFOEXW v{sizeof(v), row.major, row.minor,   0, row.platform, {}, row.sp,
                           0,         0,         row.product, 0};
        for (DWORD c = 0; c < 20; ++c)
            EXPECT_EQ(c < 17 && row.conditions[c] == '1',
                      KvCommon::System::EvaluateOsCondition(c, v, row.native64))
                << row.name << ", condition " << c;
    }
}

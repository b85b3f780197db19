#include "KvComn_Clock.h"

#include <gtest/gtest.h>

namespace
{
void WINAPI FixedNoon(LPSYSTEMTIME t)
{
    *t = SYSTEMTIME{2008, 3, 6, 15, 12, 0, 0, 0};
}
} // namespace

TEST(Clock, SourceCanBeFixedAndRestored)
{
    KvCommon::Clock::SetSource(FixedNoon);
    SYSTEMTIME t{};
    KvCommon::Clock::GetLocalTime(&t);
    EXPECT_EQ(2008, t.wYear);
    EXPECT_EQ(15, t.wDay);
    KvCommon::Clock::SetSource(nullptr);
    KvCommon::Clock::GetLocalTime(&t);
    EXPECT_GT(t.wYear, 2020);
}

#include "SrvFrwk_ReferenceCount.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace
{
class TestCount : public SrvFrwk::Utility::ReferenceCount
{
public:
    using ReferenceCount::SetCount;
};
} // namespace

TEST(ReferenceCount, SaturatesAtBothLimitsInsteadOfWrapping)
{
    TestCount count;
    EXPECT_EQ(0u, count.Release());
    EXPECT_EQ(0u, count.Release());
    EXPECT_EQ(1u, count.AddRef());

    count.SetCount(0xFFFFFFFE);
    EXPECT_EQ(0xFFFFFFFFu, count.AddRef());
    EXPECT_EQ(0xFFFFFFFFu, count.AddRef());
    EXPECT_EQ(0xFFFFFFFEu, count.Release());
}

TEST(ReferenceCount, ConcurrentAddRefAndReleaseStayExact)
{
    TestCount count;
    constexpr int kThreads = 4;
    constexpr int kRounds = 20000;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back(
            [&count]
            {
                for (int i = 0; i < kRounds; ++i)
                {
                    count.AddRef();
                    count.AddRef();
                    count.Release();
                }
            });
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(static_cast<ULONG>(kThreads * kRounds) + 1, count.AddRef());
}

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

TEST(ReferenceCount, SaturatesAtBothLimitsAndStaysExactUnderThreads)
{
    TestCount count;
    EXPECT_EQ(0u, count.Release());
    EXPECT_EQ(0u, count.Release());
    count.SetCount(0xFFFFFFFE);
    EXPECT_EQ(0xFFFFFFFFu, count.AddRef());
    EXPECT_EQ(0xFFFFFFFFu, count.AddRef());
    EXPECT_EQ(0xFFFFFFFEu, count.Release());

    count.SetCount(0);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back(
            [&count]
            {
                for (int i = 0; i < 20000; ++i)
                {
                    count.AddRef();
                    count.AddRef();
                    count.Release();
                }
            });
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(80001u, count.AddRef());
}

#include "SrvFrwk_ReferenceCount.h"

#include <gtest/gtest.h>

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

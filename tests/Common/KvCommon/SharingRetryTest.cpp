#include "KvComn_SharingRetry.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <vector>

using KvCommon::Storage::SharingRetry;

namespace
{
// An open that is refused with the given codes in turn, then succeeds; counts its attempts.
struct ScriptedOpen
{
    std::vector<DWORD> refusals;
    size_t attempts = 0;
    bool operator()(DWORD& error)
    {
        if (attempts < refusals.size())
        {
            error = refusals[attempts++];
            return false;
        }
        ++attempts;
        return true;
    }
};
} // namespace

TEST(SharingRetry, WaitsOutSharingAndLockViolationsOnlyAndWithinTheBound)
{
    ScriptedOpen waits{{32, 33, 32}};
    DWORD error = 0;
    EXPECT_TRUE(SharingRetry::Run(std::ref(waits), error));
    EXPECT_EQ(4u, waits.attempts);

    for (DWORD other : {2u, 5u, 160u})
    {
        ScriptedOpen fails{{other, 32}};
        EXPECT_FALSE(SharingRetry::Run(std::ref(fails), error));
        EXPECT_EQ(other, error);
        EXPECT_EQ(1u, fails.attempts) << other;
    }

    ScriptedOpen held{std::vector<DWORD>(100000, 32)};
    const ULONGLONG start = ::GetTickCount64();
    EXPECT_FALSE(SharingRetry::Run(std::ref(held), error, 200));
    const ULONGLONG took = ::GetTickCount64() - start;
    EXPECT_EQ(32u, error);
    EXPECT_GE(took, 190u);        // not before the bound
    EXPECT_GT(held.attempts, 5u); // the first steps are short
}

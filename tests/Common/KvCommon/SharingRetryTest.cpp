#include "KvComn_SharingRetry.h"

#include <gtest/gtest.h>

#include <vector>

using KvCommon::Storage::SharingRetry;

// Only another opener is worth waiting for: a missing or forbidden file fails at once.
TEST(SharingRetry, RetriesSharingAndLockViolationsAndNothingElse)
{
    const std::vector<std::vector<DWORD>> scripts = {{32, 33, 32}, {2, 32}, {5}, {160}};
    for (const std::vector<DWORD>& refusals : scripts)
    {
        size_t attempts = 0;
        DWORD error = 0;
        const bool opened = SharingRetry::Run(
            [&](DWORD& e)
            {
                if (attempts++ == refusals.size())
                    return true;
                e = refusals[attempts - 1];
                return false;
            },
            error);
        const bool waits = refusals[0] == 32;
        EXPECT_EQ(waits, opened);
        EXPECT_EQ(waits ? refusals.size() + 1 : 1u, attempts) << refusals[0];
        if (!waits)
        {
            EXPECT_EQ(refusals[0], error);
        }
    }
}

#include "KvComn_SharingRetry.h"

#include <gtest/gtest.h>

#include <vector>

using KvCommon::Storage::SharingRetry;

// Another opener is worth waiting for, and for a writer a day being deleted; a missing or forbidden file
// fails at once.
TEST(SharingRetry, RetriesOnlyWhatWillPass)
{
    const struct
    {
        std::vector<DWORD> refusals;
        SharingRetry::Also also;
        bool waits;
    } cases[] = {
        {{32, 33, 32}, SharingRetry::Also::Nothing, true},  {{2, 32}, SharingRetry::Also::Nothing, false},
        {{5}, SharingRetry::Also::Nothing, false},          {{160}, SharingRetry::Also::Nothing, false},
        {{5, 303, 32}, SharingRetry::Also::Deletion, true}, {{2}, SharingRetry::Also::Deletion, false}};
    for (const auto& c : cases)
    {
        size_t attempts = 0;
        DWORD error = 0;
        const bool opened = SharingRetry::Run(
            [&](DWORD& e)
            {
                if (attempts++ == c.refusals.size())
                    return true;
                e = c.refusals[attempts - 1];
                return false;
            },
            error, SharingRetry::kBoundMs, c.also);
        EXPECT_EQ(c.waits, opened) << c.refusals[0];
        EXPECT_EQ(c.waits ? c.refusals.size() + 1 : 1u, attempts) << c.refusals[0];
        if (!c.waits)
        {
            EXPECT_EQ(c.refusals[0], error);
        }
    }
}

#include "Checks.h"

#include <gtest/gtest.h>

#include <algorithm>

using KvCommon::AccessControl::SecurityAttributes;

TEST(SecurityAttributes, TabledKindsBuildTheSevenGroupDaclOthersGiveDefaultSecurity)
{
    for (DWORD kind = 0; kind <= 18; ++kind)
    {
        SCOPED_TRACE(kind);
        const DWORD tabled[] = {0, 1, 2, 4, 5, 6, 9, 10, 11, 12};
        const bool built = std::count(std::begin(tabled), std::end(tabled), kind) != 0,
                   inheritable = kind % 2 != 0;
        DWORD masks[7] = {};
        EXPECT_EQ(built, KvCommon::AccessControl::GetAccessMasks(kind, masks));
        SecurityAttributes attributes(kind, inheritable);
        EXPECT_EQ(built, attributes.IsBuilt());
        SECURITY_ATTRIBUTES* sa = attributes.Get();
        if (kind == 18)
        {
            EXPECT_EQ(nullptr, sa); // "none": the creator passes no attributes at all
            continue;
        }
        ASSERT_NE(nullptr, sa);
        EXPECT_EQ(inheritable ? TRUE : FALSE, sa->bInheritHandle);
        EXPECT_EQ(built, sa->lpSecurityDescriptor != nullptr);
        if (built)
            Checks::ExpectGroupDacl(sa->lpSecurityDescriptor, kind);
    }
}

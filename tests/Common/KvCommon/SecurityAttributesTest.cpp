#include "Checks.h"

#include <gtest/gtest.h>

#include <set>

using KvCommon::AccessControl::SecurityAttributes;

TEST(SecurityAttributes, TabledKindsBuildTheSevenGroupDaclOthersGiveDefaultSecurity)
{
    const std::set<DWORD> tabled{0, 1, 2, 4, 5, 6, 9, 10, 11, 12};
    for (DWORD kind = 0; kind <= 17; ++kind)
    {
        SCOPED_TRACE(kind);
        DWORD masks[7] = {};
        const bool built = tabled.count(kind) != 0, inheritable = kind % 2 != 0;
        EXPECT_EQ(built, KvCommon::AccessControl::GetAccessMasks(kind, masks));
        SecurityAttributes attributes(kind, inheritable);
        EXPECT_EQ(built, attributes.IsBuilt());
        SECURITY_ATTRIBUTES* sa = attributes.Get();
        ASSERT_NE(nullptr, sa);
        EXPECT_EQ(inheritable ? TRUE : FALSE, sa->bInheritHandle);
        EXPECT_EQ(built, sa->lpSecurityDescriptor != nullptr);
        if (built)
            Checks::ExpectGroupDacl(sa->lpSecurityDescriptor, kind);
    }
}

TEST(SecurityAttributes, RightsOfTheRegistryAndMutexKinds)
{
    DWORD masks[7] = {};
    ASSERT_TRUE(KvCommon::AccessControl::GetAccessMasks(4, masks));
    EXPECT_EQ((std::vector<DWORD>{0x1003F, 0x3F, 0x1003F, 0x20009, 0x20009, 0x20009, 0xF003F}),
              std::vector<DWORD>(masks, masks + 7));
    ASSERT_TRUE(KvCommon::AccessControl::GetAccessMasks(11, masks));
    EXPECT_EQ(std::vector<DWORD>(7, 0x100001),
              std::vector<DWORD>(masks, masks + 7)); // SYNCHRONIZE|QUERY_STATE
}

#include "DaclCheck.h"
#include "KvComn_SecurityAttributes.h"

#include <gtest/gtest.h>

using KvCommon::AccessControl::SecurityAttributes;

TEST(SecurityAttributes, EveryTabledKindBuildsTheSevenGroupDaclInOrder)
{
    for (DWORD kind : {0u, 1u, 2u, 4u, 5u, 6u, 9u, 10u, 11u, 12u})
    {
        SCOPED_TRACE(kind);
        for (bool inheritable : {false, true})
        {
            SecurityAttributes attributes(kind, inheritable);
            ASSERT_TRUE(attributes.IsBuilt());
            SECURITY_ATTRIBUTES* sa = attributes.Get();
            ASSERT_NE(nullptr, sa);
            EXPECT_EQ(24u, sa->nLength);
            EXPECT_EQ(inheritable ? TRUE : FALSE, sa->bInheritHandle);

            PSECURITY_DESCRIPTOR sd = sa->lpSecurityDescriptor;
            ASSERT_NE(nullptr, sd);
            SECURITY_DESCRIPTOR_CONTROL control = 0;
            DWORD revision = 0;
            ASSERT_TRUE(::GetSecurityDescriptorControl(sd, &control, &revision));
            EXPECT_EQ(1u, revision);
            EXPECT_EQ(0, control & SE_SELF_RELATIVE);
            EXPECT_EQ(0, control & SE_DACL_DEFAULTED);
            PSID owner = nullptr;
            BOOL defaulted = FALSE;
            ASSERT_TRUE(::GetSecurityDescriptorOwner(sd, &owner, &defaulted));
            EXPECT_EQ(nullptr, owner);
            DaclCheck::ExpectGroupDacl(sd, kind);
        }
    }
}

TEST(SecurityAttributes, RightsOfTheRegistryAndMutexKinds)
{
    DWORD masks[7] = {};
    ASSERT_TRUE(KvCommon::AccessControl::GetAccessMasks(4, masks));
    const DWORD key[7] = {0x1003F, 0x3F, 0x1003F, 0x20009, 0x20009, 0x20009, 0xF003F};
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(key[i], masks[i]) << i;
    ASSERT_TRUE(KvCommon::AccessControl::GetAccessMasks(11, masks));
    for (DWORD m : masks)
        EXPECT_EQ(0x100001u, m); // SYNCHRONIZE | MUTANT_QUERY_STATE
}

TEST(SecurityAttributes, KindsWithoutATableStayUnbuiltAndGiveDefaultSecurity)
{
    for (DWORD kind : {3u, 7u, 8u, 13u, 17u, 0xFFFFFFFFu})
    {
        SCOPED_TRACE(kind);
        DWORD masks[7] = {};
        EXPECT_FALSE(KvCommon::AccessControl::GetAccessMasks(kind, masks));
        SecurityAttributes attributes(kind, true);
        EXPECT_FALSE(attributes.IsBuilt());
        SECURITY_ATTRIBUTES* sa = attributes.Get();
        ASSERT_NE(nullptr, sa);
        EXPECT_EQ(nullptr, sa->lpSecurityDescriptor);
    }

    SecurityAttributes none;
    EXPECT_EQ(18u, none.GetKind());
    EXPECT_EQ(nullptr, none.Get());

    // A creator still succeeds with unbuilt attributes.
    SecurityAttributes unbuilt(3, false);
    HANDLE h = ::CreateMutexW(unbuilt.Get(), FALSE, nullptr);
    ASSERT_NE(nullptr, h);
    ::CloseHandle(h);
}

TEST(SecurityAttributes, TestProcessIsNotLocalSystem)
{
    bool member = true;
    ASSERT_TRUE(KvCommon::AccessControl::IsLocalSystem(member));
    EXPECT_FALSE(member);
}

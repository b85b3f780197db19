#pragma once
// Shared checks: the code of a raised exception pointer, and a DACL against the seven-group rights of a kind.
#include "KvComn_Handle.h"
#include "KvComn_SecurityAttributes.h"
#include "KvComn_StorageException.h"

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <map>
#include <memory>
#include <sddl.h>
#include <string>
#include <vector>

namespace Checks
{
template <class E = KvCommon::Storage::Exception> DWORD RaisedCode(const std::function<void()>& call)
{
    try
    {
        call();
        return 0xFFFFFFFF;
    }
    catch (E* e)
    {
        return std::unique_ptr<E>(e)->GetCode();
    }
}

// The rights each kind grants, written out here rather than taken from the code under test, to the groups
// in ACE order: Administrators, Power Users, LocalSystem, Authenticated Users, Users, Interactive, Creator
// Owner. Kinds missing from the table build nothing.
inline const DWORD* FindRights(DWORD kind)
{
    static const std::map<DWORD, std::array<DWORD, 7>> rights = {
        {0, {0x13013F, 0x12002F, 0x13013F, 0x120029, 0x120029, 0x120029, 0x1F01FF}},
        {1, {0x1100C7, 0x100087, 0x1100C7, 0x100081, 0x100081, 0x100081, 0x1F01FF}},
        {2, {0x101F7, 0x18D, 0x1F5, 0x185, 0x185, 0x185, 0xF01FF}},
        {4, {0x1003F, 0x3F, 0x1003F, 0x20009, 0x20009, 0x20009, 0xF003F}},
        {5, {0x100FFB, 0x100E92, 0x100FFB, 0x100410, 0x100410, 0x100410, 0x1F0FFF}},
        {6, {0x1000FB, 0x10006A, 0x1000FB, 0x100048, 0x100048, 0x100048, 0x1F03FB}},
        {9, {0x100002, 0x100002, 0x100002, 0x100002, 0x100002, 0x100002, 0x100002}},
        {10, {0x1F0003, 0x1F0003, 0x1F0003, 0x1F0003, 0x1F0003, 0x1F0003, 0x1F0003}},
        {11, {0x100001, 0x100001, 0x100001, 0x100001, 0x100001, 0x100001, 0x100001}}, // SYNCHRONIZE|query
        {12, {0x1F0001, 0x1F0001, 0x1F0001, 0x1F0001, 0x1F0001, 0x1F0001, 0x1F0001}},
    };
    auto found = rights.find(kind);
    return found == rights.end() ? nullptr : found->second.data();
}

inline void ExpectGroupDacl(PSECURITY_DESCRIPTOR sd, DWORD kind)
{
    static const wchar_t* const groups[7] = {L"S-1-5-32-544", L"S-1-5-32-547", L"S-1-5-18", L"S-1-5-11",
                                             L"S-1-5-32-545", L"S-1-5-4",      L"S-1-3-0"};
    BOOL present = FALSE, defaulted = FALSE;
    PACL dacl = nullptr;
    const DWORD* rights = FindRights(kind);
    ASSERT_NE(nullptr, rights) << kind;
    ASSERT_TRUE(::GetSecurityDescriptorDacl(sd, &present, &dacl, &defaulted) && present && dacl);
    ASSERT_EQ(7u, dacl->AceCount);
    for (DWORD i = 0; i < 7; ++i)
    {
        ACCESS_ALLOWED_ACE* ace = nullptr;
        LPWSTR sid = nullptr;
        ASSERT_TRUE(::GetAce(dacl, i, reinterpret_cast<void**>(&ace)));
        ASSERT_TRUE(::ConvertSidToStringSidW(&ace->SidStart, &sid));
        KvCommon::UniqueLocalMem owner(sid);
        EXPECT_EQ(ACCESS_ALLOWED_ACE_TYPE, ace->Header.AceType) << i;
        EXPECT_EQ(0, ace->Header.AceFlags) << i;
        EXPECT_EQ(rights[i], ace->Mask) << i;
        EXPECT_EQ(std::wstring(groups[i]), sid) << i;
    }
}
} // namespace Checks

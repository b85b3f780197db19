#pragma once
// Shared checks: the code of a raised exception pointer, and a DACL against the seven-group layout of a kind.
#include "KvComn_Handle.h"
#include "KvComn_SecurityAttributes.h"
#include "KvComn_StorageException.h"

#include <gtest/gtest.h>

#include <functional>
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
    }
    catch (E* e)
    {
        return std::unique_ptr<E>(e)->GetCode();
    }
    return 0xFFFFFFFF;
}

// The kinds that build a DACL; the others give default security.
inline bool BuildsDacl(DWORD kind)
{
    return kind <= 12 && kind != 3 && kind != 7 && kind != 8;
}

// Seven allow entries without flags, in this group order, with the kind's masks: Administrators, Power
// Users, LocalSystem, Authenticated Users, Users, Interactive, Creator Owner.
inline void ExpectGroupDacl(PSECURITY_DESCRIPTOR sd, DWORD kind)
{
    static const wchar_t* const groups[7] = {L"S-1-5-32-544", L"S-1-5-32-547", L"S-1-5-18", L"S-1-5-11",
                                             L"S-1-5-32-545", L"S-1-5-4",      L"S-1-3-0"};
    BOOL present = FALSE, defaulted = FALSE;
    PACL dacl = nullptr;
    DWORD masks[7] = {};
    ASSERT_TRUE(KvCommon::AccessControl::GetAccessMasks(kind, masks)) << kind;
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
        EXPECT_EQ(masks[i], ace->Mask) << i;
        EXPECT_EQ(std::wstring(groups[i]), sid) << i;
    }
}

} // namespace Checks

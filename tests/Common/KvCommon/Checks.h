#pragma once
// Shared checks: the code of a raised exception pointer, and a DACL against the seven-group rights of a kind.
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
        return 0xFFFFFFFF;
    }
    catch (E* e)
    {
        return std::unique_ptr<E>(e)->GetCode();
    }
}

// A DACL of the seven groups in ACE order (Administrators, Power Users, LocalSystem, Authenticated Users,
// Users, Interactive, Creator Owner), each allowed what the kind's table grants it.
inline void ExpectGroupDacl(PSECURITY_DESCRIPTOR sd, DWORD kind)
{
    static const wchar_t* const groups[7] = {L"S-1-5-32-544", L"S-1-5-32-547", L"S-1-5-18", L"S-1-5-11",
                                             L"S-1-5-32-545", L"S-1-5-4",      L"S-1-3-0"};
    BOOL present = FALSE, defaulted = FALSE;
    PACL dacl = nullptr;
    DWORD rights[7] = {};
    ASSERT_TRUE(KvCommon::AccessControl::GetAccessMasks(kind, rights)) << kind;
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

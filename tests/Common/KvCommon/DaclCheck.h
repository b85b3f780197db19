#pragma once
// Checks a DACL read back from the system against the seven-group rights of a kind.
#include "KvComn_Handle.h"
#include "KvComn_SecurityAttributes.h"

#include <gtest/gtest.h>

#include <sddl.h>
#include <string>
#include <vector>

namespace DaclCheck
{
inline const wchar_t* const kGroupSids[7] = {L"S-1-5-32-544", L"S-1-5-32-547", L"S-1-5-18", L"S-1-5-11",
                                             L"S-1-5-32-545", L"S-1-5-4",      L"S-1-3-0"};

inline bool RunningOnWine()
{
    HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    return ntdll && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

inline std::wstring SidText(PSID sid)
{
    LPWSTR text = nullptr;
    if (!::ConvertSidToStringSidW(sid, &text))
        return L"?";
    KvCommon::UniqueLocalMem owner(text);
    return text;
}

inline void ExpectGroupDacl(PSECURITY_DESCRIPTOR sd, DWORD kind)
{
    BOOL present = FALSE, defaulted = FALSE;
    PACL dacl = nullptr;
    ASSERT_TRUE(::GetSecurityDescriptorDacl(sd, &present, &dacl, &defaulted));
    ASSERT_TRUE(present);
    ASSERT_NE(nullptr, dacl);
    DWORD masks[7] = {};
    ASSERT_TRUE(KvCommon::AccessControl::GetAccessMasks(kind, masks));
    ASSERT_EQ(7u, dacl->AceCount);
    for (DWORD i = 0; i < 7; ++i)
    {
        ACCESS_ALLOWED_ACE* ace = nullptr;
        ASSERT_TRUE(::GetAce(dacl, i, reinterpret_cast<void**>(&ace)));
        EXPECT_EQ(ACCESS_ALLOWED_ACE_TYPE, ace->Header.AceType) << "ACE " << i;
        EXPECT_EQ(0, ace->Header.AceFlags) << "ACE " << i;
        EXPECT_EQ(masks[i], ace->Mask) << "ACE " << i;
        EXPECT_EQ(kGroupSids[i], SidText(&ace->SidStart)) << "ACE " << i;
    }
}

// A descriptor's bytes from a two-call query (size first, then data).
template <class Query> std::vector<BYTE> ReadDescriptor(Query&& query)
{
    DWORD size = 0;
    query(nullptr, &size);
    std::vector<BYTE> buffer(size ? size : 1);
    if (!query(buffer.data(), &size))
        buffer.clear();
    return buffer;
}
} // namespace DaclCheck

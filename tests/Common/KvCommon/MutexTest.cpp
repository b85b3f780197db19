#include "Checks.h"
#include "KvComn_Mutex.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

using KvCommon::Synchronize::Mutex;

namespace
{
std::wstring UniqueName(const wchar_t* stem)
{
    return std::wstring(L"NQTEST_") + stem + L"_" + std::to_wstring(::GetCurrentProcessId());
}
} // namespace

TEST(Mutex, HeldMutexExistsRefusesASecondCreateOrAnEmptyNameAndGrantsWaitAndQueryToAllSevenGroups)
{
    const std::wstring name = UniqueName(L"HELD");
    EXPECT_FALSE(Mutex::Exists(name));
    {
        Mutex holder;
        ASSERT_TRUE(holder.Create(name));
        EXPECT_TRUE(Mutex::Exists(name));
        Mutex second; // a second purge in the same process gives up too
        EXPECT_FALSE(second.Create(name));
        EXPECT_EQ(nullptr, second.GetHandle());
        DWORD size = 4096;
        std::vector<BYTE> sd(size);
        ASSERT_TRUE(
            ::GetKernelObjectSecurity(holder.GetHandle(), DACL_SECURITY_INFORMATION, sd.data(), size, &size));
        Checks::ExpectGroupDacl(sd.data(), KvCommon::AccessControl::KindMutexWaitQuery);
        DWORD masks[7] = {};
        ASSERT_TRUE(
            KvCommon::AccessControl::GetAccessMasks(KvCommon::AccessControl::KindMutexWaitQuery, masks));
        EXPECT_EQ(std::vector<DWORD>(7, SYNCHRONIZE | MUTANT_QUERY_STATE),
                  std::vector<DWORD>(masks, masks + 7));
        // Created again under another name, it lets the first one go.
        ASSERT_TRUE(holder.Create(name + L"_2"));
        EXPECT_FALSE(Mutex::Exists(name));
        EXPECT_TRUE(Mutex::Exists(name + L"_2"));
    }
    EXPECT_FALSE(Mutex::Exists(name + L"_2"));
    std::wstring out;
    EXPECT_FALSE(Mutex::MakeName(out, L"") || Mutex().Create(L""));
}

TEST(Mutex, CreateFailsOnNameAnotherProcessCreatedAndDropsItsHandle)
{
    const std::wstring name = UniqueName(L"OTHER");
    std::wstring local;
    ASSERT_TRUE(Mutex::MakeName(local, name));
    TestSupport::MutexHolderProcess other(local);
    ASSERT_TRUE(other.Holding());

    Mutex mine;
    EXPECT_FALSE(mine.Create(name));
    EXPECT_EQ(nullptr, mine.GetHandle());
    other.End();
    // Had Create kept its handle, the mutex would outlive the other process.
    EXPECT_FALSE(Mutex::Exists(name));
}

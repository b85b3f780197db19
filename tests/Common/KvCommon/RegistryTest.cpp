#include "KvComn_Reg.h"
#include "KvComn_Registry.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

using KvCommon::Storage::Registry;

namespace
{
const wchar_t* const kScratch = L"Software\\NorquillTest\\KvCommon";

class RegistryTest : public ::testing::Test
{
protected:
    TestSupport::RegistryKeyGuard m_guard{HKEY_LOCAL_MACHINE, kScratch};
};
} // namespace

TEST_F(RegistryTest, StoreCreatesMissingParentsAndReadsBack)
{
    DWORD error = 99;
    ASSERT_TRUE(KvCommon::Storage::Reg::StoreValue(HKEY_LOCAL_MACHINE, std::wstring(kScratch) + L"\\A\\B",
                                                   L"Days", DWORD(30), 0, &error));
    EXPECT_EQ(0u, error);
    EXPECT_EQ(30u, KvCommon::Storage::Reg::QueryValue(HKEY_LOCAL_MACHINE, std::wstring(kScratch) + L"\\A\\B",
                                                      L"Days", DWORD(7)));
}

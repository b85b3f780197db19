#include "EventLogProvider.h"

#include "KvComn_Clock.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

using TestSupport::FileExists;

namespace
{
void WINAPI March15At1020(LPSYSTEMTIME now)
{
    *now = SYSTEMTIME{2008, 3, 6, 15, 10, 20, 0, 0};
}

class ProviderActionsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(CreateDirectoryW(logs.c_str(), nullptr));
        for (const wchar_t* name :
             {L"20080214.VLG", L"20080215.VLG", L"05032008_bsq.log", L"06032008_bsq.log"})
            ASSERT_TRUE(TestSupport::WriteFileBytes(logs + name, "x", 1));
        KvCommon::Clock::SetSource(March15At1020);
    }
    void TearDown() override { KvCommon::Clock::SetSource(nullptr); }
    void SetDword(const wchar_t* name, DWORD value)
    {
        ASSERT_TRUE(TestSupport::SetRegDword(HKEY_LOCAL_MACHINE, TestSupport::kEventLogKey, name, value));
    }

    TestSupport::EventLogSandbox sandbox;
    TestSupport::RegistryKeyGuard sessionKey{HKEY_LOCAL_MACHINE, TestSupport::kInteractiveTraceKey};
    const std::wstring logs = sandbox.LogFolder();
    CEventLogProvider provider{nullptr};
};
} // namespace

TEST_F(ProviderActionsTest, PurgesCutOffTheirConfiguredAgeBeforeNow)
{
    SetDword(L"EventLogPurgeFre", 30);
    SetDword(L"DebugLogPurgeFre", 10);

    EXPECT_EQ(provider.DoEventLogPurge(), SrvFrwk::RESULT_SUCCESS);
    EXPECT_FALSE(FileExists(logs + L"20080214.VLG"));
    EXPECT_TRUE(FileExists(logs + L"20080215.VLG"));

    EXPECT_EQ(provider.DoDebugLogPurge(), SrvFrwk::RESULT_SUCCESS);
    EXPECT_FALSE(FileExists(logs + L"05032008_bsq.log"));
    EXPECT_TRUE(FileExists(logs + L"06032008_bsq.log"));
}

TEST_F(ProviderActionsTest, EventLogPurgeDoesNothingWhenSwitchedOffOrReachingBefore1601)
{
    SetDword(L"EventLogPurgeFlag", 0);
    EXPECT_EQ(provider.DoEventLogPurge(), SrvFrwk::RESULT_SUCCESS);
    SetDword(L"EventLogPurgeFlag", 1);
    SetDword(L"EventLogPurgeFre", 0xFFFFFFFF);
    EXPECT_EQ(provider.DoEventLogPurge(), SrvFrwk::RESULT_SUCCESS);

    EXPECT_TRUE(FileExists(logs + L"20080214.VLG"));
}

TEST_F(ProviderActionsTest, StartupFolderFallsBackFromCommonStartupToStartup)
{
    const wchar_t* key = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
    TestSupport::RegistryKeyGuard shellFolders(HKEY_LOCAL_MACHINE, key, false);
    RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, key, L"Common Startup");
    ASSERT_TRUE(TestSupport::SetRegString(HKEY_LOCAL_MACHINE, key, L"Startup", L"C:\\Startup Here"));

    std::wstring path;
    EXPECT_TRUE(CEventLogProvider::GetAllUsersStartupFromRegistry(path));
    EXPECT_EQ(path, L"C:\\Startup Here");

    RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, key, L"Startup");
    EXPECT_FALSE(CEventLogProvider::GetAllUsersStartupFromRegistry(path));
}

#include "EventLogProvider.h"

#include "KvComn_Clock.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

using TestSupport::FileExists;

namespace
{
const wchar_t* const kShellFoldersKey =
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

void WINAPI March15At1020(LPSYSTEMTIME now)
{
    *now = SYSTEMTIME{2008, 3, 6, 15, 10, 20, 0, 0};
}

void Touch(const std::wstring& path)
{
    ASSERT_TRUE(TestSupport::WriteFileBytes(path, "x", 1)) << "cannot create test file";
}

class ProviderActionsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(CreateDirectoryW(sandbox.LogFolder().c_str(), nullptr));
        KvCommon::Clock::SetSource(March15At1020);
    }
    void TearDown() override { KvCommon::Clock::SetSource(nullptr); }
    std::wstring Log(const std::wstring& name) const { return sandbox.LogFolder() + name; }
    void SetDword(const wchar_t* name, DWORD value)
    {
        ASSERT_TRUE(TestSupport::SetRegDword(HKEY_LOCAL_MACHINE, TestSupport::kEventLogKey, name, value));
    }

    TestSupport::EventLogSandbox sandbox;
    TestSupport::RegistryKeyGuard sessionKey{HKEY_LOCAL_MACHINE, TestSupport::kInteractiveTraceKey};
    CEventLogProvider provider{nullptr};
};
} // namespace

TEST_F(ProviderActionsTest, EventLogPurgeCutsOffTheConfiguredAge)
{
    SetDword(L"EventLogPurgeFre", 30);
    for (const wchar_t* name : {L"20080214.VLG", L"20080214.scg", L"20080215.VLG"})
        Touch(Log(name));

    EXPECT_EQ(provider.DoEventLogPurge(), SrvFrwk::RESULT_SUCCESS);

    EXPECT_FALSE(FileExists(Log(L"20080214.VLG")));
    EXPECT_FALSE(FileExists(Log(L"20080214.scg")));
    EXPECT_TRUE(FileExists(Log(L"20080215.VLG")));
}

TEST_F(ProviderActionsTest, EventLogPurgeDoesNothingWhenSwitchedOffOrAgeReachesBefore1601)
{
    Touch(Log(L"16010101.VLG"));
    Touch(Log(L"20000101.VLG"));
    SetDword(L"EventLogPurgeFlag", 0);
    EXPECT_EQ(provider.DoEventLogPurge(), SrvFrwk::RESULT_SUCCESS);
    EXPECT_TRUE(FileExists(Log(L"20000101.VLG")));

    SetDword(L"EventLogPurgeFlag", 1);
    SetDword(L"EventLogPurgeFre", 0xFFFFFFFF);
    EXPECT_EQ(provider.DoEventLogPurge(), SrvFrwk::RESULT_SUCCESS);
    EXPECT_TRUE(FileExists(Log(L"16010101.VLG")));
    EXPECT_TRUE(FileExists(Log(L"20000101.VLG")));
}

TEST_F(ProviderActionsTest, DebugLogPurgeUsesItsOwnAge)
{
    SetDword(L"EventLogPurgeFre", 1);
    SetDword(L"DebugLogPurgeFre", 10);
    Touch(Log(L"05032008_Norquill.log"));
    Touch(Log(L"06032008_Norquill.log"));

    EXPECT_EQ(provider.DoDebugLogPurge(), SrvFrwk::RESULT_SUCCESS);

    EXPECT_FALSE(FileExists(Log(L"05032008_Norquill.log")));
    EXPECT_TRUE(FileExists(Log(L"06032008_Norquill.log")));
}

TEST_F(ProviderActionsTest, DeleteOfOneTypeUsesTheGivenDay)
{
    Touch(Log(L"20080301.ULG"));
    Touch(Log(L"20080301.VLG"));
    SrvFrwk::EventLog::LogDeleteParam param{{2008, 3, 0, 1, 0, 0, 0, 0}, SrvFrwk::EventLog::LOG_URL_FILTER};

    EXPECT_EQ(provider.DoDelete(&param, 0, 0, 0), SrvFrwk::RESULT_SUCCESS);
    EXPECT_FALSE(FileExists(Log(L"20080301.ULG")));
    EXPECT_TRUE(FileExists(Log(L"20080301.VLG")));

    param.dwTargetLogType = 12;
    EXPECT_EQ(provider.DoDelete(&param, 0, 0, 0), SrvFrwk::RESULT_FAILED);
    EXPECT_EQ(provider.DoDelete(nullptr, 0, 0, 0), SrvFrwk::RESULT_INVALID_ARG);
}

TEST_F(ProviderActionsTest, StartupFolderFallsBackFromCommonStartupToStartup)
{
    TestSupport::RegistryKeyGuard shellFolders(HKEY_LOCAL_MACHINE, kShellFoldersKey, false);
    RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kShellFoldersKey, L"Common Startup");
    ASSERT_TRUE(
        TestSupport::SetRegString(HKEY_LOCAL_MACHINE, kShellFoldersKey, L"Startup", L"C:\\Startup Here"));

    std::wstring path;
    EXPECT_TRUE(CEventLogProvider::GetAllUsersStartupFromRegistry(path));
    EXPECT_EQ(path, L"C:\\Startup Here");

    ASSERT_TRUE(
        TestSupport::SetRegString(HKEY_LOCAL_MACHINE, kShellFoldersKey, L"Common Startup", L"C:\\Common"));
    EXPECT_TRUE(CEventLogProvider::GetAllUsersStartupFromRegistry(path));
    EXPECT_EQ(path, L"C:\\Common");

    RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kShellFoldersKey, L"Common Startup");
    RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kShellFoldersKey, L"Startup");
    EXPECT_FALSE(CEventLogProvider::GetAllUsersStartupFromRegistry(path));
}

TEST_F(ProviderActionsTest, SpecialFolderNamesTheAllUsersStartup)
{
    std::wstring path;
    ASSERT_TRUE(CEventLogProvider::GetSpecialFolder(24, path));
    ASSERT_GE(path.size(), 8u);
    EXPECT_EQ(_wcsicmp(path.c_str() + path.size() - 8, L"\\StartUp"), 0)
        << std::string(path.begin(), path.end());
}

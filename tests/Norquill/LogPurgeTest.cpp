#include "LogPurge.h"

#include "KvComn_Handle.h"
#include "KvComn_Mutex.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <initializer_list>

using TestSupport::FileExists;

namespace
{
void Touch(const std::wstring& folder, std::initializer_list<const wchar_t*> names)
{
    for (const wchar_t* name : names)
        ASSERT_TRUE(TestSupport::WriteFileBytes(folder + name, "x", 1)) << "cannot create test file";
}

class LogPurgeTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(CreateDirectoryW(logs.c_str(), nullptr)); }
    bool Exists(const wchar_t* name) const { return FileExists(logs + name); }

    TestSupport::EventLogSandbox sandbox;
    // No "LogFolder" for debug logs unless a test sets one.
    TestSupport::RegistryKeyGuard sessionKey{HKEY_LOCAL_MACHINE, TestSupport::kInteractiveTraceKey};
    const std::wstring logs = sandbox.LogFolder();
    CLogPurge purge;
    const SYSTEMTIME cutOff = {2026, 3, 0, 4, 0, 0, 0, 0};
};
} // namespace

TEST_F(LogPurgeTest, CutOffDayIsPurgedAndOnlyLengthAndExtensionMakeALogName)
{
    EXPECT_TRUE(purge.PurgeEventLogs(100, &cutOff)); // an empty folder
    EXPECT_TRUE(purge.PurgeDebugLogs(&cutOff));
    Touch(logs, {L"20260303.VLG", L"20260304.vlg", L"20260305.VLG", L"20260101.upg", L"20260101.Pfg",
                 L"20260101.ULG", L"20260101.asg", L"20260101.vAG", L"20260101XHCG"});
    // Letters sort after digits; 13 and 11 characters are no log names; other extensions stay.
    Touch(logs, {L"ABCDEFGH.VLG", L"20260101.VLGX", L"2026011.VLG", L"20260101.TXT"});
    ASSERT_TRUE(CreateDirectoryW((logs + L"20260102.VLG").c_str(), nullptr));
    ASSERT_TRUE(SetFileAttributesW((logs + L"20260303.VLG").c_str(), FILE_ATTRIBUTE_READONLY));
    for (DWORD type : {12u, 99u, 101u})
        EXPECT_FALSE(purge.PurgeEventLogs(type, &cutOff)) << type;

    EXPECT_TRUE(purge.PurgeEventLogs(1, &cutOff));
    EXPECT_FALSE(Exists(L"20260303.VLG"));
    EXPECT_FALSE(Exists(L"20260304.vlg"));
    EXPECT_TRUE(Exists(L"20260305.VLG"));
    EXPECT_TRUE(Exists(L"20260101.ULG"));

    {
        // One file held open fails the purge, the others still go.
        KvCommon::UniqueFileHandle open(CreateFileW((logs + L"20260101.ULG").c_str(), GENERIC_READ,
                                                    FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(open.valid());
        EXPECT_FALSE(purge.PurgeEventLogs(100, &cutOff));
        EXPECT_EQ(TestSupport::ListFiles(logs).size(), 6u);
    }
    EXPECT_TRUE(purge.PurgeEventLogs(100, &cutOff));
    EXPECT_EQ(TestSupport::ListFiles(logs).size(), 5u);
    for (const wchar_t* kept :
         {L"20260305.VLG", L"ABCDEFGH.VLG", L"20260101.VLGX", L"2026011.VLG", L"20260101.TXT"})
        EXPECT_TRUE(Exists(kept)) << kept;
}

TEST_F(LogPurgeTest, DebugPurgeTakesDayFirstLogNamesInBothFolders)
{
    TestSupport::TempFolder session;
    const wchar_t* traceKey = TestSupport::kInteractiveTraceKey;
    ASSERT_TRUE(TestSupport::SetRegString(HKEY_LOCAL_MACHINE, traceKey, L"LogFolder",
                                          session.Path().substr(0, session.Path().size() - 1))); // no "\"
    Touch(session.Path(), {L"03032026_bsqNorquill.log", L"05032026_bsqNorquill.log"});
    Touch(logs, {L"04032026_trace.log", L"01012026_Norquill.LOG", L"05032026_trace.log", L"0403202_.log",
                 L"04032026_trace.txt", L"0403.log", L"20260101.VLG"});

    EXPECT_TRUE(purge.PurgeDebugLogs(&cutOff));
    EXPECT_FALSE(Exists(L"04032026_trace.log"));
    EXPECT_FALSE(Exists(L"01012026_Norquill.LOG"));
    EXPECT_EQ(TestSupport::ListFiles(logs).size(), 5u);
    EXPECT_FALSE(FileExists(session.Path() + L"03032026_bsqNorquill.log"));
    EXPECT_TRUE(FileExists(session.Path() + L"05032026_bsqNorquill.log"));

    // An empty session folder is no folder: the current one (the host's) is left alone.
    ASSERT_TRUE(TestSupport::SetRegString(HKEY_LOCAL_MACHINE, traceKey, L"LogFolder", L""));
    wchar_t saved[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, saved);
    ASSERT_TRUE(SetCurrentDirectoryW(session.Path().c_str()));
    Touch(session.Path(), {L"01012000_host.log"});
    const bool result = purge.PurgeDebugLogs(&cutOff);
    SetCurrentDirectoryW(saved);
    EXPECT_TRUE(result);
    EXPECT_TRUE(FileExists(session.Path() + L"01012000_host.log"));
}

TEST_F(LogPurgeTest, PurgeOfAKindGivesWayToOneInAnotherProcess)
{
    Touch(logs, {L"20000101.VLG", L"20000101.ULG", L"01012000_trace.log"});
    {
        TestSupport::MutexHolderProcess holder(L"Local\\BRQ16_LOGPURGE_MUTEX");
        ASSERT_TRUE(holder.Holding());
        EXPECT_FALSE(purge.PurgeEventLogs(100, &cutOff));
        EXPECT_TRUE(Exists(L"20000101.VLG"));
        // A delete of one type takes no mutex; the debug-log purge has its own.
        EXPECT_TRUE(purge.PurgeEventLogs(1, &cutOff));
        EXPECT_FALSE(Exists(L"20000101.VLG"));
        EXPECT_TRUE(Exists(L"20000101.ULG"));
    }
    {
        TestSupport::MutexHolderProcess holder(L"Local\\BRQ16_DEBUGLOGPURGE_MUTEX");
        ASSERT_TRUE(holder.Holding());
        EXPECT_FALSE(purge.PurgeDebugLogs(&cutOff));
        EXPECT_TRUE(Exists(L"01012000_trace.log"));
        EXPECT_TRUE(purge.PurgeEventLogs(100, &cutOff));
        EXPECT_FALSE(Exists(L"20000101.ULG"));
    }
    // Each purge lets its own mutex go when it returns.
    EXPECT_TRUE(purge.PurgeDebugLogs(&cutOff));
    EXPECT_FALSE(Exists(L"01012000_trace.log"));
    EXPECT_FALSE(KvCommon::Synchronize::Mutex::Exists(L"BRQ16_LOGPURGE_MUTEX"));
    EXPECT_FALSE(KvCommon::Synchronize::Mutex::Exists(L"BRQ16_DEBUGLOGPURGE_MUTEX"));
}

#include "LogPurge.h"

#include "KvComn_Handle.h"
#include "KvComn_KvDbg.h"
#include "KvComn_Mutex.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

using TestSupport::FileExists;

namespace
{
SYSTEMTIME Day(WORD year, WORD month, WORD day)
{
    SYSTEMTIME t{};
    t.wYear = year;
    t.wMonth = month;
    t.wDay = day;
    return t;
}

void Touch(const std::wstring& path)
{
    ASSERT_TRUE(TestSupport::WriteFileBytes(path, "x", 1)) << "cannot create test file";
}

// Another process holding a purge mutex, as a second purge elsewhere in the session would.
class MutexHolder
{
public:
    explicit MutexHolder(const std::wstring& mutexName)
    {
        const std::wstring suffix =
            std::to_wstring(GetCurrentProcessId()) + L"_" + std::to_wstring(GetTickCount());
        const std::wstring readyName = L"nq_purge_ready_" + suffix, quitName = L"nq_purge_quit_" + suffix;
        m_ready.reset(CreateEventW(nullptr, TRUE, FALSE, readyName.c_str()));
        m_quit.reset(CreateEventW(nullptr, TRUE, FALSE, quitName.c_str()));
        std::wstring cmd = L"\"" + TestSupport::BinFolder() + L"purge_mutex_holder.exe\" " + mutexName +
                           L" " + readyName + L" " + quitName;
        STARTUPINFOW si{};
        si.cb = sizeof(si);
        PROCESS_INFORMATION pi{};
        if (!CreateProcessW(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
            return;
        CloseHandle(pi.hThread);
        m_process.reset(pi.hProcess);
        HANDLE waits[] = {m_ready.get(), m_process.get()};
        m_holding = WaitForMultipleObjects(2, waits, FALSE, 30000) == WAIT_OBJECT_0;
    }
    ~MutexHolder()
    {
        SetEvent(m_quit.get());
        if (m_process)
            WaitForSingleObject(m_process.get(), 30000);
    }
    bool Holding() const { return m_holding; }

private:
    KvCommon::UniqueHandle m_ready, m_quit, m_process;
    bool m_holding = false;
};

class LogPurgeTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(CreateDirectoryW(sandbox.LogFolder().c_str(), nullptr)); }
    std::wstring Log(const std::wstring& name) const { return sandbox.LogFolder() + name; }

    TestSupport::EventLogSandbox sandbox;
    // No "LogFolder" unless a test sets one.
    TestSupport::RegistryKeyGuard sessionKey{HKEY_LOCAL_MACHINE, TestSupport::kInteractiveTraceKey};
    CLogPurge purge;
    const SYSTEMTIME cutOff = Day(2026, 3, 4);
};
} // namespace

TEST_F(LogPurgeTest, CutOffDayIsPurgedAndLaterDaysAndOtherTypesKept)
{
    for (const wchar_t* name : {L"20260303.VLG", L"20260304.VLG", L"20260305.VLG", L"20260101.ULG"})
        Touch(Log(name));

    EXPECT_TRUE(purge.PurgeEventLogs(1, &cutOff));

    EXPECT_FALSE(FileExists(Log(L"20260303.VLG")));
    EXPECT_FALSE(FileExists(Log(L"20260304.VLG")));
    EXPECT_TRUE(FileExists(Log(L"20260305.VLG")));
    EXPECT_TRUE(FileExists(Log(L"20260101.ULG")));
}

TEST_F(LogPurgeTest, AllTypesTakeEveryExtensionInAnyLetterCase)
{
    const wchar_t* names[] = {L"20260101.VLG", L"20260101.upg", L"20260101.Pfg", L"20260101.ULG",
                              L"20260101.asg", L"20260101.PPG", L"20260101.PTG", L"20260101.vAG",
                              L"20260101.SPG", L"20260101.HLG", L"20260101.SCG", L"20260101.hcg"};
    for (const wchar_t* name : names)
        Touch(Log(name));
    Touch(Log(L"20260101.TXT"));

    EXPECT_TRUE(purge.PurgeEventLogs(100, &cutOff));

    for (const wchar_t* name : names)
        EXPECT_FALSE(FileExists(Log(name))) << name;
    EXPECT_TRUE(FileExists(Log(L"20260101.TXT")));
}

TEST_F(LogPurgeTest, OnlyLengthAndExtensionDecideWhatIsALogFile)
{
    Touch(Log(L"20260101XVLG"));  // no dot, still a virus log of 1 January
    Touch(Log(L"ABCDEFGH.VLG"));  // letters sort after any digit
    Touch(Log(L"20260101.VLGX")); // 13 characters
    Touch(Log(L"2026011.VLG"));   // 11 characters
    ASSERT_TRUE(CreateDirectoryW(Log(L"20260102.VLG").c_str(), nullptr));

    EXPECT_TRUE(purge.PurgeEventLogs(1, &cutOff));

    EXPECT_FALSE(FileExists(Log(L"20260101XVLG")));
    EXPECT_TRUE(FileExists(Log(L"ABCDEFGH.VLG")));
    EXPECT_TRUE(FileExists(Log(L"20260101.VLGX")));
    EXPECT_TRUE(FileExists(Log(L"2026011.VLG")));
    EXPECT_NE(GetFileAttributesW(Log(L"20260102.VLG").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(LogPurgeTest, ReadOnlyLogIsDeleted)
{
    Touch(Log(L"20260101.VLG"));
    ASSERT_TRUE(SetFileAttributesW(Log(L"20260101.VLG").c_str(), FILE_ATTRIBUTE_READONLY));

    EXPECT_TRUE(purge.PurgeEventLogs(100, &cutOff));
    EXPECT_FALSE(FileExists(Log(L"20260101.VLG")));
}

TEST_F(LogPurgeTest, FileThatCannotBeDeletedFailsThePurgeButOthersStillGo)
{
    Touch(Log(L"20260101.VLG"));
    Touch(Log(L"20260102.VLG"));
    KvCommon::UniqueFileHandle open(CreateFileW(Log(L"20260101.VLG").c_str(), GENERIC_READ, FILE_SHARE_READ,
                                                nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(open.valid());

    EXPECT_FALSE(purge.PurgeEventLogs(1, &cutOff));
    EXPECT_TRUE(FileExists(Log(L"20260101.VLG")));
    EXPECT_FALSE(FileExists(Log(L"20260102.VLG")));
}

TEST_F(LogPurgeTest, EmptyOrMissingLogFolderGivesTrue)
{
    EXPECT_TRUE(purge.PurgeEventLogs(100, &cutOff));
    ASSERT_TRUE(RemoveDirectoryW(sandbox.LogFolder().c_str()));
    EXPECT_TRUE(purge.PurgeEventLogs(100, &cutOff));
    EXPECT_TRUE(purge.PurgeDebugLogs(&cutOff));
}

TEST_F(LogPurgeTest, UnknownTypeFailsWithoutDeleting)
{
    Touch(Log(L"20260101.VLG"));
    for (DWORD type : {12u, 99u, 101u, 0xFFFFFFFFu})
        EXPECT_FALSE(purge.PurgeEventLogs(type, &cutOff)) << type;
    EXPECT_TRUE(FileExists(Log(L"20260101.VLG")));
}

TEST_F(LogPurgeTest, ExtensionListFollowsTheTypeTable)
{
    std::vector<std::wstring> list{L"stale"};
    ASSERT_TRUE(purge.GetExtensionStringList(list, 100));
    EXPECT_EQ(list, (std::vector<std::wstring>{L"VLG", L"UPG", L"PFG", L"ULG", L"ASG", L"PPG", L"PTG", L"VAG",
                                               L"SPG", L"HLG", L"SCG", L"HCG"}));
    ASSERT_TRUE(purge.GetExtensionStringList(list, 0));
    EXPECT_EQ(list, std::vector<std::wstring>{L"UPG"});
    ASSERT_TRUE(purge.GetExtensionStringList(list, 11));
    EXPECT_EQ(list, std::vector<std::wstring>{L"SCG"});
    EXPECT_FALSE(purge.GetExtensionStringList(list, 12));
    EXPECT_TRUE(list.empty());
}

TEST_F(LogPurgeTest, DebugLogNamesAreReadDayFirst)
{
    EXPECT_TRUE(purge.IsOlderOrEqualDebugLog(L"04032026_trace.log", cutOff));
    EXPECT_TRUE(purge.IsOlderOrEqualDebugLog(L"31122025_trace.log", cutOff));
    EXPECT_FALSE(purge.IsOlderOrEqualDebugLog(L"05032026_trace.log", cutOff));
    EXPECT_FALSE(purge.IsOlderOrEqualDebugLog(L"01012027_trace.log", cutOff));
    EXPECT_TRUE(purge.IsOlderOrEqualEventLog(L"20260304.VLG", cutOff));
    EXPECT_FALSE(purge.IsOlderOrEqualEventLog(L"20260305.VLG", cutOff));
}

TEST_F(LogPurgeTest, DebugPurgeTakesOnlyDatedLogNames)
{
    for (const wchar_t* name : {L"04032026_trace.log", L"01012026_Norquill.LOG", L"05032026_trace.log",
                                L"0403202_.log", L"04032026_trace.txt", L"0403.log", L"20260101.VLG"})
        Touch(Log(name));

    EXPECT_TRUE(purge.PurgeDebugLogs(&cutOff));

    EXPECT_FALSE(FileExists(Log(L"04032026_trace.log")));
    EXPECT_FALSE(FileExists(Log(L"01012026_Norquill.LOG")));
    for (const wchar_t* kept :
         {L"05032026_trace.log", L"0403202_.log", L"04032026_trace.txt", L"0403.log", L"20260101.VLG"})
        EXPECT_TRUE(FileExists(Log(kept))) << kept;
}

TEST_F(LogPurgeTest, DebugPurgeAlsoCleansTheSessionLogFolder)
{
    TestSupport::TempFolder session;
    std::wstring value = session.Path();
    value.pop_back(); // a folder written without its final backslash still works
    ASSERT_TRUE(TestSupport::SetRegString(HKEY_LOCAL_MACHINE, TestSupport::kInteractiveTraceKey, L"LogFolder",
                                          value));
    Touch(Log(L"01032026_Norquill.log"));
    Touch(session.Path() + L"02032026_Norquill.Log");
    Touch(session.Path() + L"05032026_Norquill.log");

    EXPECT_TRUE(purge.PurgeDebugLogs(&cutOff));

    EXPECT_FALSE(FileExists(Log(L"01032026_Norquill.log")));
    EXPECT_FALSE(FileExists(session.Path() + L"02032026_Norquill.Log"));
    EXPECT_TRUE(FileExists(session.Path() + L"05032026_Norquill.log"));
}

TEST_F(LogPurgeTest, DebugPurgeDeletesWhatTheTraceLibraryWrote)
{
    TestSupport::TempFolder session;
    ASSERT_TRUE(TestSupport::SetRegString(HKEY_LOCAL_MACHINE, TestSupport::kInteractiveTraceKey, L"LogFolder",
                                          session.Path()));
    {
        KvCommon::UniqueModule library(LoadLibraryW((TestSupport::BinFolder() + L"KvDbg64.dll").c_str()));
        ASSERT_TRUE(library.valid());
        auto initialize = reinterpret_cast<KvCommon::PFN_KvDbgInitialize>(
            reinterpret_cast<void*>(GetProcAddress(library.get(), "KvDbgInitialize")));
        auto trace = reinterpret_cast<KvCommon::PFN_KvDbgTrace>(
            reinterpret_cast<void*>(GetProcAddress(library.get(), "KvDbgTrace")));
        auto uninitialize = reinterpret_cast<KvCommon::PFN_KvDbgUninitialize>(
            reinterpret_cast<void*>(GetProcAddress(library.get(), "KvDbgUninitialize")));
        ASSERT_TRUE(initialize && trace && uninitialize);
        KvCommon::KvDbgSettings settings{};
        wcscpy_s(settings.szModule, L"Norquill");
        wcscpy_s(settings.szLogFolder, session.Path().c_str());
        wcscpy_s(settings.szLogPrefix, L"bsq");
        wcscpy_s(settings.szLogExtension, L"log");
        void* handle = nullptr;
        ASSERT_EQ(initialize(&handle, &settings), 0);
        const SYSTEMTIME before = Day(2026, 3, 3), after = Day(2026, 3, 5);
        EXPECT_EQ(trace(handle, &before, L"old line\r\n"), 0);
        EXPECT_EQ(trace(handle, &after, L"new line\r\n"), 0);
        EXPECT_EQ(uninitialize(handle), 0);
    }
    ASSERT_TRUE(FileExists(session.Path() + L"03032026_bsqNorquill.log"));
    ASSERT_TRUE(FileExists(session.Path() + L"05032026_bsqNorquill.log"));

    EXPECT_TRUE(purge.PurgeDebugLogs(&cutOff));

    EXPECT_FALSE(FileExists(session.Path() + L"03032026_bsqNorquill.log"));
    EXPECT_TRUE(FileExists(session.Path() + L"05032026_bsqNorquill.log"));
}

TEST_F(LogPurgeTest, DebugPurgeWithoutSessionFolderLeavesTheCurrentFolderAlone)
{
    TestSupport::TempFolder current;
    wchar_t saved[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, saved);
    ASSERT_TRUE(SetCurrentDirectoryW(current.Path().c_str()));
    Touch(current.Path() + L"01012000_host.log");
    ASSERT_TRUE(
        TestSupport::SetRegString(HKEY_LOCAL_MACHINE, TestSupport::kInteractiveTraceKey, L"LogFolder", L""));

    const bool result = purge.PurgeDebugLogs(&cutOff);
    SetCurrentDirectoryW(saved);

    EXPECT_TRUE(result);
    EXPECT_TRUE(FileExists(current.Path() + L"01012000_host.log"));
}

TEST_F(LogPurgeTest, PurgeLeavesNoMutexBehind)
{
    EXPECT_TRUE(purge.PurgeEventLogs(100, &cutOff));
    EXPECT_TRUE(purge.PurgeEventLogs(100, &cutOff));
    EXPECT_TRUE(purge.PurgeDebugLogs(&cutOff));
    EXPECT_TRUE(purge.PurgeDebugLogs(&cutOff));
    EXPECT_FALSE(KvCommon::Synchronize::Mutex::Exists(L"BRQ16_LOGPURGE_MUTEX"));
    EXPECT_FALSE(KvCommon::Synchronize::Mutex::Exists(L"BRQ16_DEBUGLOGPURGE_MUTEX"));
}

TEST_F(LogPurgeTest, AutomaticPurgeGivesWayToOneInAnotherProcess)
{
    Touch(Log(L"20000101.VLG"));
    Touch(Log(L"20000101.ULG"));
    Touch(Log(L"01012000_trace.log"));
    MutexHolder holder(L"BRQ16_LOGPURGE_MUTEX");
    ASSERT_TRUE(holder.Holding());

    EXPECT_FALSE(purge.PurgeEventLogs(100, &cutOff));
    EXPECT_TRUE(FileExists(Log(L"20000101.VLG")));
    EXPECT_TRUE(FileExists(Log(L"20000101.ULG")));

    // A delete of one type and the debug-log purge take no part in that exclusion.
    EXPECT_TRUE(purge.PurgeEventLogs(1, &cutOff));
    EXPECT_FALSE(FileExists(Log(L"20000101.VLG")));
    EXPECT_TRUE(FileExists(Log(L"20000101.ULG")));
    EXPECT_TRUE(purge.PurgeDebugLogs(&cutOff));
    EXPECT_FALSE(FileExists(Log(L"01012000_trace.log")));
}

TEST_F(LogPurgeTest, DebugPurgeGivesWayToOneInAnotherProcess)
{
    Touch(Log(L"01012000_trace.log"));
    Touch(Log(L"20000101.VLG"));
    MutexHolder holder(L"BRQ16_DEBUGLOGPURGE_MUTEX");
    ASSERT_TRUE(holder.Holding());

    EXPECT_FALSE(purge.PurgeDebugLogs(&cutOff));
    EXPECT_TRUE(FileExists(Log(L"01012000_trace.log")));
    EXPECT_TRUE(purge.PurgeEventLogs(100, &cutOff));
    EXPECT_FALSE(FileExists(Log(L"20000101.VLG")));
}

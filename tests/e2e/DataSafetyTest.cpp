#include "E2EHost.h"

using namespace E2E;
using namespace SrvFrwk;
using namespace SrvFrwk::EventLog;
using SrvFrwk::Interface::IEnforceProvider;
using TestSupport::FileExists;
using TestSupport::kEventLogKey;

namespace
{
const int kDays[] = {0, -1, -29, -30, -31, -400};

class PurgeAgesTest : public NorquillTest
{
protected:
    std::wstring EventLog(int days) const
    {
        return sandbox.LogFolder() + TestSupport::DateText(NoonInDays(days)) + L".VLG";
    }
    std::wstring DebugLog(int days) const { return sandbox.LogFolder() + DebugLogName(days); }

    void WriteLogs()
    {
        CreateDirectoryW(sandbox.LogFolder().c_str(), nullptr);
        for (int days : kDays)
            for (const std::wstring& path : {EventLog(days), DebugLog(days)})
                ASSERT_TRUE(TestSupport::WriteFileBytes(path, "\xFF\xFEx\0\r\0\n\0", 8));
    }
};
} // namespace

// Ages that reach back before the earliest file time (or whose days in file-time units would not fit
// 64 bits) purge nothing; the usual ages still take every file of their cut-off day and older.
TEST_F(PurgeAgesTest, AgesBeyondTheEarliestTimeKeepEveryFileAndUsualAgesStillPurge)
{
    for (DWORD age : {0x7FFFFFFFu, 100000000u, 21350399u, 0xFFFFFFFFu, 30u, 1u, 0u})
    {
        SCOPED_TRACE(age);
        WriteLogs();
        ASSERT_TRUE(TestSupport::SetRegDword(HKEY_LOCAL_MACHINE, kEventLogKey, L"EventLogPurgeFre", age));
        ASSERT_TRUE(TestSupport::SetRegDword(HKEY_LOCAL_MACHINE, kEventLogKey, L"DebugLogPurgeFre", age));
        EXPECT_EQ(RESULT_SUCCESS,
                  Provider()->DoAction(TYPE_EVENTLOG, ACTION_EVENTLOG_PURGE, 0, nullptr, 0, 0, 0));
        EXPECT_EQ(RESULT_SUCCESS,
                  Provider()->DoAction(TYPE_EVENTLOG, ACTION_DEBUGLOG_PURGE, 0, nullptr, 0, 0, 0));
        for (int days : kDays)
        {
            const bool purged = age <= 30 && -days >= static_cast<int>(age);
            EXPECT_EQ(!purged, FileExists(EventLog(days))) << days;
            EXPECT_EQ(!purged, FileExists(DebugLog(days))) << days;
        }
    }
}

// The trace library without "LogFolder" and "LogExtension" (the reading stops at the first missing
// value) writes where the debug-log purge looks, under a name it recognises.
TEST(TraceDefaultsTest, TraceWithoutFolderAndExtensionIsPurgedOnceOldEnough)
{
    TestSupport::EventLogSandbox sandbox;
    TestSupport::RegistryKeyGuard traceKey(HKEY_LOCAL_MACHINE, TestSupport::kDebugLogKey);
    const wchar_t* session = TestSupport::kInteractiveTraceKey;
    ASSERT_TRUE(TestSupport::SetRegDword(HKEY_LOCAL_MACHINE, session, L"Enable", 1) &&
                TestSupport::SetRegDword(HKEY_LOCAL_MACHINE, session, L"Level", 273) &&
                TestSupport::SetRegDword(HKEY_LOCAL_MACHINE, session, L"LogProcess", 0) &&
                TestSupport::SetRegDword(HKEY_LOCAL_MACHINE, session, L"LogUnitType", 0));
    const std::wstring trace = sandbox.LogFolder() + DebugLogName(0).substr(0, 9) + L"Norquill.log";
    {
        NorquillDll dll;
        ASSERT_TRUE(dll.Loaded());
    }
    ASSERT_TRUE(FileExists(trace));

    // The library now writes nothing, so the purge alone decides; today's file is old enough at age 0.
    ASSERT_TRUE(TestSupport::SetRegDword(HKEY_LOCAL_MACHINE, session, L"Enable", 0));
    NorquillDll dll;
    RecordingController controller;
    Interface::IEnforceProvider* provider = nullptr;
    ASSERT_EQ(RESULT_SUCCESS,
              dll.SfPv_CreateProvider(&provider, CONTROLLER_TYPE, PROVIDER_TYPE_EVENTLOG, &controller, 0, 0));
    for (DWORD age : {1u, 0u})
    {
        ASSERT_TRUE(TestSupport::SetRegDword(HKEY_LOCAL_MACHINE, kEventLogKey, L"DebugLogPurgeFre", age));
        EXPECT_EQ(RESULT_SUCCESS,
                  provider->DoAction(TYPE_EVENTLOG, ACTION_DEBUGLOG_PURGE, 0, nullptr, 0, 0, 0));
        EXPECT_EQ(age != 0, FileExists(trace)) << age;
    }
    dll.SfPv_FreeProvider(provider, CONTROLLER_TYPE, PROVIDER_TYPE_EVENTLOG, 0, 0);
}

// Names that no buffer holds reach no file and no exception: every request answers with a code.
TEST_F(PurgeAgesTest, AbsurdlyLongInstalledFolderGivesResultCodesOnly)
{
    const std::wstring folder = sandbox.InstalledFolder() + std::wstring(100000, L'x') + L"\\";
    ASSERT_TRUE(
        TestSupport::SetRegString(HKEY_LOCAL_MACHINE, TestSupport::kInstallKey, L"InstalledFolder", folder));
    // Writer, reader and path query are pinned in the unit tests; the purges and delete only here.
    LogDeleteParam param{TestSupport::Today(), LOG_ALL};
    IEnforceProvider* p = Provider();
    for (ULONG action : {ACTION_EVENTLOG_PURGE, ACTION_DEBUGLOG_PURGE})
        EXPECT_EQ(RESULT_SUCCESS, p->DoAction(TYPE_EVENTLOG, action, 0, nullptr, 0, 0, 0));
    EXPECT_EQ(RESULT_SUCCESS, p->DoAction(TYPE_EVENTLOG, ACTION_DELETE, 0, &param, 0, 0, 0));
}

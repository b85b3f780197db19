#include "E2EHost.h"

#include <shlobj.h>

#include <algorithm>

using namespace SrvFrwk;
using namespace SrvFrwk::EventLog;
using TestSupport::FileExists;
using TestSupport::kEventLogKey;

namespace
{
// Today by the real clock, as the DLL reads it, at 12:00:00.000, moved by whole days.
SYSTEMTIME NoonInDays(int days)
{
    SYSTEMTIME t = TestSupport::Today();
    t.wHour = 12;
    t.wMinute = t.wSecond = t.wMilliseconds = 0;
    FILETIME ft;
    SystemTimeToFileTime(&t, &ft);
    ULARGE_INTEGER value{{ft.dwLowDateTime, ft.dwHighDateTime}};
    value.QuadPart += static_cast<LONGLONG>(days) * 864000000000LL;
    ft = FILETIME{value.LowPart, value.HighPart};
    FileTimeToSystemTime(&ft, &t);
    return t;
}

std::vector<BYTE> Bytes(const SYSTEMTIME& t)
{
    const BYTE* p = reinterpret_cast<const BYTE*>(&t);
    return std::vector<BYTE>(p, p + sizeof(t));
}

std::wstring StartupLink()
{
    wchar_t folder[MAX_PATH] = {};
    SHGetSpecialFolderPathW(nullptr, folder, 24, FALSE);
    return std::wstring(folder) + L"\\qelsetup.lnk";
}

class ActionsTest : public E2E::NorquillTest
{
protected:
    ULONG Act(ULONG subType, void* param = nullptr)
    {
        return session.provider ? session->DoAction(TYPE_EVENTLOG, subType, 0, param, 0, 0, 0)
                                : RESULT_FAILED;
    }
    void SetDword(const wchar_t* name, DWORD value)
    {
        ASSERT_TRUE(TestSupport::SetRegDword(HKEY_LOCAL_MACHINE, kEventLogKey, name, value));
    }
    void StoreReportDate(const void* data, DWORD size)
    {
        ASSERT_TRUE(
            TestSupport::SetRegBinary(HKEY_LOCAL_MACHINE, kEventLogKey, L"LastReportDate", data, size));
    }
    void StoreReportDate(const SYSTEMTIME& t) { StoreReportDate(&t, sizeof(t)); }
    std::vector<BYTE> ReportDate()
    {
        DWORD type = 0;
        std::vector<BYTE> data;
        TestSupport::GetRegValue(HKEY_LOCAL_MACHINE, kEventLogKey, L"LastReportDate", type, data);
        return data;
    }
    size_t Reports() const { return session.controller.calls.size(); }

    E2E::ProviderSession session{Dll()};
};
} // namespace

TEST_F(ActionsTest, ReportIsDueFromExactlyTheFrequencyAndMovesTheStampToTodayNoon)
{
    for (int back : {0, 6})
    {
        StoreReportDate(NoonInDays(-back));
        EXPECT_EQ(Act(ACTION_REPORT), RESULT_SUCCESS);
        EXPECT_EQ(Reports(), 0u) << back;
    }
    StoreReportDate(NoonInDays(-7));
    EXPECT_EQ(Act(ACTION_REPORT), RESULT_SUCCESS);

    ASSERT_EQ(Reports(), 1u);
    const auto& call = session.controller.calls[0];
    EXPECT_EQ(std::vector<ULONG_PTR>({call.type, call.subType, call.option, call.reserved, call.providerType,
                                      call.reserved2, call.reserved3}),
              std::vector<ULONG_PTR>({22, 1, 0, 0, 0x80000, 0, 0}));
    EXPECT_NE(call.scratch, nullptr);
    EXPECT_EQ(ReportDate(), Bytes(NoonInDays(0)));
}

TEST_F(ActionsTest, ReportIsDueAtOnceForFrequencyZeroAndFutureOrInvalidStamps)
{
    SetDword(L"GenReportFrequency", 0);
    StoreReportDate(NoonInDays(0));
    EXPECT_EQ(Act(ACTION_REPORT), RESULT_SUCCESS);

    SetDword(L"GenReportFrequency", 7);
    StoreReportDate(NoonInDays(3)); // the unsigned difference wraps
    EXPECT_EQ(Act(ACTION_REPORT), RESULT_SUCCESS);

    SYSTEMTIME invalid = NoonInDays(0);
    invalid.wMonth = 13;
    StoreReportDate(invalid);
    EXPECT_EQ(Act(ACTION_REPORT), RESULT_SUCCESS);

    EXPECT_EQ(Reports(), 3u);
    EXPECT_EQ(ReportDate(), Bytes(NoonInDays(0)));
}

TEST_F(ActionsTest, ReportIsSkippedWhenSwitchedOffMissingOrMalformed)
{
    EXPECT_EQ(Act(ACTION_REPORT), RESULT_SUCCESS); // no stamp: the action's code 2 is success to the host
    EXPECT_TRUE(ReportDate().empty());

    const BYTE eight[8] = {0xD8, 0x07, 3, 0, 0, 0, 1, 0};
    StoreReportDate(eight, sizeof(eight));
    EXPECT_EQ(Act(ACTION_REPORT), RESULT_FAILED);

    SetDword(L"ReportAlertFlag", 2);
    StoreReportDate(NoonInDays(-30));
    EXPECT_EQ(Act(ACTION_REPORT), RESULT_SUCCESS);

    EXPECT_EQ(Reports(), 0u);
    EXPECT_EQ(ReportDate(), Bytes(NoonInDays(-30)));
}

TEST_F(ActionsTest, DeleteAndPurgesReachTheLogFolder)
{
    const std::wstring logs = sandbox.LogFolder(), old = TestSupport::DateText(NoonInDays(-30)),
                       young = TestSupport::DateText(NoonInDays(-29));
    const std::wstring oldDebug =
        old.substr(6, 2) + old.substr(4, 2) + old.substr(0, 4) + L"_bsqNorquill.log";
    ASSERT_TRUE(CreateDirectoryW(logs.c_str(), nullptr));
    for (const std::wstring& name : {std::wstring(L"20200101.SPG"), old + L".HCG", young + L".VLG", oldDebug})
        ASSERT_TRUE(TestSupport::WriteFileBytes(logs + name, "x", 1));
    TestSupport::RegistryKeyGuard noSessionFolder(HKEY_LOCAL_MACHINE, TestSupport::kInteractiveTraceKey);

    EXPECT_EQ(Act(ACTION_DELETE), RESULT_INVALID_ARG);
    LogDeleteParam param{NoonInDays(0), 12};
    EXPECT_EQ(Act(ACTION_DELETE, &param), RESULT_FAILED);
    param.dwTargetLogType = LOG_SPYWARE;
    EXPECT_EQ(Act(ACTION_DELETE, &param), RESULT_SUCCESS);
    EXPECT_FALSE(FileExists(logs + L"20200101.SPG"));

    EXPECT_EQ(Act(ACTION_EVENTLOG_PURGE), RESULT_SUCCESS); // 30 days by default
    EXPECT_FALSE(FileExists(logs + old + L".HCG"));
    EXPECT_TRUE(FileExists(logs + young + L".VLG"));
    EXPECT_EQ(Act(ACTION_DEBUGLOG_PURGE), RESULT_SUCCESS);
    EXPECT_FALSE(FileExists(logs + oldDebug));
}

TEST_F(ActionsTest, SetupHooksGoAndAMissingShortcutFails)
{
    const wchar_t* runKey = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
    TestSupport::RegistryKeyGuard run(HKEY_LOCAL_MACHINE, runKey, false);
    const std::wstring link = StartupLink();
    ASSERT_FALSE(FileExists(link)) << "a real shortcut would be lost";
    ASSERT_TRUE(TestSupport::SetRegString(HKEY_LOCAL_MACHINE, runKey, L"qelsetup.exe", L"C:\\qelsetup.exe"));
    ASSERT_TRUE(TestSupport::WriteFileBytes(link, "x", 1));

    EXPECT_EQ(Act(ACTION_SETUP_LINK_REMOVE), RESULT_SUCCESS);
    DWORD type = 0;
    std::vector<BYTE> data;
    EXPECT_FALSE(TestSupport::GetRegValue(HKEY_LOCAL_MACHINE, runKey, L"qelsetup.exe", type, data));
    EXPECT_FALSE(FileExists(link));

    // Without the Run value the shortcut is still removed; once it is gone the action fails.
    ASSERT_TRUE(TestSupport::WriteFileBytes(link, "x", 1));
    EXPECT_EQ(Act(ACTION_SETUP_LINK_REMOVE), RESULT_SUCCESS);
    EXPECT_FALSE(FileExists(link));
    EXPECT_EQ(Act(ACTION_SETUP_LINK_REMOVE), RESULT_FAILED);
}

namespace
{
// Tracing is on before the DLL loads, so the stand-in trace library writes real debug logs.
class ActionsTraceTest : public ActionsTest
{
protected:
    static void SetUpTestSuite()
    {
        s_trace = new TestSupport::TraceSandbox();
        ActionsTest::SetUpTestSuite();
    }
    static void TearDownTestSuite()
    {
        ActionsTest::TearDownTestSuite();
        delete s_trace;
        s_trace = nullptr;
    }
    static bool Traced(const std::wstring& text)
    {
        const std::vector<std::wstring> lines = s_trace->Lines();
        return std::any_of(lines.begin(), lines.end(),
                           [&](const std::wstring& line) { return line.find(text) != std::wstring::npos; });
    }
    static inline TestSupport::TraceSandbox* s_trace = nullptr;
};
} // namespace

TEST_F(ActionsTraceTest, DecisionsAndFailuresAreTraced)
{
    StoreReportDate(NoonInDays(0));
    EXPECT_EQ(Act(ACTION_REPORT), RESULT_SUCCESS);
    EXPECT_TRUE(Traced(L"Do not reach the day to generate report [0], [7]"));

    ASSERT_TRUE(CreateDirectoryW(sandbox.LogFolder().c_str(), nullptr));
    ASSERT_TRUE(TestSupport::WriteFileBytes(sandbox.LogFolder() + L"20000101.VLGX", "x", 1));
    EXPECT_EQ(Act(ACTION_EVENTLOG_PURGE), RESULT_SUCCESS);
    EXPECT_TRUE(Traced(L"invalid log filename: 20000101.VLGX"));
    EXPECT_TRUE(Traced(L"DoEventLogPurge() Purge Time [" + TestSupport::DateText(NoonInDays(-30)) + L"]"));

    ASSERT_FALSE(FileExists(StartupLink()));
    EXPECT_EQ(Act(ACTION_SETUP_LINK_REMOVE), RESULT_FAILED);
    EXPECT_TRUE(Traced(L"*** ::DeleteFile(" + StartupLink() + L") failed. [0x00000002]"));
}

TEST_F(ActionsTraceTest, DebugLogPurgeDeletesTheTraceLibrarysOwnFile)
{
    StoreReportDate(NoonInDays(0));
    EXPECT_EQ(Act(ACTION_REPORT), RESULT_SUCCESS);
    ASSERT_TRUE(Traced(L"Do not reach the day to generate report"));

    SetDword(L"DebugLogPurgeFre", 0); // today's file is due
    EXPECT_EQ(Act(ACTION_DEBUGLOG_PURGE), RESULT_SUCCESS);

    // The earlier lines went with their file; the purge's last lines start a new one.
    EXPECT_FALSE(Traced(L"Do not reach the day to generate report"));
    EXPECT_TRUE(Traced(L"[Leave] CEventLogProvider::DoDebugLogPurge()"));
}

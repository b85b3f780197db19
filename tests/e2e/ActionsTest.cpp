#include "E2EHost.h"

#include <shlobj.h>

#include <algorithm>

using namespace SrvFrwk;
using namespace SrvFrwk::EventLog;
using TestSupport::FileExists;
using TestSupport::kEventLogKey;

namespace
{
constexpr ULONGLONG kDay = 864000000000ULL;

// Today (the real clock, as the DLL reads it) at 12:00:00.000, moved by whole days.
SYSTEMTIME NoonInDays(int days)
{
    SYSTEMTIME t = TestSupport::Today();
    t.wHour = 12;
    t.wMinute = t.wSecond = t.wMilliseconds = 0;
    FILETIME ft;
    SystemTimeToFileTime(&t, &ft);
    ULONGLONG value = (static_cast<ULONGLONG>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
    value += static_cast<LONGLONG>(days) * static_cast<LONGLONG>(kDay);
    ft = FILETIME{static_cast<DWORD>(value), static_cast<DWORD>(value >> 32)};
    FileTimeToSystemTime(&ft, &t);
    return t;
}

std::wstring DayFirst(const SYSTEMTIME& t)
{
    const std::wstring ymd = TestSupport::DateText(t);
    return ymd.substr(6, 2) + ymd.substr(4, 2) + ymd.substr(0, 4);
}

void Touch(const std::wstring& path)
{
    ASSERT_TRUE(TestSupport::WriteFileBytes(path, "x", 1)) << "cannot create test file";
}

class ActionsTest : public E2E::NorquillTest
{
protected:
    void SetUp() override
    {
        E2E::NorquillTest::SetUp();
        ASSERT_TRUE(CreateDirectoryW(sandbox.LogFolder().c_str(), nullptr));
    }
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
    static std::vector<BYTE> Bytes(const SYSTEMTIME& t)
    {
        const BYTE* p = reinterpret_cast<const BYTE*>(&t);
        return std::vector<BYTE>(p, p + sizeof(t));
    }
    std::wstring Log(const std::wstring& name) const { return sandbox.LogFolder() + name; }

    E2E::ProviderSession session{Dll()};
};
} // namespace

TEST_F(ActionsTest, ReportIsNotDueBeforeTheFrequencyHasPassed)
{
    for (int back : {0, 6})
    {
        StoreReportDate(NoonInDays(-back));
        EXPECT_EQ(Act(ACTION_REPORT), RESULT_SUCCESS);
        EXPECT_TRUE(session.controller.calls.empty()) << back;
        EXPECT_EQ(ReportDate(), Bytes(NoonInDays(-back)));
    }
}

TEST_F(ActionsTest, ReportIsDueAfterExactlyTheFrequencyAndMovesTheStampToToday)
{
    StoreReportDate(NoonInDays(-7));

    EXPECT_EQ(Act(ACTION_REPORT), RESULT_SUCCESS);

    ASSERT_EQ(session.controller.calls.size(), 1u);
    const auto& call = session.controller.calls[0];
    EXPECT_EQ(call.type, 22u);
    EXPECT_EQ(call.subType, 1u);
    EXPECT_EQ(call.option, 0u);
    EXPECT_EQ(call.reserved, 0u);
    EXPECT_NE(call.scratch, nullptr);
    EXPECT_EQ(call.providerType, 0x80000u);
    EXPECT_EQ(call.reserved2, 0u);
    EXPECT_EQ(call.reserved3, 0u);
    EXPECT_EQ(ReportDate(), Bytes(NoonInDays(0)));
}

TEST_F(ActionsTest, ReportIsDueAtOnceForFrequencyZeroFutureOrInvalidDates)
{
    SetDword(L"GenReportFrequency", 0);
    StoreReportDate(NoonInDays(0));
    EXPECT_EQ(Act(ACTION_REPORT), RESULT_SUCCESS);
    EXPECT_EQ(session.controller.calls.size(), 1u);

    SetDword(L"GenReportFrequency", 7);
    StoreReportDate(NoonInDays(3)); // the unsigned difference wraps
    EXPECT_EQ(Act(ACTION_REPORT), RESULT_SUCCESS);
    EXPECT_EQ(session.controller.calls.size(), 2u);
    EXPECT_EQ(ReportDate(), Bytes(NoonInDays(0)));

    SYSTEMTIME invalid = NoonInDays(0);
    invalid.wMonth = 13;
    StoreReportDate(invalid);
    EXPECT_EQ(Act(ACTION_REPORT), RESULT_SUCCESS);
    EXPECT_EQ(session.controller.calls.size(), 3u);
    EXPECT_EQ(ReportDate(), Bytes(NoonInDays(0)));
}

TEST_F(ActionsTest, ReportNotifiesNobodyWhenSwitchedOffOrWithoutAStamp)
{
    EXPECT_EQ(Act(ACTION_REPORT), RESULT_SUCCESS); // stamp missing: the host sees success
    EXPECT_TRUE(ReportDate().empty());

    SetDword(L"ReportAlertFlag", 2);
    StoreReportDate(NoonInDays(-30));
    EXPECT_EQ(Act(ACTION_REPORT), RESULT_SUCCESS);

    EXPECT_TRUE(session.controller.calls.empty());
    EXPECT_EQ(ReportDate(), Bytes(NoonInDays(-30)));
}

TEST_F(ActionsTest, ReportDateOfTheWrongSizeFails)
{
    const BYTE eight[8] = {0xD8, 0x07, 3, 0, 0, 0, 1, 0};
    StoreReportDate(eight, sizeof(eight));

    EXPECT_EQ(Act(ACTION_REPORT), RESULT_FAILED);
    EXPECT_TRUE(session.controller.calls.empty());
}

TEST_F(ActionsTest, EventLogPurgeDeletesWhatIsOlderThanThirtyDays)
{
    const std::wstring old = TestSupport::DateText(NoonInDays(-31)),
                       edge = TestSupport::DateText(NoonInDays(-30)),
                       young = TestSupport::DateText(NoonInDays(-29));
    Touch(Log(old + L".VLG"));
    Touch(Log(edge + L".HCG"));
    Touch(Log(young + L".VLG"));

    EXPECT_EQ(Act(ACTION_EVENTLOG_PURGE), RESULT_SUCCESS);

    EXPECT_FALSE(FileExists(Log(old + L".VLG")));
    EXPECT_FALSE(FileExists(Log(edge + L".HCG")));
    EXPECT_TRUE(FileExists(Log(young + L".VLG")));
}

TEST_F(ActionsTest, DeleteAndDebugLogPurgeGoThroughTheDll)
{
    TestSupport::RegistryKeyGuard noSessionFolder(HKEY_LOCAL_MACHINE, TestSupport::kInteractiveTraceKey);
    Touch(Log(L"20200101.SPG"));
    Touch(Log(DayFirst(NoonInDays(-31)) + L"_Norquill.log"));
    Touch(Log(DayFirst(NoonInDays(-29)) + L"_Norquill.log"));

    EXPECT_EQ(Act(ACTION_DELETE), RESULT_INVALID_ARG);
    LogDeleteParam param{NoonInDays(0), LOG_SPYWARE};
    EXPECT_EQ(Act(ACTION_DELETE, &param), RESULT_SUCCESS);
    EXPECT_EQ(Act(ACTION_DEBUGLOG_PURGE), RESULT_SUCCESS);

    EXPECT_FALSE(FileExists(Log(L"20200101.SPG")));
    EXPECT_FALSE(FileExists(Log(DayFirst(NoonInDays(-31)) + L"_Norquill.log")));
    EXPECT_TRUE(FileExists(Log(DayFirst(NoonInDays(-29)) + L"_Norquill.log")));
}

namespace
{
const wchar_t* const kRunKey = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

// The all-users Startup folder and its "qelsetup.lnk", put back as they were after the test.
class SetupLinkTest : public ActionsTest
{
protected:
    void SetUp() override
    {
        ActionsTest::SetUp();
        wchar_t folder[MAX_PATH] = {};
        ASSERT_TRUE(SHGetSpecialFolderPathW(nullptr, folder, 24, FALSE));
        m_folder = folder;
        m_createdFolder = CreateDirectoryW(m_folder.c_str(), nullptr) != FALSE;
        m_link = m_folder + L"\\qelsetup.lnk";
        m_hadLink = FileExists(m_link);
        if (m_hadLink)
            m_saved = TestSupport::ReadFileBytes(m_link);
    }
    void TearDown() override
    {
        if (m_hadLink)
            TestSupport::WriteFileBytes(m_link, m_saved);
        else
            DeleteFileW(m_link.c_str());
        if (m_createdFolder)
            RemoveDirectoryW(m_folder.c_str());
    }
    bool RunValueExists()
    {
        DWORD type = 0;
        std::vector<BYTE> data;
        return TestSupport::GetRegValue(HKEY_LOCAL_MACHINE, kRunKey, L"qelsetup.exe", type, data);
    }

    TestSupport::RegistryKeyGuard m_runKey{HKEY_LOCAL_MACHINE, kRunKey, false};
    std::wstring m_folder, m_link;
    std::vector<BYTE> m_saved;
    bool m_hadLink = false, m_createdFolder = false;
};
} // namespace

TEST_F(SetupLinkTest, RunValueAndStartupShortcutBothGo)
{
    ASSERT_TRUE(
        TestSupport::SetRegString(HKEY_LOCAL_MACHINE, kRunKey, L"qelsetup.exe", L"C:\\qelsetup.exe /run"));
    Touch(m_link);

    EXPECT_EQ(Act(ACTION_SETUP_LINK_REMOVE), RESULT_SUCCESS);

    EXPECT_FALSE(RunValueExists());
    EXPECT_FALSE(FileExists(m_link));
}

TEST_F(SetupLinkTest, MissingRunValueDoesNotStopTheShortcut)
{
    RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kRunKey, L"qelsetup.exe");
    Touch(m_link);

    EXPECT_EQ(Act(ACTION_SETUP_LINK_REMOVE), RESULT_SUCCESS);
    EXPECT_FALSE(FileExists(m_link));
}

TEST_F(SetupLinkTest, MissingShortcutFailsAfterRemovingTheRunValue)
{
    ASSERT_TRUE(TestSupport::SetRegString(HKEY_LOCAL_MACHINE, kRunKey, L"qelsetup.exe", L"C:\\qelsetup.exe"));
    DeleteFileW(m_link.c_str());

    EXPECT_EQ(Act(ACTION_SETUP_LINK_REMOVE), RESULT_FAILED);
    EXPECT_FALSE(RunValueExists());
}

namespace
{
// Tracing is switched on before the DLL loads, so the stand-in trace library writes real debug logs.
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

TEST_F(ActionsTraceTest, FailuresAndDecisionsAreTraced)
{
    StoreReportDate(NoonInDays(0));
    EXPECT_EQ(Act(ACTION_REPORT), RESULT_SUCCESS);
    EXPECT_TRUE(Traced(L"Do not reach the day to generate report [0], [7]"));

    Touch(Log(L"20000101.VLGX"));
    EXPECT_EQ(Act(ACTION_EVENTLOG_PURGE), RESULT_SUCCESS);
    EXPECT_TRUE(Traced(L"invalid log filename: 20000101.VLGX"));
    EXPECT_TRUE(Traced(L"CEventLogProvider::DoEventLogPurge() Purge Time [" +
                       TestSupport::DateText(NoonInDays(-30)) + L"]"));

    wchar_t folder[MAX_PATH] = {};
    ASSERT_TRUE(SHGetSpecialFolderPathW(nullptr, folder, 24, FALSE));
    const std::wstring link = std::wstring(folder) + L"\\qelsetup.lnk";
    ASSERT_FALSE(FileExists(link));
    EXPECT_EQ(Act(ACTION_SETUP_LINK_REMOVE), RESULT_FAILED);
    EXPECT_TRUE(Traced(L"*** ::DeleteFile(" + link + L") failed. [0x00000002]"));
}

TEST_F(ActionsTraceTest, DebugLogPurgeDeletesTheTraceLibrarysOwnFiles)
{
    StoreReportDate(NoonInDays(0));
    EXPECT_EQ(Act(ACTION_REPORT), RESULT_SUCCESS);
    ASSERT_TRUE(Traced(L"Do not reach the day to generate report"));

    SetDword(L"DebugLogPurgeFre", 0); // today's file is due
    EXPECT_EQ(Act(ACTION_DEBUGLOG_PURGE), RESULT_SUCCESS);

    // Lines written before the purge are gone with their file; the purge's own later lines start anew.
    EXPECT_FALSE(Traced(L"Do not reach the day to generate report"));
    EXPECT_TRUE(Traced(L"[Leave] CEventLogProvider::DoDebugLogPurge()"));
}

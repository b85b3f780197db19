#include "E2EHost.h"

using namespace E2E;
using namespace SrvFrwk;
using namespace SrvFrwk::EventLog;
using SrvFrwk::Interface::IEnforceProvider;
using TestSupport::FileExists;
using TestSupport::kEventLogKey;

using PurgeAgesTest = NorquillTest;

// Ages that reach back before the earliest file time (or whose days in file-time units would not fit
// 64 bits) purge nothing; the usual ages still take every file of their cut-off day and older.
TEST_F(PurgeAgesTest, AgesBeyondTheEarliestTimeKeepEveryFileAndUsualAgesStillPurge)
{
    const int kDays[] = {0, -1, -29, -30, -31, -400};
    const auto logs = [&](int days) -> std::vector<std::wstring>
    {
        return {sandbox.LogFolder() + TestSupport::DateText(NoonInDays(days)) + L".VLG",
                sandbox.LogFolder() + DebugLogName(days)};
    };
    for (DWORD age : {0x7FFFFFFFu, 100000000u, 21350399u, 0xFFFFFFFFu, 30u, 1u, 0u})
    {
        SCOPED_TRACE(age);
        for (const wchar_t* setting : {L"EventLogPurgeFre", L"DebugLogPurgeFre"})
            ASSERT_TRUE(TestSupport::SetRegDword(HKEY_LOCAL_MACHINE, kEventLogKey, setting, age));
        for (int days : kDays)
            for (const std::wstring& path : logs(days))
                ASSERT_TRUE(TestSupport::WriteUtf16File(path, L"\xFEFFx\r\n"));
        for (ULONG action : {ACTION_EVENTLOG_PURGE, ACTION_DEBUGLOG_PURGE})
            EXPECT_EQ(RESULT_SUCCESS, Provider()->DoAction(TYPE_EVENTLOG, action, 0, nullptr, 0, 0, 0));
        for (int days : kDays)
            for (const std::wstring& path : logs(days))
                EXPECT_EQ(age > 30 || -days < static_cast<int>(age), FileExists(path)) << days;
    }
}

// The trace library without "LogFolder" and "LogExtension" (the reading stops at the first missing
// value) writes where the debug-log purge looks, under a name it recognises.
using TraceDefaultsTest = NorquillTest;

TEST_F(TraceDefaultsTest, TraceWithoutFolderAndExtensionIsPurgedOnceOldEnough)
{
    const wchar_t* session = TestSupport::kInteractiveTraceKey;
    ASSERT_EQ(ERROR_SUCCESS, RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, session, L"LogFolder"));
    Reload();
    Unload();
    const std::wstring trace = sandbox.LogFolder() + DebugLogName(0).substr(0, 9) + L"Norquill.log";
    ASSERT_TRUE(FileExists(trace));

    // The library now writes nothing, so the purge alone decides; today's file is old enough at age 0.
    ASSERT_TRUE(TestSupport::SetRegDword(HKEY_LOCAL_MACHINE, session, L"Enable", 0));
    Reload();
    for (DWORD age : {1u, 0u})
    {
        ASSERT_TRUE(TestSupport::SetRegDword(HKEY_LOCAL_MACHINE, kEventLogKey, L"DebugLogPurgeFre", age));
        EXPECT_EQ(RESULT_SUCCESS,
                  Provider()->DoAction(TYPE_EVENTLOG, ACTION_DEBUGLOG_PURGE, 0, nullptr, 0, 0, 0));
        EXPECT_EQ(age != 0, FileExists(trace)) << age;
    }
}

using TextSafetyTest = NorquillTest;

// A URL is outside text: its "|", line feed, U+FFFF or the line's own stand-ins must neither move a field,
// nor write a line of their own, nor end the day, and read back as they were.
TEST_F(TextSafetyTest, ForgedLineInAUrlStaysInsideItsFieldAndReadsBackAsItWas)
{
    auto url = [](std::wstring text1, std::wstring text2)
    { return UrlFilterLogRecord{1, 0x1A, std::move(text1), 2, std::move(text2), L"", 0, 0, L"", {}}; };
    const UrlFilterLogRecord stored[] = {url(L"https://fonts.example.com/css?family=Roboto|Open+Sans",
                                             L"x\n20261206|000000|1|1|forged|forged|ER"),
                                         url(L"http://x/\xFFFF\xFFFF/a.exe", L"evil\xF07Cx.exe\xF01B"),
                                         url(L"after", L"")};
    for (UrlFilterLogRecord record : stored)
        ASSERT_EQ(RESULT_SUCCESS, Provider()->StoreData(TYPE_EVENTLOG, DATA_URL_FILTER, &record, 0, 0));
    const std::wstring text = TestSupport::ReadUtf16File(TodayFile(L"ULG"));
    ASSERT_GT(text.size(), 17u);
    const size_t second = text.find(L"\r\n") + 2;
    EXPECT_EQ(L"00000001|0000001a|2|https://fonts.example.com/css?family=Roboto\uF07COpen+Sans|"
              L"x\uF00A20261206\uF07C000000\uF07C1\uF07C1\uF07Cforged\uF07Cforged\uF07CER|ER\r\n",
              text.substr(17, second - 17));
    EXPECT_EQ(L"00000001|0000001a|2|http://x/\uF0FF\uF0FF/a.exe|evil\uF01B\uF07Cx.exe\uF01B\uF01B|ER\r\n",
              text.substr(second + 16, text.find(L"\r\n", second) + 2 - second - 16));

    UrlFilterLogQuery query{TestSupport::Today(), {}};
    ASSERT_EQ(RESULT_SUCCESS, Provider()->QueryData(TYPE_EVENTLOG, DATA_URL_FILTER, &query, 0, 0));
    ASSERT_EQ(std::size(stored), query.records.size());
    for (size_t i = 0; i < std::size(stored); ++i)
    {
        EXPECT_EQ(stored[i].tsText1, query.records[i].tsText1) << i;
        EXPECT_EQ(stored[i].tsText2, query.records[i].tsText2) << i;
    }
}

// Another process deletes the installation key, creates it again without the value and sets the value,
// over and over, while events are stored: the first event after it stops lands where it pointed last.
TEST_F(TextSafetyTest, FolderChurnedByAnotherProcessIsFollowedByTheFirstEventAfterIt)
{
    TestSupport::TempFolder a, b, current;
    // While the value is missing, events go to the relative "Log\": keep them out of the build.
    CurrentFolder inCurrent(current.Path());
    IEnforceProvider* provider = Provider();
    auto trimmed = [](const std::wstring& folder) { return folder.substr(0, folder.size() - 1); };
    TestSupport::ChildProcess churn(L"\"" + TestSupport::BinFolder() +
                                    L"records_writer.exe\" folders 300 \"" + trimmed(a.Path()) + L"\" \"" +
                                    trimmed(b.Path()) + L"\"");
    TscLogRecord record{L"during", 1, {}};
    int stored = 0;
    for (; !churn.Ended(0); ++stored)
        provider->StoreData(TYPE_EVENTLOG, DATA_TSC, &record, 0, 0);
    const int exitCode = churn.Exit(10000);
    record = {L"after", 2, {}};
    EXPECT_EQ(RESULT_SUCCESS, provider->StoreData(TYPE_EVENTLOG, DATA_TSC, &record, 0, 0));

    ASSERT_EQ(0, exitCode);
    EXPECT_GT(stored, 0);
    const std::wstring last = TestSupport::ReadUtf16File(
        b.Path() + L"Log\\" + TestSupport::DateText(TestSupport::Today()) + L".PTG");
    EXPECT_NE(std::wstring::npos, last.find(L"|after|2\r\n"))
        << "the event after the churn missed its folder";
}

// The operator learns of a repaired end and of shortened texts from one error line each.
TEST_F(TextSafetyTest, RepairedEndAndShortenedTextsAreEachTracedOnce)
{
    const std::wstring day = TodayFile(L"PTG");
    ASSERT_TRUE(CreateDirectoryW(sandbox.LogFolder().c_str(), nullptr));
    // A mark, a whole character and half of one.
    ASSERT_TRUE(TestSupport::WriteFileBytes(day, std::vector<BYTE>{0xFF, 0xFE, '2', 0, 'X'}));
    for (int i = 0; i < 2; ++i)
    {
        TscLogRecord record{L"after", i, {}};
        ASSERT_EQ(RESULT_SUCCESS, Provider()->StoreData(TYPE_EVENTLOG, DATA_TSC, &record, 0, 0));
    }
    VaLogRecord va{L"CVE-1", 1, 2, {}, {}};
    wmemset(va.szText1, L't', 2047);
    ASSERT_EQ(RESULT_SUCCESS, Provider()->StoreData(TYPE_EVENTLOG, DATA_VULNERABILITY, &va, 0, 0));
    ExpectTraces(UnloadAndReadTrace(),
                 {{1, kError,
                   L"CTscLog::WriteLog() ended the damaged last line of " + day +
                       L" (half a character) before the event"},
                  {1, kError, L"CVaLog::MakeRecode() shortened the texts by 29 characters to fit a line"},
                  {2, kError, L""}});
}

// nqhost driving the real Norquill.dll: each command reaches the provider or service and reports the
// result by name, with an exit code a script can rely on.
#include "NqHostProcess.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

using namespace NqHostTest;

namespace
{
class NqHostProvider : public ::testing::Test
{
protected:
    // The newest record of today's file of the kind.
    JsonNode LastRecordToday(const std::wstring& kind)
    {
        int exitCode = -1;
        JsonNode doc = RunNqHostJson(L"query " + kind, exitCode);
        EXPECT_EQ(0, exitCode);
        const JsonNode& records = doc["records"];
        if (records.items.empty())
            throw std::runtime_error("no record came back");
        return records.items.back();
    }

    std::wstring TodayText()
    {
        SYSTEMTIME t = TestSupport::Today();
        wchar_t text[16];
        _snwprintf_s(text, 16, _TRUNCATE, L"%04u-%02u-%02u", t.wYear, t.wMonth, t.wDay);
        return text;
    }

    TestSupport::EventLogSandbox sandbox;
};

// A field=value word and what the query gives back for it (a number, or a text when isText).
struct Expected
{
    std::string field;
    bool isText;
    std::string text;
    double number;
};

Expected Text(const char* field, const char* text)
{
    return {field, true, text, 0};
}
Expected Number(const char* field, double number)
{
    return {field, false, "", number};
}
} // namespace

TEST_F(NqHostProvider, StoreThenQueryRoundTripsEveryKind)
{
    const struct
    {
        std::wstring kind;
        std::wstring fields;
        std::vector<Expected> back;
    } cases[] = {
        {L"virus",
         L"dwNumber=7 szThreatName=Worm.X nValue2=-2 nValue4=4 szFilePath=C:\\a\\b.exe",
         {Number("dwNumber", 7), Text("szThreatName", "Worm.X"), Number("nValue2", -2), Number("nValue4", 4),
          Text("szFilePath", "C:\\a\\b.exe")}},
        {L"spyware",
         L"nType=2 szText1=Adw nValue1=5 szPath=C:\\p szText2=t2 szItem=item szText4=t4 nValue3=-9",
         {Number("nType", 2), Text("szText1", "Adw"), Number("nValue1", 5), Text("szPath", "C:\\p"),
          Text("szText2", "t2"), Text("szItem", "item"), Text("szText4", "t4"), Number("nValue3", -9)}},
        {L"vulnerability",
         L"szName=VN nValue1=1 nValue2=0x2 szText1=xyz",
         {Text("szName", "VN"), Number("nValue1", 1), Number("nValue2", 2), Text("szText1", "xyz")}},
        {L"tsc", L"szText1=Grüße nValue1=42", {Text("szText1", "Grüße"), Number("nValue1", 42)}},
        {L"update",
         L"nValue1=1 nValue3=-1 nValue4=2147483647 szText1=A szText2=B",
         {Number("nValue1", 1), Number("nValue3", -1), Number("nValue4", 2147483647), Text("szText1", "A"),
          Text("szText2", "B")}},
        {L"history",
         L"dwKind=1 dwValue=3 qwAmount=1000",
         {Number("dwKind", 1), Number("dwValue", 3), Number("qwAmount", 1000)}},
        {L"url",
         L"dwCode=0x1a nValue=4 tsText1=http://x/ tsText2=cat",
         {Number("dwCode", 26), Number("nValue", 4), Text("tsText1", "http://x/"), Text("tsText2", "cat")}},
        {L"privacy",
         L"dwType=3 nValue1=1 tsText1=t1 nValue2=2 tsText4=t4",
         {Number("dwType", 3), Number("nValue1", 1), Text("tsText1", "t1"), Number("nValue2", 2),
          Text("tsText4", "t4")}},
        {L"phishing",
         L"nValue1=-5 dwCode=128 nValue2=7 tsText1=http://p/",
         {Number("nValue1", -5), Number("dwCode", 128), Number("nValue2", 7), Text("tsText1", "http://p/")}},
        {L"change",
         L"szPath=P szItem=N dwFlag=0 szText2=T2 szText1=T1 nValue1=5 nValue3=9",
         {Text("szPath", "P"), Text("szText2", "T2"), Text("szText1", "T1"), Number("nValue1", 5),
          Number("nValue3", 9), Text("szText3", "P\\N")}},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(Utf8(c.kind));
        NqHostRun stored = RunNqHost(L"store " + c.kind + L" " + c.fields);
        ASSERT_EQ(0, stored.exitCode) << stored.output;
        EXPECT_TRUE(stored.Says("RESULT_SUCCESS (0x00040200)")) << stored.output;
        JsonNode record = LastRecordToday(c.kind);
        for (const Expected& e : c.back)
        {
            if (e.isText)
                EXPECT_EQ(e.text, record[e.field].text) << e.field;
            else
                EXPECT_EQ(e.number, record[e.field].number) << e.field;
        }
    }
}

TEST_F(NqHostProvider, QueryOfADayWithoutLogExitsOneWithTheResultName)
{
    NqHostRun run = RunNqHost(L"query virus 2001-01-01");
    EXPECT_EQ(1, run.exitCode) << run.output;
    EXPECT_TRUE(run.Says("RESULT_FAILED (0x80040201)")) << run.output;

    int exitCode = 0;
    JsonNode doc = RunNqHostJson(L"query virus 2001-01-01", exitCode);
    EXPECT_EQ(1, exitCode);
    const JsonNode& result = doc["results"].items.back();
    EXPECT_EQ("RESULT_FAILED", result["name"].text);
    EXPECT_EQ(2147746305.0, result["code"].number);
    EXPECT_FALSE(doc.Has("records"));
}

TEST_F(NqHostProvider, DemoStoresAndReadsBackEveryKindAndEndsWithZero)
{
    int exitCode = -1;
    JsonNode doc = RunNqHostJson(L"demo", exitCode);
    EXPECT_EQ(0, exitCode);
    std::vector<std::string> kinds;
    bool notified = false;
    for (const JsonNode& step : doc["steps"].items)
    {
        if (step.Has("hostCalls"))
            for (const JsonNode& call : step["hostCalls"].items)
                notified = notified || call["call"].text.rfind("NotifySessionAgent(22, 1, 0, 0, ", 0) == 0;
        if (!step.Has("values") || !step["values"].Has("kind"))
            continue;
        kinds.push_back(step["values"]["kind"].text);
        EXPECT_EQ("RESULT_SUCCESS", step["results"][0]["name"].text) << kinds.back();
        EXPECT_FALSE(step["records"].items.empty()) << kinds.back();
    }
    EXPECT_EQ((std::vector<std::string>{"virus", "spyware", "vulnerability", "tsc", "update", "history",
                                        "url", "privacy", "phishing", "change"}),
              kinds);
    EXPECT_TRUE(notified) << "the demo's report did not reach the controller";
    // The sandbox's folder was already set, so the demo used it.
    EXPECT_FALSE(TestSupport::ListFiles(sandbox.LogFolder()).empty());
}

TEST_F(NqHostProvider, ConfigSetsThenShowsAndTheNextRunSeesIt)
{
    int exitCode = -1;
    JsonNode set = RunNqHostJson(L"config report --days 3 --alert 0", exitCode);
    EXPECT_EQ(0, exitCode);
    EXPECT_EQ(3, set["values"]["dwDayFre"].number);
    EXPECT_EQ(0, set["values"]["dwAlertFlag"].number);

    JsonNode purge = RunNqHostJson(L"config purge --off --days 12", exitCode);
    EXPECT_EQ(0, exitCode);
    JsonNode shown = RunNqHostJson(L"config purge", exitCode);
    EXPECT_EQ(12, shown["values"]["dwDayFre"].number);
    EXPECT_EQ(0, shown["values"]["dwPurgeFlag"].number);
    EXPECT_EQ(1u, shown["results"].items.size()) << "showing must not store";
}

TEST_F(NqHostProvider, ReportNotifiesTheControllerOnlyWhenDue)
{
    ASSERT_EQ(0, RunNqHost(L"install").exitCode);
    NqHostRun notDue = RunNqHost(L"report");
    EXPECT_EQ(0, notDue.exitCode);
    EXPECT_TRUE(notDue.Says("no report is due")) << notDue.output;

    ASSERT_EQ(0, RunNqHost(L"config report --days 0").exitCode);
    NqHostRun due = RunNqHost(L"report");
    EXPECT_EQ(0, due.exitCode);
    EXPECT_TRUE(due.Says("controller: NotifySessionAgent(22, 1, 0, 0, ")) << due.output;
    EXPECT_TRUE(due.Says("-- the report is due")) << due.output;
}

TEST_F(NqHostProvider, PathsAndRecentThreatFollowWhatWasStored)
{
    ASSERT_EQ(0, RunNqHost(L"store virus szThreatName=Worm.Y szFilePath=C:\\v.exe").exitCode);
    int exitCode = -1;
    JsonNode latest = RunNqHostJson(L"path virus latest", exitCode);
    EXPECT_EQ(0, exitCode);
    std::wstring expected = sandbox.LogFolder() + TestSupport::DateText(TestSupport::Today()) + L".VLG";
    EXPECT_EQ(Utf8(expected), latest["values"]["tsLogPath"].text);

    JsonNode byNumber = RunNqHostJson(L"path 1 2008-02-29", exitCode);
    EXPECT_EQ(Utf8(sandbox.LogFolder() + L"20080229.VLG"), byNumber["values"]["tsLogPath"].text);

    NqHostRun refused = RunNqHost(L"path asg");
    EXPECT_EQ(1, refused.exitCode);
    EXPECT_TRUE(refused.Says("RESULT_FAILED (0x80040201)")) << refused.output;

    JsonNode recent = RunNqHostJson(L"recent", exitCode);
    EXPECT_EQ(0, exitCode);
    EXPECT_EQ("Worm.Y", recent["values"]["VirusName"].text);
    EXPECT_EQ("C:\\v.exe", recent["values"]["FileName"].text);
}

TEST_F(NqHostProvider, Win32CodeHandedThroughIsNamedAndCountsAsSuccess)
{
    // Without install there is no threat time stamp: the query hands ERROR_FILE_NOT_FOUND through.
    NqHostRun run = RunNqHost(L"recent");
    EXPECT_EQ(0, run.exitCode) << run.output;
    EXPECT_TRUE(run.Says("QueryData(22, 18 = recent threat): 2 (ERROR_FILE_NOT_FOUND)")) << run.output;
}

TEST_F(NqHostProvider, DeleteRemovesTheDayFileAndSaysSo)
{
    ASSERT_EQ(0, RunNqHost(L"store tsc szText1=x").exitCode);
    std::wstring file = sandbox.LogFolder() + TestSupport::DateText(TestSupport::Today()) + L".PTG";
    ASSERT_TRUE(TestSupport::FileExists(file));
    int exitCode = -1;
    JsonNode doc = RunNqHostJson(L"delete tsc " + TodayText(), exitCode);
    EXPECT_EQ(0, exitCode);
    EXPECT_FALSE(TestSupport::FileExists(file));
    ASSERT_EQ(1u, doc["removed"].items.size());
    EXPECT_EQ(Utf8(file), doc["removed"][0]["path"].text);
}

TEST_F(NqHostProvider, ServiceStartAsksTheManagerAndRuns)
{
    int exitCode = -1;
    JsonNode doc = RunNqHostJson(L"service start", exitCode);
    EXPECT_EQ(0, exitCode);
    EXPECT_EQ(2, doc["values"]["state"].number);
    EXPECT_EQ(0u, doc["hostCalls"][0]["call"].text.find("GetIFrameworkServiceInterface("))
        << doc["hostCalls"][0]["call"].text;
    EXPECT_NE(std::string::npos, doc["hostCalls"][0]["call"].text.find(", 4, 64, 0, 0x0)"));
}

TEST_F(NqHostProvider, TraceWritesAllTenSettingsAndOffKeepsLevelAndFolder)
{
    TestSupport::RegistryKeyGuard traceKey(HKEY_LOCAL_MACHINE, TestSupport::kDebugLogKey);
    TestSupport::TempFolder folder;
    ASSERT_EQ(0, RunNqHost(L"trace on --level 17 --folder \"" +
                           folder.Path().substr(0, folder.Path().size() - 1) + L"\"")
                     .exitCode);
    const wchar_t* names[] = {L"Enable",    L"Level",   L"LogProcess",   L"LogUnitType", L"LogFolder",
                              L"LogPrefix", L"LogFile", L"LogExtension", L"Robust",      L"Debugger"};
    for (const wchar_t* name : names)
    {
        DWORD type = 0;
        std::vector<BYTE> data;
        EXPECT_TRUE(
            TestSupport::GetRegValue(HKEY_LOCAL_MACHINE, TestSupport::kInteractiveTraceKey, name, type, data))
            << Utf8(name);
    }
    int exitCode = -1;
    JsonNode off = RunNqHostJson(L"trace off", exitCode);
    EXPECT_EQ(0, exitCode);
    EXPECT_EQ(0, off["values"]["Enable"].number);
    EXPECT_EQ(17, off["values"]["Level"].number);
    EXPECT_EQ(Utf8(folder.Path()), off["values"]["LogFolder"].text);
    EXPECT_EQ("bsq", off["values"]["LogPrefix"].text);
}

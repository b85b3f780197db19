// Each command reaches the provider or service and reports results by name, with exit codes scripts use.
#include "NqHostTest.h"

#include <sstream>

using namespace NqHostTest;

using NqHostProvider = NqHostFixture;

TEST_F(NqHostProvider, StoreThenQueryRoundTripsEveryKind)
{
    // Each field=value of `back` (the stored words when null) comes back; numbers are read as C reads them.
    const struct
    {
        std::wstring kind;
        std::wstring stored;
        const char* back;
    } cases[] = {
        {L"virus", L"dwNumber=7 szThreatName=Worm.X nValue2=-2 nValue4=4 szFilePath=C:\\a\\b.exe", nullptr},
        {L"spyware",
         L"nType=2 szText1=Adw nValue1=5 szPath=C:\\p szText2=t2 szItem=item szText4=t4 nValue3=-9", nullptr},
        {L"vulnerability", L"szName=VN nValue1=1 nValue2=0x2 szText1=xyz", nullptr},
        {L"tsc", L"szText1=Grüße nValue1=42", nullptr},
        {L"update", L"nValue1=1 nValue3=-1 nValue4=2147483647 szText1=A szText2=B", nullptr},
        {L"history", L"dwKind=1 dwValue=3 qwAmount=1000", nullptr},
        {L"url", L"dwCode=0x1a nValue=4 tsText1=http://x/ tsText2=cat", nullptr},
        {L"privacy", L"dwType=3 nValue1=1 tsText1=t1 nValue2=2 tsText4=t4", nullptr},
        {L"phishing", L"nValue1=-5 dwCode=128 nValue2=7 tsText1=http://p/", nullptr},
        {L"change", L"szPath=P szItem=N dwFlag=0 szText2=T2 szText1=T1 nValue1=5 nValue3=9",
         "szPath=P szText2=T2 szText1=T1 nValue1=5 nValue3=9 szText3=P\\N"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(Utf8(c.kind));
        ASSERT_EQ(0, Run(L"store " + c.kind + L" " + c.stored).exitCode);
        Json doc = RunJson(L"query " + c.kind);
        const Json& record = doc.at("records").at(0);
        std::istringstream words(c.back ? c.back : Utf8(c.stored));
        for (std::string word; words >> word;)
        {
            std::string field = word.substr(0, word.find('=')), value = word.substr(field.size() + 1);
            if (record.at(field).is_number())
                EXPECT_EQ(strtoll(value.c_str(), nullptr, 0), record.at(field).get<long long>()) << field;
            else
                EXPECT_EQ(value, record.at(field).get<std::string>()) << field;
        }
    }
}

TEST_F(NqHostProvider, QueryOfADayWithoutLogExitsOneWithTheResultName)
{
    NqHostRun run = Run(L"query virus 2001-01-01");
    EXPECT_EQ(1, run.exitCode) << run.output;
    EXPECT_TRUE(run.Says("RESULT_FAILED (0x80040201)")) << run.output;
}

TEST_F(NqHostProvider, DemoStoresAndReadsBackEveryKindAndEndsWithZero)
{
    Json doc = RunJson(L"demo");
    std::string kinds;
    for (const Json& step : doc.at("steps"))
    {
        if (!step.contains("values") || !step["values"].contains("kind"))
            continue;
        const std::string kind = step["values"]["kind"];
        kinds += kind + " ";
        EXPECT_EQ("RESULT_SUCCESS", step.at("results").at(0).at("name")) << kind;
        EXPECT_FALSE(step.at("records").empty()) << kind;
    }
    EXPECT_EQ("virus spyware vulnerability tsc update history url privacy phishing change ", kinds);
}

TEST_F(NqHostProvider, PathRecentAndDeleteFollowWhatWasStored)
{
    // Before any threat there is no time stamp: the Win32 code handed through is named and is no failure.
    NqHostRun before = Run(L"recent");
    EXPECT_EQ(0, before.exitCode) << before.output;
    EXPECT_TRUE(before.Says("QueryData(22, 18 = recent threat): 2 (ERROR_FILE_NOT_FOUND)")) << before.output;

    ASSERT_EQ(0, Run(L"store virus szThreatName=Worm.Y").exitCode);
    EXPECT_EQ("Worm.Y", RunJson(L"recent").at("values").at("VirusName"));
    EXPECT_EQ(Utf8(sandbox.LogFolder() + L"20080229.VLG"),
              RunJson(L"path 1 2008-02-29").at("values").at("tsLogPath"));
    std::wstring day = TestSupport::DateText(TestSupport::Today());
    const std::wstring file = sandbox.LogFolder() + day + L".VLG";
    Json deleted = RunJson(L"delete virus " + day.insert(6, L"-").insert(4, L"-"));
    EXPECT_FALSE(TestSupport::FileExists(file));
    EXPECT_EQ(Utf8(file), deleted.at("removed").at(0).at("path"));
}

TEST_F(NqHostProvider, ServiceStartHandsTheManagerItsArgumentsAndRuns)
{
    Json doc = RunJson(L"service start");
    EXPECT_EQ(2, doc.at("values").at("state"));
    const std::string call = doc.at("hostCalls").at(0).at("call");
    EXPECT_EQ(0u, call.find("GetIFrameworkServiceInterface(")) << call;
    EXPECT_NE(std::string::npos, call.find(", 4, 64, 0, 0x0)")) << call;
}

TEST_F(NqHostProvider, SettingsCommandsStoreWhatTheNextRunShows)
{
    RunJson(L"config purge --off --days 12");
    Json purge = RunJson(L"config purge");
    EXPECT_EQ(12, purge.at("values").at("dwDayFre"));
    EXPECT_EQ(0, purge.at("values").at("dwPurgeFlag"));
    EXPECT_EQ(1u, purge.at("results").size()) << "showing must not store";

    TestSupport::RegistryKeyGuard traceKey(HKEY_LOCAL_MACHINE, TestSupport::kDebugLogKey);
    TestSupport::TempFolder folder;
    const std::wstring path = folder.Path().substr(0, folder.Path().size() - 1);
    ASSERT_EQ(0, Run(L"trace on --level 17 --folder \"" + path + L"\"").exitCode);
    Json off = RunJson(L"trace off");
    EXPECT_EQ(0, off.at("values").at("Enable"));
    EXPECT_EQ(17, off.at("values").at("Level")) << "off keeps the level";
    EXPECT_EQ(Utf8(folder.Path()), off.at("values").at("LogFolder"));
}

// Ranges of days, and the export that other tools read: JSON Lines and ECS documents parsed back.
#include "NqHostTest.h"

#include <cstdlib>
#include <map>
#include <set>

using namespace NqHostTest;

namespace
{
// One stored event of each kind.
struct KindSample
{
    std::wstring kind, stored;
};

const KindSample kKindSamples[] = {
    {L"virus", L"dwNumber=7 szThreatName=Worm.X nValue2=-2 nValue4=4 szFilePath=C:\\a\\b.exe"},
    {L"spyware", L"nType=2 szText1=Adw nValue1=5 szPath=C:\\p szText2=t2 szItem=item szText4=t4 nValue3=-9"},
    {L"vulnerability", L"szName=VN nValue1=1 nValue2=0x2 szText1=xyz"},
    {L"tsc", L"szText1=Grüße nValue1=42"},
    {L"update", L"nValue1=1 nValue3=-1 nValue4=2147483647 szText1=A szText2=B"},
    {L"history", L"dwKind=1 dwValue=3 qwAmount=1000"},
    {L"url", L"dwCode=0x1a nValue=4 tsText1=http://x/ tsText2=cat"},
    {L"privacy", L"dwType=3 nValue1=1 tsText1=t1 nValue2=2 tsText4=t4"},
    {L"phishing", L"nValue1=-5 dwCode=128 nValue2=7 tsText1=http://p/"},
    {L"change", L"szPath=P szItem=N dwFlag=0 szText2=T2 szText1=T1 nValue1=5 nValue3=9"},
};

std::vector<std::string> Ids(const std::vector<Json>& records)
{
    std::vector<std::string> ids;
    for (const Json& record : records)
        ids.push_back(record.contains("id") ? record.at("id") : record.at("event").at("id"));
    return ids;
}

std::string Joined(const std::vector<Json>& records)
{
    std::string all;
    for (const Json& record : records)
        all += record.at("szText1").get<std::string>();
    return all;
}
} // namespace

class NqHostExport : public NqHostFixture
{
protected:
    // The export's output file, parsed back.
    std::vector<Json> Export(const std::wstring& args, const wchar_t* file = L"x.jsonl")
    {
        NqHostRun run = Run(L"export " + args + L" --output \"" + inputs.Path() + file + L"\"");
        EXPECT_EQ(0, run.exitCode) << run.output;
        return ParseJsonLines(ReadText(inputs.Path() + file));
    }
};

class NqHostMonth : public NqHostExport
{
protected:
    // January 2025 of every kind: the lines the plug-in wrote today for each sample, twice a day.
    void WriteMonth()
    {
        for (const KindSample& sample : kKindSamples)
            ASSERT_EQ(0, Run(L"store " + sample.kind + L" " + sample.stored).exitCode) << Utf8(sample.kind);
        for (const std::wstring& name : TestSupport::ListFiles(sandbox.LogFolder(), L"*.*"))
        {
            std::wstring line = TestSupport::ReadUtf16File(sandbox.LogFolder() + name).substr(1);
            line.resize(line.size() - 2); // the one line, without its CR LF
            for (int day = 1; day <= 31; ++day)
            {
                const std::wstring date = Text(L"202501%02d", day);
                std::wstring body;
                for (const std::wstring& time : {std::wstring(L"080000"), Text(L"1730%02d", day)})
                    body += date + L"|" + time + line.substr(15) + L"\r\n";
                WriteDayFile(date + name.substr(8), body);
            }
            DeleteFileW((sandbox.LogFolder() + name).c_str());
        }
    }

    std::vector<Json> Month(const std::wstring& options, const wchar_t* file = L"month.jsonl")
    {
        return Export(L"all --from 2025-01-01 --to 2025-01-31 " + options, file);
    }

    static std::wstring Text(const wchar_t* format, int value) { return NqHost::Text::Format(format, value); }
};

TEST_F(NqHostMonth, IdsAreStableUniqueAndTheMachinesOwnAndEveryFieldIsExportedAsQueryGivesIt)
{
    WriteMonth();
    // Without a range the export reaches from the oldest day file to today.
    const std::vector<Json> month = Export(L"all");
    const std::vector<std::string> first = Ids(month);
    ASSERT_EQ(10u * 31 * 2, first.size());
    std::map<std::string, Json> firstOfKind;
    for (const Json& record : month)
        firstOfKind.emplace(record.at("kind"), record);
    for (const KindSample& sample : kKindSamples)
    {
        SCOPED_TRACE(Utf8(sample.kind));
        Json query = RunJson(L"query " + sample.kind + L" 2025-01-01").at("records").at(0);
        query.erase("stTime");
        for (const auto& member : query.items())
            EXPECT_EQ(member.value(), firstOfKind.at(Utf8(sample.kind)).at(member.key())) << member.key();
    }
    EXPECT_EQ(first.size(), std::set<std::string>(first.begin(), first.end()).size());
    EXPECT_EQ(first, Ids(Month(L"--schema ecs")));

    // The same files as two machines' logs: nothing shared, and each says whose it is.
    const std::vector<Json> a = Month(L"--schema ecs --host WS-A"), b = Month(L"--schema ecs --host ws-b");
    std::set<std::string> both;
    for (const std::vector<Json>* machine : {&a, &b})
        for (const std::string& id : Ids(*machine))
            both.insert(id);
    EXPECT_EQ(a.size() + b.size(), both.size());
    EXPECT_EQ("ws-a", a.front().at("host").at("name"));
    EXPECT_EQ("ws-b", b.front().at("host").at("name"));
}

TEST_F(NqHostMonth, EcsDocumentsPutEachMemberWhereItsMeaningGoesAndFitTheSchemaPackagesDefinitions)
{
    // The package's field definitions are read by its own language's runtime, outside Wine.
    const char* checker = std::getenv("NQ_ECS_CHECK");
    ASSERT_TRUE(checker && *checker) << "NQ_ECS_CHECK names the checking script (set by the build)";
    WriteMonth();
    ASSERT_EQ(620u, Month(L"--schema ecs").size());
    // Today: the members whose ECS field depends on the value, and a text the writer shortened.
    for (const wchar_t* event :
         {L"virus szThreatName=Worm.Y \"szFilePath=C:\\x\\y (1).exe\" szDetail=quarantined",
          L"spyware szText1=Spy.A szPath=HKEY_LOCAL_MACHINE\\Software\\Run szItem=evil",
          L"change szText1=Chg szPath=HKCU\\Software\\X szItem=Y"})
        ASSERT_EQ(0, Run(L"store " + std::wstring(event)).exitCode) << Utf8(event);
    const NqHostRun cut = Run(L"store vulnerability szName=VN-LONG szText1=" + std::wstring(2040, L'x'));
    ASSERT_EQ(0, cut.exitCode);
    EXPECT_TRUE(cut.Says("the line would be about 2")) << cut.output;
    std::wstring today = TestSupport::DateText(TestSupport::Today());
    std::map<std::string, Json> byName;
    for (const Json& document :
         Export(L"all --schema ecs --from " + today.insert(6, L"-").insert(4, L"-"), L"today.jsonl"))
        byName[document.at("rule").at("name")] = document;
    ASSERT_EQ(4u, byName.size());
    EXPECT_EQ("C:\\x\\y (1).exe", byName["Worm.Y"].at("file").at("path"));
    EXPECT_EQ("quarantined", byName["Worm.Y"].at("norquill").at("virus").at("szDetail"));
    EXPECT_EQ("HKEY_LOCAL_MACHINE\\Software\\Run", byName["Spy.A"].at("registry").at("path"));
    EXPECT_EQ("HKCU\\Software\\X", byName["Chg"].at("registry").at("path"));
    EXPECT_FALSE(byName["Spy.A"].contains("file") || byName["Chg"].contains("file"));
    EXPECT_EQ(Json::array({"norquill-shortened"}), byName["VN-LONG"].at("tags"));
    EXPECT_FALSE(byName["Worm.Y"].contains("tags"));

    NqHostRun check =
        RunShell("cd '" + UnixPath(inputs.Path()) + "' && cat month.jsonl today.jsonl >all.jsonl && node '" +
                 std::string(checker) + "' all.jsonl 624");
    EXPECT_EQ(0, check.exitCode) << check.output;
    EXPECT_TRUE(check.Says("624 documents fit")) << check.output;
}

TEST_F(NqHostExport, RangeReadsTheDaysWithAFileInOrderAndTimesCarryTheOffsetOfTheirZoneAndDate)
{
    // Clocks change: the US on 8 March and 1 November 2026, Europe on 29 March and 25 October. Each day's
    // lines are in time order, and so must the days be.
    for (const wchar_t* day : {L"20260308", L"20260329", L"20261025", L"20261101"})
        WriteDayFile(std::wstring(day) + L".PTG", std::wstring(day) + L"|013000|a|1\r\n" + day +
                                                      L"|023000|b|2\r\n" + day + L"|033000|c|3\r\n");
    // A time that never was (02:30 when clocks go forward) keeps the offset before the change.
    const std::vector<std::string> berlin = {"+01:00", "+01:00", "+01:00", "+01:00", "+01:00", "+02:00",
                                             "+02:00", "+02:00", "+01:00", "+01:00", "+01:00", "+01:00"};
    const struct
    {
        std::string tz, option; // the process's own zone, or one named by IANA or Windows
        std::vector<std::string> offsets;
        std::string repeated, repeatedUtc; // the local time of a repeated hour and its first occurrence
    } zones[] = {
        {"Europe/Berlin", "", berlin, "2026-10-25T02:30:00", "2026-10-25T00:30:00Z"},
        {"Asia/Tokyo", "--timezone 'W. Europe Standard Time'", berlin, "2026-10-25T02:30:00",
         "2026-10-25T00:30:00Z"},
        {"Asia/Tokyo",
         "--timezone America/New_York",
         {"-05:00", "-05:00", "-04:00", "-04:00", "-04:00", "-04:00", "-04:00", "-04:00", "-04:00", "-04:00",
          "-05:00", "-05:00"},
         "2026-11-01T01:30:00",
         "2026-11-01T05:30:00Z"},
    };
    for (const auto& zone : zones)
    {
        SCOPED_TRACE(zone.tz + " " + zone.option);
        // Wine takes a process's zone from the TZ it was started with, so nqhost starts from a shell.
        NqHostRun run = RunShell(
            "cd '" + UnixPath(inputs.Path()) + "'\nexport TZ=" + zone.tz +
            "\nnq() { $WINE \"$NQHOST\" \"$@\" " + zone.option +
            " --from 2026-03-08 --to 2026-11-01 || exit 1; }\n"
            "nq --json export tsc --output t.jsonl >r.json\nnq export tsc --schema ecs --output e.jsonl\n");
        ASSERT_EQ(0, run.exitCode) << run.output;
        const std::vector<Json> plain = ParseJsonLines(ReadText(inputs.Path() + L"t.jsonl"));
        const std::vector<Json> ecs = ParseJsonLines(ReadText(inputs.Path() + L"e.jsonl"));
        const Json values = Json::parse(ReadText(inputs.Path() + L"r.json")).at("values");
        // Of the 239 days in the range, four have a file.
        EXPECT_EQ(239, values.at("days"));
        EXPECT_EQ(235, values.at("daysWithoutFile"));
        ASSERT_EQ(12u, plain.size());
        ASSERT_EQ(12u, ecs.size());
        for (size_t i = 0; i < plain.size(); ++i)
        {
            const std::string time = plain[i].at("time");
            EXPECT_EQ(zone.offsets[i], time.substr(19)) << time;
            EXPECT_TRUE(i == 0 || plain[i - 1].at("time") < time) << time;
            EXPECT_EQ(zone.offsets[i], ecs[i].at("event").at("timezone"));
            if (time.compare(0, 19, zone.repeated) == 0)
            {
                EXPECT_EQ(zone.repeatedUtc, ecs[i].at("@timestamp"));
            }
        }
    }
}

TEST_F(NqHostExport, CursorSendsOnlyWhatEarlierRunsDidNotAndADayBegunAnewWhole)
{
    const std::wstring cursor = inputs.Path() + L"export.cursor";
    // The output is appended to: a shipper that has not read the last batch yet loses nothing.
    auto texts = [&]
    { return Joined(Export(L"tsc --from 2024-03-01 --to 2024-03-02 --cursor \"" + cursor + L"\"")); };
    WriteDayFile(L"20240301.PTG", L"20240301|080000|a|1\r\n20240301|090000|b|2\r\n");
    EXPECT_EQ("ab", texts());
    EXPECT_EQ("ab", texts());
    WriteDayFile(L"20240301.PTG", L"20240301|080000|a|1\r\n20240301|090000|b|2\r\n20240301|100000|c|3\r\n");
    WriteDayFile(L"20240302.PTG", L"20240302|080000|d|4\r\n");
    EXPECT_EQ("abcd", texts());
    // Deleted and begun anew: the record at the cursor is another one.
    WriteDayFile(L"20240301.PTG", L"20240301|110000|e|5\r\n20240301|120000|f|6\r\n20240301|130000|g|7\r\n");
    EXPECT_EQ("abcdefg", texts());

    // A cursor of the ids of before: its counts hold, its old ids are not taken for a day begun anew.
    const std::string old = "nqhost-cursor 1\ntsc 20240301 2 tsc-20240301-2-0badc0de\nend 1\n";
    TestSupport::WriteFileBytes(cursor, old.data(), old.size());
    DeleteFileW((inputs.Path() + L"x.jsonl").c_str());
    EXPECT_EQ("gd", texts());

    const std::string saved = ReadText(cursor);
    TestSupport::WriteFileBytes(cursor, saved.data(), saved.size() / 2);
    NqHostRun damaged = Run(L"export tsc --cursor \"" + cursor + L"\"");
    EXPECT_EQ(1, damaged.exitCode);
    EXPECT_TRUE(damaged.Says("is damaged")) << damaged.output;
}

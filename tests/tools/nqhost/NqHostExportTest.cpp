// Ranges of days, and the export that other tools read: JSON Lines and CSV parsed back.
#include "NqHostTest.h"

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <map>
#include <regex>
#include <set>

using namespace NqHostTest;

namespace
{
// One stored event of each kind; `back` lists what the day file gives back when that differs from the
// stored words.
struct KindSample
{
    std::wstring kind, stored;
    const char* back = nullptr;
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
    {L"change", L"szPath=P szItem=N dwFlag=0 szText2=T2 szText1=T1 nValue1=5 nValue3=9",
     "szPath=P szText2=T2 szText1=T1 nValue1=5 nValue3=9 szText3=P\\N"},
};

// Every field=value of the sample comes back with its value, numbers (as C reads them) as JSON numbers.
void ExpectFields(const KindSample& sample, const Json& record)
{
    std::istringstream words(sample.back ? sample.back : Utf8(sample.stored));
    for (std::string word; words >> word;)
    {
        std::string field = word.substr(0, word.find('=')), value = word.substr(field.size() + 1);
        char* end = nullptr;
        long long number = strtoll(value.c_str(), &end, 0);
        if (*end == '\0')
        {
            EXPECT_TRUE(record.at(field).is_number_integer()) << field << " in " << record.dump();
            EXPECT_EQ(number, record.at(field).get<long long>()) << field;
        }
        else
            EXPECT_EQ(value, record.at(field).get<std::string>()) << field;
    }
}

// RFC 4180, strictly: every cell plain or quoted and followed by a comma or CR LF, else the test fails.
std::vector<std::vector<std::string>> ParseCsv(const std::string& text)
{
    static const std::regex cell(R"re(("(?:[^"]|"")*"|[^",\r\n]*)(,|\r\n))re"), doubled("\"\"");
    std::vector<std::vector<std::string>> rows(1);
    std::smatch m;
    size_t at = 0;
    for (; at < text.size() &&
           std::regex_search(text.begin() + at, text.end(), m, cell, std::regex_constants::match_continuous);
         at += m.length())
    {
        const std::string field = m[1];
        rows.back().push_back(field.rfind('"', 0) == 0
                                  ? std::regex_replace(field.substr(1, field.size() - 2), doubled, "\"")
                                  : field);
        if (m[2] == "\r\n" && at + m.length() < text.size())
            rows.emplace_back();
    }
    EXPECT_EQ(text.size(), at) << "bad CSV at byte " << at;
    return rows;
}

std::vector<std::string> Ids(const std::vector<Json>& records)
{
    std::vector<std::string> ids;
    for (const Json& record : records)
        ids.push_back(record.contains("id") ? record.at("id") : record.at("event").at("id"));
    return ids;
}

std::string Joined(const std::vector<Json>& records, const char* field = "szText1")
{
    std::string all;
    for (const Json& record : records)
        all += record.at(field).get<std::string>();
    return all;
}
} // namespace

class NqHostExport : public NqHostFixture
{
protected:
    // The export's output file, parsed back.
    std::vector<Json> Export(const std::wstring& args, const wchar_t* file = L"x.jsonl")
    {
        NqHostRun run = Run(L"export " + args + L" --output \"" + m_out.Path() + file + L"\"");
        EXPECT_EQ(0, run.exitCode) << run.output;
        return ParseJsonLines(ReadText(m_out.Path() + file));
    }

    TestSupport::TempFolder m_out;
};

TEST_F(NqHostExport, EveryStoredFieldComesBackAsJsonLinesAndAsCsv)
{
    for (const KindSample& sample : kKindSamples)
        ASSERT_EQ(0, Run(L"store " + sample.kind + L" " + sample.stored).exitCode) << Utf8(sample.kind);
    // A carriage return inside a field survives the day file (only the last one of a line ends it).
    ASSERT_EQ(0, Run(L"store tsc \"szText1=x,\\\"y\\\"\rz\" nValue1=-3").exitCode);
    ASSERT_EQ(0, Run(L"store tsc \"szText1=line\rbreak\" nValue1=0").exitCode);
    const std::vector<std::string> tscTexts = {"Gr\xC3\xBC\xC3\x9F"
                                               "e",
                                               "x,\"y\"\rz", "line\rbreak"};

    std::map<std::string, Json> firstOfKind;
    std::vector<std::string> texts;
    for (const Json& record : Export(L"all"))
    {
        firstOfKind.emplace(record.at("kind"), record);
        if (record.at("kind") == "tsc")
            texts.push_back(record.at("szText1"));
    }
    for (const KindSample& sample : kKindSamples)
    {
        SCOPED_TRACE(Utf8(sample.kind));
        ExpectFields(sample, firstOfKind.at(Utf8(sample.kind)));
    }
    EXPECT_EQ(tscTexts, texts);

    Export(L"tsc --format csv", L"tsc.csv");
    const std::string csv = ReadText(m_out.Path() + L"tsc.csv");
    ASSERT_NE(0, csv.compare(0, 3, "\xEF\xBB\xBF")) << "no byte-order mark";
    const std::vector<std::vector<std::string>> rows = ParseCsv(csv);
    ASSERT_EQ(4u, rows.size()) << csv;
    for (size_t i = 1; i < rows.size(); ++i)
        EXPECT_EQ(tscTexts[i - 1], rows[i].at(2));
    EXPECT_EQ("-3", rows[2].at(3));
}

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

TEST_F(NqHostMonth, IdsAreStableUniqueAndTheMachinesOwnWhateverHappensToOtherLines)
{
    WriteMonth();
    const std::vector<std::string> first = Ids(Month(L""));
    ASSERT_EQ(10u * 31 * 2, first.size());
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

    // Three lines a day; the middle one overwritten in place with damage the reader skips, then changed.
    const std::wstring line = L"20250115|0800%02d|Gr\u00FC\u00DFe|42\r\n";
    WriteDayFile(L"20250115.PTG", Text(line.c_str(), 1) + Text(line.c_str(), 2) + Text(line.c_str(), 3));
    const std::vector<std::string> ids = Ids(Month(L""));
    const std::set<std::string> three(ids.begin(), ids.end());
    for (const std::wstring& middle :
         {std::wstring(L"20250115 080002 Gr\u00FC\u00DFe 42\r\n"), Text(line.c_str(), 4)})
    {
        WriteDayFile(L"20250115.PTG", Text(line.c_str(), 1) + middle + Text(line.c_str(), 3));
        const std::vector<std::string> now = Ids(Month(L""));
        const std::set<std::string> after(now.begin(), now.end());
        std::vector<std::string> lost;
        std::set_difference(three.begin(), three.end(), after.begin(), after.end(), std::back_inserter(lost));
        ASSERT_EQ(1u, lost.size()) << Utf8(middle);
        EXPECT_EQ(0u, lost[0].rfind("tsc-20250115-", 0)) << lost[0];
    }
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
    ASSERT_EQ(0, Run(L"store vulnerability szName=VN-LONG szText1=" + std::wstring(2040, L'x')).exitCode);
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
        RunShell("cd '" + UnixPath(m_out.Path()) + "' && cat month.jsonl today.jsonl >all.jsonl && node '" +
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
            "cd '" + UnixPath(m_out.Path()) + "'\nexport TZ=" + zone.tz +
            "\nnq() { $WINE \"$NQHOST\" \"$@\" " + zone.option +
            " --from 2026-03-08 --to 2026-11-01 || exit 1; }\n"
            "nq --json export tsc --output t.jsonl >r.json\nnq export tsc --schema ecs --output e.jsonl\n"
            "nq export tsc --format csv --output t.csv\nnq --json query tsc >q.json\n");
        ASSERT_EQ(0, run.exitCode) << run.output;
        const std::vector<Json> plain = ParseJsonLines(ReadText(m_out.Path() + L"t.jsonl"));
        const std::vector<Json> ecs = ParseJsonLines(ReadText(m_out.Path() + L"e.jsonl"));
        const std::vector<std::vector<std::string>> csv = ParseCsv(ReadText(m_out.Path() + L"t.csv"));
        const Json query = Json::parse(ReadText(m_out.Path() + L"q.json"));
        // Of the 239 days in the range, four have a file.
        EXPECT_EQ(239, query.at("values").at("days"));
        EXPECT_EQ(235, query.at("values").at("daysWithoutFile"));
        EXPECT_EQ(235, Json::parse(ReadText(m_out.Path() + L"r.json")).at("values").at("daysWithoutFile"));
        ASSERT_EQ(12u, plain.size());
        ASSERT_EQ(12u, ecs.size());
        ASSERT_EQ(13u, csv.size());
        ASSERT_EQ(12u, query.at("records").size());
        for (size_t i = 0; i < plain.size(); ++i)
        {
            const std::string time = plain[i].at("time");
            EXPECT_EQ(zone.offsets[i], time.substr(19)) << time;
            EXPECT_TRUE(i == 0 || plain[i - 1].at("time") < time) << time;
            EXPECT_EQ(time, csv[i + 1].at(1));
            EXPECT_EQ(time, query.at("records")[i].at("stTime"));
            EXPECT_EQ(zone.offsets[i], ecs[i].at("event").at("timezone"));
            if (time.compare(0, 19, zone.repeated) == 0)
            {
                EXPECT_EQ(zone.repeatedUtc, ecs[i].at("@timestamp"));
            }
        }
    }
    NqHostRun unknown = Run(L"export tsc --timezone Mars/Olympus_Mons");
    EXPECT_EQ(2, unknown.exitCode);
    EXPECT_TRUE(unknown.Says("Mars/Olympus_Mons")) << unknown.output;
}

TEST_F(NqHostExport, CursorSendsOnlyWhatEarlierRunsDidNotAndADayBegunAnewWhole)
{
    const std::wstring cursor = m_out.Path() + L"export.cursor";
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
    DeleteFileW((m_out.Path() + L"x.jsonl").c_str());
    EXPECT_EQ("gd", texts());

    const std::string saved = ReadText(cursor);
    TestSupport::WriteFileBytes(cursor, saved.data(), saved.size() / 2);
    NqHostRun damaged = Run(L"export tsc --cursor \"" + cursor + L"\"");
    EXPECT_EQ(1, damaged.exitCode);
    EXPECT_TRUE(damaged.Says("is damaged")) << damaged.output;
}

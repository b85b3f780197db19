// Ranges of days, and the export that other tools read: JSON Lines and CSV parsed back.
#include "NqHostTest.h"

#include <map>

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

std::string ReadText(const std::wstring& path)
{
    const std::vector<BYTE> bytes = TestSupport::ReadFileBytes(path);
    return {bytes.begin(), bytes.end()};
}

std::vector<Json> ParseJsonLines(const std::string& text)
{
    std::vector<Json> records;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);)
        records.push_back(Json::parse(line));
    return records;
}

// RFC 4180, strictly: a line break or quote outside a quoted field fails the test.
std::vector<std::vector<std::string>> ParseCsv(const std::string& text)
{
    std::vector<std::vector<std::string>> rows(1);
    std::string field;
    bool quoted = false, wasQuoted = false;
    for (size_t i = 0; i < text.size(); ++i)
    {
        char c = text[i];
        if (quoted)
        {
            if (c != '"')
                field += c;
            else if (i + 1 < text.size() && text[i + 1] == '"')
                field += text[i++];
            else
                quoted = false;
        }
        else if (c == '"' && field.empty() && !wasQuoted)
            quoted = wasQuoted = true;
        else if (c == ',' || (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n'))
        {
            rows.back().push_back(field);
            field.clear();
            wasQuoted = false;
            if (c == '\r' && ++i + 1 < text.size())
                rows.emplace_back();
        }
        else if (c == '"' || c == '\r' || c == '\n' || wasQuoted)
            ADD_FAILURE() << "bad CSV at byte " << i;
        else
            field += c;
    }
    EXPECT_FALSE(quoted) << "open quote at the end";
    return rows;
}
} // namespace

using NqHostExport = NqHostFixture;

TEST_F(NqHostExport, RangeReadsTheDaysWithAFileInOrderAndCountsTheGap)
{
    // 29 February has no file; 2 March lies outside the range.
    WriteDayFile(L"20240228.PTG", L"20240228|080000|a|1\r\n20240228|090000|b|2\r\n");
    WriteDayFile(L"20240301.PTG", L"20240301|070000|c|3\r\n");
    WriteDayFile(L"20240302.PTG", L"20240302|070000|d|4\r\n");
    const std::wstring range = L" --from 2024-02-28 --to 2024-03-01";

    Json query = RunJson(L"query tsc" + range);
    std::string texts;
    for (const Json& record : query.at("records"))
        texts += record.at("szText1").get<std::string>();
    EXPECT_EQ("abc", texts);
    EXPECT_EQ(3, query.at("values").at("days"));
    EXPECT_EQ(1, query.at("values").at("daysWithoutFile"));

    TestSupport::TempFolder out;
    Json report = RunJson(L"export tsc" + range + L" --output \"" + out.Path() + L"tsc.jsonl\"");
    EXPECT_EQ(1, report.at("values").at("daysWithoutFile"));
    std::vector<Json> records = ParseJsonLines(ReadText(out.Path() + L"tsc.jsonl"));
    ASSERT_EQ(3u, records.size());
    EXPECT_EQ("2024-03-01T07:00:00", records[2].at("time"));
    EXPECT_EQ(3, records[2].at("nValue1"));
}

TEST_F(NqHostExport, EveryStoredFieldComesBackAsJsonLinesAndAsCsv)
{
    for (const KindSample& sample : kKindSamples)
        ASSERT_EQ(0, Run(L"store " + sample.kind + L" " + sample.stored).exitCode) << Utf8(sample.kind);
    // A carriage return inside a field survives the day file (only the last one of a line ends it).
    const std::wstring tricky = L"x,\\\"y\\\"\rz";
    ASSERT_EQ(0, Run(L"store tsc \"szText1=" + tricky + L"\" nValue1=-3").exitCode);
    ASSERT_EQ(0, Run(L"store tsc \"szText1=line\rbreak\" nValue1=0").exitCode);

    const std::vector<std::string> tscTexts = {"Gr\xC3\xBC\xC3\x9F"
                                               "e",
                                               "x,\"y\"\rz", "line\rbreak"};

    TestSupport::TempFolder out;
    ASSERT_EQ(0, Run(L"export all --output \"" + out.Path() + L"all.jsonl\"").exitCode);
    std::map<std::string, Json> firstOfKind;
    std::vector<std::string> texts;
    for (const Json& record : ParseJsonLines(ReadText(out.Path() + L"all.jsonl")))
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

    ASSERT_EQ(0, Run(L"export tsc --format csv --output \"" + out.Path() + L"tsc.csv\"").exitCode);
    const std::string csv = ReadText(out.Path() + L"tsc.csv");
    ASSERT_NE(0, csv.compare(0, 3, "\xEF\xBB\xBF")) << "no byte-order mark";
    const std::vector<std::vector<std::string>> rows = ParseCsv(csv);
    ASSERT_EQ(4u, rows.size()) << csv;
    EXPECT_EQ((std::vector<std::string>{"time", "szText1", "nValue1"}), rows[0]);
    texts.clear();
    for (size_t i = 1; i < rows.size(); ++i)
        texts.push_back(rows[i].at(1));
    EXPECT_EQ(tscTexts, texts);
    EXPECT_EQ("-3", rows[2].at(2));
}

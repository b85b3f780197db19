// Filters, one timeline of every kind, and the damaged lines a read skipped, counted.
#include "NqHostTest.h"

using namespace NqHostTest;

using NqHostFilter = NqHostFixture;

TEST_F(NqHostFilter, AllKindsMakeOneTimelineAndWhereMatchAndTimesOfDayKeepOnlyWhatWasAskedFor)
{
    // A file's own order is not the time order; kinds interleave.
    WriteDayFile(L"20240301.PTG", L"20240301|090000|Scan Zo\u00eb|2\r\n20240301|070000|scan a|1\r\n");
    WriteDayFile(L"20240301.VLG", L"20240301|080000|00000005|00000000|2|1|Worm.X|C:\\a|0|0|0|0\r\n"
                                  L"20240301|100000|00000012|00000000|2|1|Trojan.Y|C:\\b|1|0|0|0\r\n");
    WriteDayFile(L"20240302.UPG", L"20240302|060000|1|0|0|0|16.0|engine\r\n");
    const struct
    {
        std::wstring args;
        std::vector<std::string> kept;
    } cases[] = {
        {L"query all --from 2024-03-01 --to 2024-03-02",
         {"tsc \"scan a\"", "virus \"Worm.X\"", "tsc \"Scan Zo\xc3\xab\"", "virus \"Trojan.Y\"",
          "update \"engine\""}},
        {L"query all 2024-03-01 --where kind=TSC", {"tsc \"scan a\"", "tsc \"Scan Zo\xc3\xab\""}},
        {L"query 1 2024-03-01 --where dwNumber=0x12", {"virus \"Trojan.Y\""}}, // LogType 1: virus
        {L"query virus 2024-03-01 --where dwNumber=18 --where nValue1=0", {}},
        {L"query virus 2024-03-01 --where SZTHREATNAME=worm.x", {"virus \"Worm.X\""}},
        {L"query all --from 2024-03-01 --to 2024-03-02 --match SCAN",
         {"tsc \"scan a\"", "tsc \"Scan Zo\xc3\xab\""}},
        {L"query all --from 2024-03-01 --to 2024-03-02 --match ZO\u00cb", {"tsc \"Scan Zo\xc3\xab\""}},
        {L"query all --from 2024-03-01T08:00 --to 2024-03-01T09:00",
         {"virus \"Worm.X\"", "tsc \"Scan Zo\xc3\xab\""}},
        {L"query all --from \"2024-03-01 09:00:01\" --to 2024-03-02T06:00:00",
         {"virus \"Trojan.Y\"", "update \"engine\""}},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(Utf8(c.args));
        std::vector<std::string> kept;
        const Json doc = RunJson(c.args);
        for (const Json& record : doc.at("records"))
        {
            const char* field = record.contains("szThreatName") ? "szThreatName"
                                : record.contains("szText2")    ? "szText2"
                                                                : "szText1";
            kept.push_back((record.contains("kind") ? record.at("kind").get<std::string>() : "virus") + " " +
                           record.at(field).dump());
        }
        EXPECT_EQ(c.kept, kept);
    }
}

TEST_F(NqHostFilter, DamagedLinesAreCountedByQueryExportAndTailAndEachIdNamesItsLinesOffset)
{
    // Four events among lines the reader skips (no "|", empty, too long, a null and the line after it, a cut
    // last line) and lines it makes records of that do not fit a tsc line (a bare LF, no time).
    const std::wstring day = TestSupport::DateText(TestSupport::Today());
    const std::wstring body = day + L"|080000|a|1\r\nno separator\r\n\r\n" + day + L"|080001|b|2\r\n" + day +
                              L"|080002|" + std::wstring(2100, L'x') + L"|3\r\n" + day + L"|080003|c|4\r\n" +
                              day + std::wstring(L"|080004|n\0ull|5\r\n", 18) + day + L"|080005|after|6\r\n" +
                              day + L"|080006|bare|7\n" + day + L"|08h007|t|8\r\n" + day +
                              L"|080008|d|9\r\n" + day + L"|080009|cut";
    WriteDayFile(day + L".PTG", body);
    Json query = RunJson(L"query tsc");
    std::string texts;
    for (const Json& record : query.at("records"))
        texts += record.at("szText1").get<std::string>();
    EXPECT_EQ("abcd", texts);
    EXPECT_EQ(8, query.at("damagedLines").at(0).at("skipped")) << query.dump(1);

    std::wstring from = day;
    Json exported = RunJson(L"export tsc --from " + from.insert(6, L"-").insert(4, L"-") + L" --output \"" +
                            inputs.Path() + L"out.jsonl\"");
    EXPECT_EQ(8, exported.at("damagedLines").at(0).at("skipped")) << exported.dump(1);
    // Each id names the byte offset of the line its record was read from, whatever damage came before.
    for (const Json& record : ParseJsonLines(ReadText(inputs.Path() + L"out.jsonl")))
    {
        const std::string id = record.at("id"), text = record.at("szText1");
        const size_t at = std::stoul(id.substr(id.find('-', 4) + 1)) / 2 - 1; // in characters, after the mark
        EXPECT_EQ(day + L"|", body.substr(at, 9)) << id;
        EXPECT_EQ(L"|" + NqHost::Text::FromUtf8(text) + L"|", body.substr(at + 15, text.size() + 2)) << id;
    }

    NqHostRun tail = Run(L"tail tsc --lines 10 --for 1");
    EXPECT_TRUE(tail.Says("nqhost: 8 damaged lines skipped in " + Utf8(sandbox.LogFolder() + day + L".PTG")))
        << tail.output;
    EXPECT_TRUE(tail.Says("szText1=d")) << tail.output;
}

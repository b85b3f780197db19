// Texts come from outside: nothing nqhost prints may act on a terminal or run in a spreadsheet.
#include "NqHostTest.h"

using namespace NqHostTest;

namespace
{
// A URL event whose address carries terminal controls: ESC sequences, BEL, a C1 CSI, tab, a bidi override,
// a line separator, a right-to-left mark and a literal "\x1b"; its other text is a path of 200 characters.
const char kHostileEvent[] =
    R"({"kind":"url","dwCode":1,"tsText1":"http://x/\u001b[2J\u0007\u009b31m\t\u202egnp.exe\u2028\u200f\\x1b",)"
    R"("tsText2":"C:\\)";
} // namespace

using NqHostInjection = NqHostFixture;

TEST_F(NqHostInjection, ControlCharactersReachNoTerminal)
{
    std::string line = std::string(kHostileEvent) + std::string(197, 'p') + "\"}\n";
    ASSERT_EQ(0, Run(L"store --jsonl " + InputFile(line)).exitCode);
    // Escaped as the control characters are, a literal backslash doubled, the path whole off a console.
    const std::string escaped = "http://x/\\x1b[2J\\x07\\x9b31m\\x09\\u202egnp.exe\\u2028\\u200f\\\\x1b";
    NqHostRun query = Run(L"query url");
    EXPECT_TRUE(query.Says(escaped)) << query.output;
    EXPECT_TRUE(query.Says("C:\\\\" + std::string(197, 'p'))) << query.output;
    const Json record = RunJson(L"query url").at("records").at(0);
    EXPECT_EQ("http://x/\x1b[2J\x07\xC2\x9B"
              "31m\t\xE2\x80\xAEgnp.exe\xE2\x80\xA8\xE2\x80\x8F\\x1b",
              record.at("tsText1"))
        << "JSON stays exact";
    EXPECT_EQ("C:\\" + std::string(197, 'p'), record.at("tsText2"));

    NqHostRun tail = Run(L"tail url --lines 1 --for 1");
    EXPECT_TRUE(tail.Says(escaped)) << tail.output;
}

TEST_F(NqHostInjection, CsvCellsThatWouldRunAsFormulasAreNeutralisedUnlessRaw)
{
    std::string lines;
    for (const char* text :
         {"=HYPERLINK(\\\"http://evil/\\\",\\\"x\\\")", "+1+1", "-2+3", "@SUM(A1)", "\\tx", "\\rx", "ok"})
        lines +=
            std::string(R"({"kind":"url","dwCode":1,"nValue":-5,"tsText2":"c","tsText1":")") + text + "\"}\n";
    ASSERT_EQ(0, Run(L"store --jsonl " + InputFile(lines)).exitCode);

    auto cells = [&](const std::wstring& extra)
    {
        EXPECT_EQ(
            0, Run(L"export url --format csv --output \"" + inputs.Path() + L"out.csv\"" + extra).exitCode);
        return ReadText(inputs.Path() + L"out.csv");
    };
    const std::string safe = cells(L"");
    for (size_t at = safe.find('\n'); at != std::string::npos; at = safe.find('\n', at + 1))
        EXPECT_EQ('\r', safe[at - 1]) << "rows end in CR LF";
    for (const char* cell : {",\"'=HYPERLINK(\"\"http://evil/\"\",\"\"x\"\")\",", ",\"'+1+1\",",
                             ",\"'-2+3\",", ",\"'@SUM(A1)\",", ",\"'\tx\",", ",\"'\rx\",", ",ok,", ",-5,"})
        EXPECT_NE(std::string::npos, safe.find(cell)) << cell << " in\n" << safe;
    const std::string raw = cells(L" --csv-raw");
    for (const char* cell : {",+1+1,", ",-2+3,", ",@SUM(A1),", ",\tx,", ",\"\rx\","})
        EXPECT_NE(std::string::npos, raw.find(cell)) << cell << " in\n" << raw;
}

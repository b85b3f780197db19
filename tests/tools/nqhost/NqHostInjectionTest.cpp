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
const std::string kLongPath = "C:\\" + std::string(197, 'p');

// The first raw control character in UTF-8 text other than the line end: C0, DEL, C1, bidi controls.
std::string RawControl(const std::string& text)
{
    for (size_t i = 0; i < text.size(); ++i)
    {
        const unsigned char c = text[i];
        const unsigned char next = i + 1 < text.size() ? text[i + 1] : 0;
        const unsigned char third = i + 2 < text.size() ? text[i + 2] : 0;
        if ((c < 0x20 && c != '\n' && c != '\r') || c == 0x7F ||
            (c == 0xC2 && next >= 0x80 && next <= 0x9F) ||
            (c == 0xE2 && next == 0x80 &&
             ((third >= 0xA8 && third <= 0xAE) || third == 0x8E || third == 0x8F)))
            return "at " + std::to_string(i) + " of: " + text;
    }
    return "";
}
} // namespace

using NqHostInjection = NqHostFixture;

TEST_F(NqHostInjection, ControlCharactersReachNoTerminal)
{
    std::string line = std::string(kHostileEvent) + std::string(197, 'p') + "\"}\n";
    ASSERT_EQ(0, Run(L"store --jsonl " + InputFile(line)).exitCode);
    NqHostRun query = Run(L"query url");
    EXPECT_EQ("", RawControl(query.output));
    // Escaped as the control characters are, a literal backslash doubled, the path whole off a console.
    EXPECT_TRUE(query.Says("http://x/\\x1b[2J\\x07\\x9b31m\\x09\\u202egnp.exe\\u2028\\u200f\\\\x1b"))
        << query.output;
    EXPECT_TRUE(query.Says("C:\\\\" + std::string(197, 'p'))) << query.output;
    const Json record = RunJson(L"query url").at("records").at(0);
    EXPECT_EQ("http://x/\x1b[2J\x07\xC2\x9B"
              "31m\t\xE2\x80\xAEgnp.exe\xE2\x80\xA8\xE2\x80\x8F\\x1b",
              record.at("tsText1"))
        << "JSON stays exact";
    EXPECT_EQ(kLongPath, record.at("tsText2"));

    NqHostRun tail = Run(L"tail url --lines 1 --for 1");
    EXPECT_EQ("", RawControl(tail.output));
    EXPECT_TRUE(tail.Says("\\x1b[2J")) << tail.output;
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
    for (const char* cell : {",\"'=HYPERLINK(\"\"http://evil/\"\",\"\"x\"\")\",", ",\"'+1+1\",",
                             ",\"'-2+3\",", ",\"'@SUM(A1)\",", ",\"'\tx\",", ",\"'\rx\",", ",ok,", ",-5,"})
        EXPECT_NE(std::string::npos, safe.find(cell)) << cell << " in\n" << safe;
    const std::string raw = cells(L" --csv-raw");
    for (const char* cell : {",+1+1,", ",-2+3,", ",@SUM(A1),", ",\tx,", ",\"\rx\","})
        EXPECT_NE(std::string::npos, raw.find(cell)) << cell << " in\n" << raw;
}

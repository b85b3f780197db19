// Stores that say what the log file does with each field, and many events in one run.
#include "NqHostTest.h"

#include <map>
#include <set>

using namespace NqHostTest;

namespace
{
// One event and the given fields that do not come back as given, written from the day file's lines:
// which member each place of a kind's line holds, under which layout, and how the reader takes it.
struct StoreCase
{
    std::string event; // a JSON object's members
    std::set<std::string> lost;
};

const std::string k131(131, 'n'), k127(127, 't'), k31(31, 'v');

const StoreCase kCases[] = {
    {R"("kind":"url","dwCode":"0x1a","nValue":4,"tsText1":"a","tsText2":"b","tsText4":"t4")", {"tsText4"}},
    {R"("kind":"url","dwCode":"0x80","nValue":4,"tsText1":"a","tsText2":"b","tsText4":"t4","dwNumber":5)",
     {"nValue", "tsText2", "dwNumber"}},
    {R"("kind":"url","dwCode":128,"tsText4":"x")", {}},
    {R"("kind":"url","dwCode":"0x80000000","tsText1":"a")", {"dwCode"}},
    {R"("kind":"privacy","dwType":2,"tsText1":"x","tsText2":"p","tsText4":"q","tsText6":"r")", {"tsText4"}},
    {R"("kind":"privacy","dwType":3,"tsText2":"p","tsText4":"q","tsText5":"s")", {"tsText2", "tsText5"}},
    {R"("kind":"privacy","dwType":"0x100003","tsText5":"s","tsText6":"r","tsText3":"t")",
     {"tsText6", "tsText3"}},
    {R"("kind":"privacy","dwType":9)", {}},
    {R"("kind":"phishing","dwCode":128,"nValue2":7,"tsText1":"u","tsText2":"v","tsText3":"w")",
     {"tsText2", "tsText3"}},
    {R"("kind":"phishing","dwCode":5,"nValue2":7,"tsText2":"v","tsText3":"w")", {"nValue2"}},
    {R"("kind":"history","dwKind":0,"dwValue":3,"dwCount":42,"qwAmount":9)", {"qwAmount"}},
    {R"("kind":"history","dwKind":1,"dwValue":3,"dwCount":42,"qwAmount":5000000000)",
     {"dwCount", "qwAmount"}},
    {R"("kind":"history","dwKind":2,"dwValue":3,"dwCount":4)", {"dwKind", "dwValue", "dwCount"}},
    {R"("kind":"history","dwKind":7)", {"dwKind"}},
    {R"("kind":"history","dwKind":0,"dwValue":3000000000,"dwCount":7)", {"dwValue"}},
    {R"("kind":"spyware","szText3":"t3","nValue2":5,"szText1":"n","szItem":"i","dwCode":1)",
     {"szText3", "nValue2", "dwCode"}},
    {R"("kind":"change","nType":3,"szItem":"it","szText4":"x4","szPath":"P","szText1":"T","nValue3":2)",
     {"nType", "szItem", "szText4"}},
    {R"("kind":"change","nType":4,"dwFlag":1,"szItem":"i")", {"dwFlag", "nType", "szItem"}},
    {R"("kind":"change","nType":1,"nValue2":5)", {"nType", "nValue2"}},
    {(std::string(R"("kind":"virus","dwNumber":18,"szFilePath":"C:\\f","szDetail":"d","szThreatName":")") +
      k131 + "\""),
     {"dwNumber", "szThreatName", "szFilePath", "szDetail"}},
    {R"("kind":"virus","dwNumber":9,"szThreatName":"N","szFilePath":"C:\\g|h","nValue1":-1)", {}},
    {(std::string(R"("kind":"vulnerability","nValue1":12345678,"nValue2":-5,"szName":")") + k31 + "\""),
     {"nValue1", "szName"}},
    {(std::string(R"("kind":"tsc","nValue1":5,"szText1":")") + k127 + "\""), {"szText1"}},
    {R"("kind":"tsc","nValue1":-1,"szText1":"x\r\ny")", {}},
    {(std::string(R"("kind":"update","nValue1":1,"szText2":"e","szText1":")") + k31 + "\""), {"szText1"}},
};

bool SameValue(const Json& given, const Json& back)
{
    if (given.is_string() && back.is_number_integer())
        return strtoll(given.get<std::string>().c_str(), nullptr, 0) == back.get<long long>();
    return given == back;
}
} // namespace

using NqHostStore = NqHostFixture;

TEST_F(NqHostStore, EachFieldWarnsExactlyWhenTheDayFileDoesNotGiveItBack)
{
    std::string lines;
    for (const StoreCase& c : kCases)
        lines += "{" + c.event + "}\n";
    Json doc = RunJson(L"store --jsonl " + InputFile(lines));
    ASSERT_EQ(static_cast<long long>(std::size(kCases)), doc.at("values").at("stored").get<long long>());
    std::map<size_t, std::set<std::string>> warned;
    for (const Json& warning : doc.value("warnings", Json::array()))
    {
        std::string text = warning;
        size_t colon = text.find(": ");
        warned[std::stoul(text.substr(5, colon - 5))].insert(
            text.substr(colon + 2, text.find(' ', colon + 2) - colon - 2));
    }

    std::map<std::string, std::vector<Json>> stored;
    for (const char* kind : {"url", "privacy", "phishing", "history", "spyware", "change", "virus",
                             "vulnerability", "tsc", "update"})
    {
        const Json records = RunJson(L"query " + NqHost::Text::FromUtf8(kind)).at("records");
        stored[kind].assign(records.begin(), records.end());
    }
    std::map<std::string, size_t> next;
    for (size_t i = 0; i < std::size(kCases); ++i)
    {
        const Json event = Json::parse("{" + kCases[i].event + "}");
        const std::string kind = event.at("kind");
        SCOPED_TRACE(kCases[i].event);
        ASSERT_LT(next[kind], stored[kind].size());
        const Json& back = stored[kind][next[kind]++];
        std::set<std::string> lost;
        for (const auto& member : event.items())
            if (member.key() != "kind" &&
                !(back.contains(member.key()) && SameValue(member.value(), back[member.key()])))
                lost.insert(member.key());
        EXPECT_EQ(kCases[i].lost, lost) << "what the day file gave back: " << back.dump();
        EXPECT_EQ(kCases[i].lost, warned[i + 1]) << doc.dump(1);
    }
    // Every form of line the plug-in wrote fits the layouts check judges lines by.
    NqHostRun check = Run(L"check");
    EXPECT_EQ(0, check.exitCode) << check.output;
    EXPECT_TRUE(check.Says("10 day files, all clean")) << check.output;
}

TEST_F(NqHostStore, ThousandEventsFromStandardInputStoreAroundOneMalformedLine)
{
    std::string lines;
    for (int i = 1; i <= 1001; ++i)
        lines += i == 500 ? std::string("{\"kind\":\"tsc\",\"szText1\":\"cut\n")
                          : "{\"kind\":\"tsc\",\"szText1\":\"e" + std::to_string(i) +
                                (i % 2 ? "\"}\r\n" : "\"}\n");
    InputFile(lines);
    const NqHostRun run =
        RunShell("$WINE \"$NQHOST\" store --jsonl - <'" + UnixPath(inputs.Path() + L"in.jsonl") + "'");
    EXPECT_EQ(1, run.exitCode) << run.output;
    EXPECT_TRUE(run.Says("line 500: not valid JSON at byte 29: ")) << run.output;
    EXPECT_TRUE(run.Says("stored: 1000")) << run.output;
    // What a PowerShell 5.1 redirect writes: UTF-16 with its mark, refused whole with the fix.
    const std::wstring wide = L"\xFEFF{\"kind\":\"tsc\",\"szText1\":\"w\"}\r\n";
    ASSERT_TRUE(TestSupport::WriteFileBytes(inputs.Path() + L"utf16.jsonl", wide));
    NqHostRun utf16 = Run(L"store --jsonl \"" + inputs.Path() + L"utf16.jsonl\"");
    EXPECT_EQ(1, utf16.exitCode) << utf16.output;
    EXPECT_TRUE(utf16.Says("begins with a UTF-16 byte-order mark: JSON Lines are UTF-8")) << utf16.output;
    const Json records = RunJson(L"query tsc").at("records");
    ASSERT_EQ(1000u, records.size());
    EXPECT_EQ("e1001", records.back().at("szText1"));
}

// check reads day files' bytes and names each kind of damage with its line.
#include "NqHostTest.h"

#include <set>

using namespace NqHostTest;

using NqHostCheck = NqHostFixture;

TEST_F(NqHostCheck, EachDamageIsReportedWithItsLineAndACleanDayWithNone)
{
    WriteDayFile(L"20240228.PTG", L"20240228|080000|a|1\r\n20240228|090000|b|2\r\n");
    // Line 1 is as long as the reader takes; line 3 one character longer.
    WriteDayFile(L"20240229.PTG", L"20240229|080000|" + std::wstring(2026, L'o') +
                                      L"|1\r\n"
                                      L"no separator\r\n" +
                                      (L"20240229|080001|" + std::wstring(2027, L'x') + L"|1\r\n") +
                                      L"\xFEFF"
                                      L"20240229|080002|mark|1\r\n"
                                      L"20240229|080003|\xD800x|1\r\n" // a text may hold a lone half
                                      L"20240229|080004|cut");
    WriteDayFile(L"20240301.PTG", L"20240301|070000|c|3\r\n", false);

    Json doc = RunJson(L"check tsc --from 2024-02-28 --to 2024-03-01", 1);
    std::set<std::pair<long long, std::string>> found;
    for (const Json& problem : doc.at("problems"))
    {
        std::string path = problem.at("path"), text = problem.at("problem");
        std::string file = path.substr(path.size() - 12);
        // The first words name the damage.
        found.insert({problem.at("line").get<long long>() + (file == "20240301.PTG" ? 100 : 0),
                      text.substr(0, text.find_first_of(":(,"))});
    }
    const std::set<std::pair<long long, std::string>> expected = {
        {2, "no \"|\" in the line"},
        {3, "a line of 2047 characters with its line end"},
        {4, "a byte-order mark at the start of the line"},
        {6, "the last line has no line end "},
        {101, "no byte-order mark at the start "},
    };
    EXPECT_EQ(expected, found) << doc.dump(1);
    EXPECT_EQ(0, doc.at("files").at(0).at("problems"));
    EXPECT_EQ(6, doc.at("files").at(1).at("lines"));
}

TEST_F(NqHostCheck, FileAsFolderFailsAndNamesThePluginNeverReadsAreListed)
{
    const std::wstring folderAsFile = sandbox.LogFolder().substr(0, sandbox.LogFolder().size() - 1);
    ASSERT_TRUE(TestSupport::WriteFileBytes(folderAsFile, "x", 1));
    NqHostRun file = Run(L"check");
    EXPECT_EQ(1, file.exitCode) << file.output;
    EXPECT_TRUE(file.Says("is a file, not a folder")) << file.output;
    ASSERT_TRUE(DeleteFileW(folderAsFile.c_str()));

    WriteDayFile(L"20260301.VLG", L"20260301|080000|00000001|00000000|2|1|N|C:\\f|0|0|0|0\r\n");
    WriteDayFile(L"20260230.VLG", L"x\r\n");
    WriteDayFile(L"2026023.vlg", L"x\r\n");
    Json doc = RunJson(L"check virus", 1);
    EXPECT_EQ((std::vector<std::string>{Utf8(sandbox.LogFolder() + L"2026023.vlg"),
                                        Utf8(sandbox.LogFolder() + L"20260230.VLG")}),
              Paths(doc.at("misnamedFiles")));
    EXPECT_EQ(0, doc.at("files").at(0).at("problems")) << "the well-named file is clean";
}

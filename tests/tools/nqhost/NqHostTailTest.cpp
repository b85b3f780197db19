// tail follows today's file while another process stores events.
#include "NqHostTest.h"

#include <algorithm>
#include <map>
#include <memory>
#include <random>
#include <set>

using namespace NqHostTest;

using NqHostTail = NqHostFixture;

TEST_F(NqHostTail, PrintsTheLastRecordsThenOneAnotherProcessStores)
{
    ASSERT_EQ(0, Run(L"store tsc szText1=older nValue1=1").exitCode);
    ASSERT_EQ(0, Run(L"store tsc szText1=before nValue1=2").exitCode);
    // The sandbox has waited out the end of the day: "before" is in today's file.
    TestSupport::ChildProcess tail(
        CommandLine(L"tail tsc --lines 1 --format jsonl --max-records 2 --for 60"));
    ASSERT_TRUE(tail.WaitFor("following ", 30000)) << tail.output;

    ASSERT_EQ(0, Run(L"store tsc szText1=after nValue1=3").exitCode);
    EXPECT_TRUE(tail.WaitFor("szText1\":\"after", 30000)) << tail.output;
    EXPECT_EQ(0, tail.Exit(30000)) << "the second record ends it";
    std::vector<std::string> texts;
    std::istringstream lines(tail.output);
    for (std::string line; std::getline(lines, line);)
        if (line.rfind("{\"kind\"", 0) == 0)
            texts.push_back(Json::parse(line).at("szText1"));
    EXPECT_EQ((std::vector<std::string>{"before", "after"}), texts) << tail.output;
}

namespace
{
// The cursor's entries ("kind day count lastId whole" between its header and "end N"); fails the test when
// the file is not whole.
std::map<std::string, std::string> ReadCursor(const std::wstring& path)
{
    std::map<std::string, std::string> lastIds;
    if (!TestSupport::FileExists(path))
        return lastIds; // not saved yet
    std::istringstream lines(ReadText(path));
    std::string line;
    EXPECT_TRUE(std::getline(lines, line) && line == "nqhost-cursor 2") << line;
    while (std::getline(lines, line))
    {
        std::istringstream words(line);
        std::string kind, day, count, id;
        words >> kind >> day;
        if (kind == "end")
            return std::stoul(day) == lastIds.size() ? lastIds : std::map<std::string, std::string>{{"", ""}};
        EXPECT_TRUE(words >> count >> id) << line;
        lastIds[kind + " " + day] = id;
    }
    ADD_FAILURE() << "the cursor has no end line";
    return lastIds;
}
} // namespace

TEST_F(NqHostTail, CursorResumesAfterHardKillsLosingNothingAndRepeatingOnlyTheUnsavedBatch)
{
    TestSupport::TempFolder folder;
    const std::wstring cursor = folder.Path() + L"tail.cursor";
    const std::wstring follow =
        L"tail tsc --lines 0 --format jsonl --schema ecs --cursor \"" + cursor + L"\"";
    std::vector<std::unique_ptr<TestSupport::ChildProcess>> writers;

    std::mt19937 random(21);
    std::vector<std::vector<std::string>> rounds;
    std::set<std::string> unsaved; // delivered after the cursor the kill left behind: may come again
    std::map<std::string, int> seen;
    for (int round = 0; round <= 20; ++round)
    {
        TestSupport::ChildProcess tail(CommandLine(follow + (round == 20 ? L" --for 3" : L"")));
        if (round == 0)
        {
            // The first follow starts at the end of the day (--lines 0); the writers come after it.
            ASSERT_TRUE(tail.WaitFor("following ", 30000)) << tail.output;
            for (const wchar_t* tag : {L"A", L"B"})
                writers.push_back(std::make_unique<TestSupport::ChildProcess>(
                    L"\"" + TestSupport::BinFolder() + L"records_writer.exe\" store " + tag + L" 300",
                    false));
        }
        if (round < 20)
        {
            tail.WaitFor("\x01", std::uniform_int_distribution<DWORD>(50, 900)(random));
            tail.Kill();
        }
        else
        {
            for (auto& writer : writers)
                EXPECT_TRUE(writer->Ended(120000));
            EXPECT_EQ(0, tail.Exit(60000)) << tail.output;
        }
        std::vector<std::string> ids;
        for (const Json& document : ParseJsonLines(tail.output))
            ids.push_back(document.at("event").at("id"));
        for (const std::string& id : ids)
            if (seen[id]++ && !unsaved.count(id))
                ADD_FAILURE() << id << " came again in round " << round
                              << " though a saved cursor covered it";
        // What this round delivered after the cursor it left is the batch a restart may send again.
        const std::map<std::string, std::string> last = ReadCursor(cursor);
        unsaved.clear();
        if (!last.empty())
        {
            auto saved = std::find(ids.begin(), ids.end(), last.begin()->second);
            unsaved.insert(saved == ids.end() ? ids.begin() : saved + 1, ids.end());
        }
    }
    size_t stored = 0;
    for (const auto& [id, count] : seen)
        stored += id.rfind("tsc-", 0) == 0 ? 1 : 0;
    EXPECT_EQ(600u, stored) << "every event of the two writers arrived";
}

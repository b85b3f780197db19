// tail follows today's file while another process stores events.
#include "KvComn_Handle.h"
#include "NqHostTest.h"

#include <algorithm>
#include <map>
#include <memory>
#include <random>
#include <set>

using namespace NqHostTest;

using NqHostTail = NqHostFixture;

namespace
{
// The last id of the saved cursor's first entry ("" before the first save); a cut file fails the test.
std::string SavedId(const std::wstring& path)
{
    if (!TestSupport::FileExists(path))
        return "";
    std::istringstream lines(ReadText(path));
    std::string line, first, kind, day, count, id;
    size_t entries = 0;
    EXPECT_TRUE(std::getline(lines, line) && line == "nqhost-cursor 2") << line;
    while (std::getline(lines, line) && line.rfind("end ", 0) != 0)
        if (entries++ == 0)
            first = line;
    EXPECT_EQ("end " + std::to_string(entries), line) << "the cursor is cut";
    std::istringstream(first) >> kind >> day >> count >> id;
    return id;
}

// The texts of the tsc records in a follow's JSON Lines.
std::vector<std::string> Texts(const std::string& output)
{
    std::vector<std::string> texts;
    for (const Json& record : ParseJsonLines(output))
        texts.push_back(record.at("szText1"));
    return texts;
}
} // namespace

TEST_F(NqHostTail, CursorResumesAfterHardKillsLosingNothingAndRepeatingOnlyTheUnsavedBatch)
{
    // Of a kind the last follow adds: it starts without a cursor entry, at today's last --lines (none).
    ASSERT_EQ(0, Run(L"store virus szThreatName=before").exitCode);
    const std::wstring cursor = inputs.Path() + L"tail.cursor";
    const std::wstring follow = L" --lines 0 --format jsonl --schema ecs --cursor \"" + cursor + L"\"";
    std::vector<std::unique_ptr<TestSupport::ChildProcess>> writers;

    std::mt19937 random(21);
    std::set<std::string> unsaved; // delivered after the cursor the kill left behind: may come again
    std::map<std::string, int> seen;
    for (int round = 0; round <= 20; ++round)
    {
        // The last follow adds a kind the cursor has no entry for: tsc resumes all the same.
        TestSupport::ChildProcess tail(
            CommandLine(round < 20 ? L"tail tsc" + follow : L"tail all --for 3" + follow));
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
        const std::string last = SavedId(cursor);
        unsaved.clear();
        if (!last.empty())
        {
            auto saved = std::find(ids.begin(), ids.end(), last);
            unsaved.insert(saved == ids.end() ? ids.begin() : saved + 1, ids.end());
        }
    }
    EXPECT_EQ(600u, seen.size()) << "every event of the two writers arrived, and nothing else";
}

TEST_F(NqHostTail, ALateWriterOfYesterdaysFileIsDeliveredByTheFollowAndAfterARestart)
{
    const std::wstring cursor = inputs.Path() + L"late.cursor";
    const std::wstring day = sandbox.LogFolder() + L"20310304.PTG";
    WriteDayFile(L"20310304.PTG", L"");
    auto append = [&](const std::wstring& line)
    {
        KvCommon::UniqueFileHandle file(
            CreateFileW(day.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
        DWORD written = 0;
        EXPECT_TRUE(
            WriteFile(file.get(), line.data(), static_cast<DWORD>(line.size() * 2), &written, nullptr));
    };
    // The follow's clock starts where the test says; the writer's lines go into the day it chose.
    auto follow = [&](const wchar_t* clock, const wchar_t* options = L"")
    {
        SetEnvironmentVariableW(L"NQ_CLOCK_START", clock);
        auto child = std::make_unique<TestSupport::ChildProcess>(CommandLine(
            L"tail tsc --lines 0 --format jsonl --for 30 --cursor \"" + cursor + L"\" " + options));
        SetEnvironmentVariableW(L"NQ_CLOCK_START", nullptr);
        return child;
    };

    // Ends by itself after the second event, its cursor saved.
    auto before = follow(L"20310304235958", L"--max-records 2");
    ASSERT_TRUE(before->WaitFor("20310304.PTG (Ctrl-C", 30000)) << before->output;
    append(L"20310304|235958|first|1\r\n");
    ASSERT_TRUE(before->WaitFor("first", 30000)) << before->output;
    ASSERT_TRUE(before->WaitFor("20310305.PTG", 30000)) << before->output;
    append(L"20310304|235959|late|2\r\n"); // a writer that waited past midnight for the file
    EXPECT_EQ(0, before->Exit(30000)) << before->output;

    auto killed = follow(L"20310304235959");
    ASSERT_TRUE(killed->WaitFor("20310305.PTG", 30000)) << killed->output;
    killed->Kill();
    append(L"20310304|235959|later|3\r\n"); // while nothing follows
    auto after = follow(L"20310305000100");
    ASSERT_TRUE(after->WaitFor("later", 30000)) << after->output;
    after->Kill();
    EXPECT_EQ((std::vector<std::string>{"first", "late"}), Texts(before->output));
    EXPECT_EQ(std::vector<std::string>{}, Texts(killed->output));
    EXPECT_EQ(std::vector<std::string>{"later"}, Texts(after->output));
}

TEST_F(NqHostTail, AFollowWhoseOutputClosesEndsWithExitCodeOne)
{
    // head takes one byte and goes; the next event cannot be written.
    ASSERT_TRUE(CreateDirectoryW(sandbox.LogFolder().c_str(), nullptr)) << "a follow needs its folder";
    NqHostRun run = RunShell(
        "dir=$(mktemp -d)\n"
        "{ $WINE \"$NQHOST\" tail tsc --lines 0 --format jsonl --for 60 2>\"$dir/err\";"
        " echo $? >\"$dir/rc\"; } | head -c 1 >/dev/null &\n"
        "for i in $(seq 300); do grep -q following \"$dir/err\" 2>/dev/null && break; sleep 0.1; done\n"
        "i=0; while [ ! -s \"$dir/rc\" ] && [ $i -lt 100 ]; do\n"
        "  $WINE \"$NQHOST\" store tsc szText1=x nValue1=$i >/dev/null; i=$((i+1)); done\n"
        "wait; cat \"$dir/err\"; echo \"tail exit $(cat \"$dir/rc\")\"; rm -r \"$dir\"");
    EXPECT_TRUE(run.Says("tail exit 1")) << run.output;
    EXPECT_TRUE(run.Says("writing standard output failed")) << run.output;
}

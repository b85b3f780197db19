// tail follows today's file while another process stores events.
#include "NqHostTest.h"

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

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <regex>

// A host compiled as C calls every slot by its number; a slot one entry off returns the wrong code, and a
// destructor counted twice deletes the object at slot 1, so the next call crashes the host.
TEST(CHostTest, HostThatKnowsOnlyTheSlotNumbersDrivesBothObjects)
{
    TestSupport::EventLogSandbox sandbox;
    std::string output;
    EXPECT_EQ(0, TestSupport::RunProcess(L"\"" + TestSupport::BinFolder() + L"c_host.exe\"", 120000, &output))
        << output;

    // StoreData reached the tsc log: one line in the file of the day the host ran.
    const std::vector<std::wstring> days = TestSupport::ListFiles(sandbox.LogFolder(), L"*.PTG");
    ASSERT_EQ(1u, days.size());
    const std::wstring text = TestSupport::ReadUtf16File(sandbox.LogFolder() + days[0]);
    std::wsmatch match;
    ASSERT_TRUE(
        std::regex_match(text, match, std::wregex(LR"(\uFEFF(\d{8})\|\d{6}\|from a C host\|4711\r\n)")))
        << text;
    EXPECT_EQ(days[0], match[1].str() + L".PTG");
}

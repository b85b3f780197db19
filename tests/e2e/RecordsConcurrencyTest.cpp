#include "E2EHost.h"

#include <regex>
#include <set>
#include <sstream>
#include <thread>

namespace
{
struct WriterRun
{
    long exitCode = -1, successes = -1, failures = -1, other = -1;
};

WriterRun RunWriter(const wchar_t* tag, int count)
{
    WriterRun run;
    std::string output;
    const std::wstring command = L"records_writer.exe " + std::wstring(tag) + L" " + std::to_wstring(count);
    run.exitCode = TestSupport::RunProcess(TestSupport::BinFolder() + command, 300000, &output);
    std::istringstream(output) >> run.successes >> run.failures >> run.other;
    return run;
}
} // namespace

using RecordsConcurrencyTest = E2E::NorquillTest;

TEST_F(RecordsConcurrencyTest, TwoProcessesWritingAtOnceLoseWholeEventsOnly)
{
    const int count = 2000;
    WriterRun a, b;
    std::thread first([&] { a = RunWriter(L"A", count); });
    b = RunWriter(L"B", count);
    first.join();
    ASSERT_EQ(0, a.exitCode);
    ASSERT_EQ(0, b.exitCode);
    EXPECT_EQ(count, a.successes + a.failures);
    EXPECT_EQ(count, b.successes + b.failures);
    EXPECT_EQ(0, a.other + b.other);

    const std::wstring text = TestSupport::ReadUtf16File(
        sandbox.LogFolder() + TestSupport::DateText(TestSupport::Today()) + L".PTG");
    ASSERT_EQ(L"\xFEFF", text.substr(0, 1));
    // Whole lines "YYYYMMDD|HHMMSS|<writer>-<i>|<i>" from end to end, each event once.
    const std::wregex whole(LR"(\d{8}\|\d{6}\|([AB]-(\d+))\|\2\r\n)");
    std::set<std::wstring> events;
    size_t matched = 1;
    for (std::wsregex_iterator it(text.begin() + 1, text.end(), whole), end; it != end; ++it)
    {
        EXPECT_TRUE(events.insert((*it)[1]).second) << "event written twice";
        matched += it->length();
    }
    EXPECT_EQ(text.size(), matched) << "torn or foreign text";
    EXPECT_EQ(static_cast<size_t>(a.successes + b.successes), events.size());

    EXPECT_EQ(static_cast<size_t>(a.failures + b.failures),
              E2E::CountTrace(trace.Lines(), E2E::kError, L"FileBase::Open() failed: 0x00000020"));
}

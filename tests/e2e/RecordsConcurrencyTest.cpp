#include "E2EHost.h"

#include <regex>
#include <set>
#include <sstream>
#include <thread>

namespace
{
struct WriterRun
{
    int exitCode = -1;
    long successes = -1, failures = -1, other = -1;
};

WriterRun RunWriter(const wchar_t* tag, int count)
{
    WriterRun run;
    std::string output;
    const std::wstring command =
        TestSupport::BinFolder() + L"records_writer.exe " + tag + L" " + std::to_wstring(count);
    run.exitCode = TestSupport::RunProcess(command, 300000, &output);
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
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(L'\xFEFF', text[0]);
    // "YYYYMMDD|HHMMSS|<writer>-<i>|<i>", each event once.
    const std::wregex whole(LR"(\d{8}\|\d{6}\|([AB]-(\d+))\|\2)");
    std::set<std::wstring> events;
    size_t start = 1;
    for (size_t end = text.find(L"\r\n", start); end != std::wstring::npos; end = text.find(L"\r\n", start))
    {
        const std::wstring line = text.substr(start, end - start);
        std::wsmatch match;
        EXPECT_TRUE(std::regex_match(line, match, whole)) << std::string(line.begin(), line.end());
        EXPECT_TRUE(match.empty() || events.insert(match[1]).second) << "event written twice";
        start = end + 2;
    }
    EXPECT_EQ(text.size(), start) << "torn tail";
    EXPECT_EQ(static_cast<size_t>(a.successes + b.successes), events.size());

    // Every lost event left its sharing violation in the trace.
    EXPECT_EQ(static_cast<size_t>(a.failures + b.failures),
              E2E::CountTrace(trace.Lines(), E2E::kError, L"FileBase::Open() failed: 0x00000020"));
}

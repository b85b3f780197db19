#include "E2EHost.h"

#include <set>
#include <sstream>
#include <thread>

using namespace SrvFrwk;

namespace
{
struct WriterRun
{
    int exitCode = -1;
    long successes = -1, failures = -1, other = -1;
};

WriterRun RunWriter(const std::wstring& tag, int count)
{
    WriterRun run;
    std::string output;
    run.exitCode = TestSupport::RunProcess(TestSupport::BinFolder() + L"records_writer.exe " + tag + L" " +
                                               std::to_wstring(count),
                                           300000, &output);
    std::istringstream(output) >> run.successes >> run.failures >> run.other;
    return run;
}

// "YYYYMMDD|HHMMSS|<tag>-<i>|<i>" with a tag of the two writers and a matching number.
bool IsWholeLine(const std::wstring& line)
{
    if (line.size() < 20 || line[8] != L'|' || line[15] != L'|')
        return false;
    const std::wstring rest = line.substr(16);
    const size_t dash = rest.find(L'-'), bar = rest.find(L'|');
    if (dash == std::wstring::npos || bar == std::wstring::npos || bar < dash)
        return false;
    const std::wstring tag = rest.substr(0, dash);
    return (tag == L"A" || tag == L"B") && rest.substr(dash + 1, bar - dash - 1) == rest.substr(bar + 1) &&
           rest.find(L'|', bar + 1) == std::wstring::npos;
}
} // namespace

using RecordsConcurrencyTest = E2E::NorquillTest;

TEST_F(RecordsConcurrencyTest, TwoProcessesWritingAtOnceLoseWholeEventsOnly)
{
    TestSupport::TraceSandbox trace;
    const int count = 2000;
    WriterRun a, b;
    std::thread first([&] { a = RunWriter(L"A", count); });
    std::thread second([&] { b = RunWriter(L"B", count); });
    first.join();
    second.join();
    ASSERT_EQ(0, a.exitCode);
    ASSERT_EQ(0, b.exitCode);
    EXPECT_EQ(count, a.successes + a.failures);
    EXPECT_EQ(count, b.successes + b.failures);
    EXPECT_EQ(0, a.other + b.other);

    const std::wstring text = TestSupport::ReadUtf16File(
        sandbox.LogFolder() + TestSupport::DateText(TestSupport::Today()) + L".PTG");
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(L'\xFEFF', text[0]);
    std::set<std::wstring> lines;
    size_t start = 1;
    for (size_t end = text.find(L"\r\n", start); end != std::wstring::npos; end = text.find(L"\r\n", start))
    {
        const std::wstring line = text.substr(start, end - start);
        EXPECT_TRUE(IsWholeLine(line)) << std::string(line.begin(), line.end());
        EXPECT_TRUE(lines.insert(line.substr(16)).second) << "line written twice";
        start = end + 2;
    }
    EXPECT_EQ(text.size(), start) << "torn tail";
    EXPECT_EQ(static_cast<size_t>(a.successes + b.successes), lines.size());

    // Every lost event left its sharing violation in the trace.
    long refused = 0;
    for (const std::wstring& line : trace.Lines())
        refused += line.find(L"FileBase::Open() failed: 0x00000020") != std::wstring::npos;
    EXPECT_EQ(a.failures + b.failures, refused);
}

// Memory of an export over many days against an export of one day: the host holds one day's records of
// one kind at a time, so thirty days should peak where one day does. Each export runs in a process of its
// own (this program, started again), whose peak working set is read from the process memory counters.
#include "TestSupport.h"
#include "VirusDay.h"
#include "Tool.h"

#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <string>

namespace
{
constexpr int kDays = 30;
constexpr int kRecordsPerDay = 10000;

// Child: one export, then its peak working set in bytes into the figure file.
int RunChild(const std::wstring& from, const std::wstring& to, const std::wstring& output,
             const std::wstring& figure, const std::wstring& registryRoot)
{
    // This program's own start made a private registry for the child; the sandbox is the parent's.
    SetEnvironmentVariableW(NQ_PRIVATE_REGISTRY_VARIABLE, registryRoot.c_str());
    int exitCode = NqHost::RunTool({L"export", L"virus", L"--from", from, L"--to", to, L"--output", output});
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof(counters);
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters));
    std::string text = std::to_string(counters.PeakWorkingSetSize);
    TestSupport::WriteFileBytes(figure, text.data(), text.size());
    return exitCode;
}

// Parent: the peak of a child exporting the days given.
double ChildPeak(const std::wstring& from, const std::wstring& to, const std::wstring& folder)
{
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    const std::wstring figure = folder + L"peak.txt";
    wchar_t root[512] = {};
    GetEnvironmentVariableW(NQ_PRIVATE_REGISTRY_VARIABLE, root, 512);
    std::wstring command = L"\"" + std::wstring(self) + L"\" --child " + from + L" " + to + L" \"" + folder +
                           L"out.jsonl\" \"" + figure + L"\" \"" + root + L"\"";
    std::string report;
    if (TestSupport::RunProcess(command, 600000, &report) != 0)
        std::printf("export of %ls to %ls failed:\n%s\n", from.c_str(), to.c_str(), report.c_str());
    std::vector<BYTE> bytes = TestSupport::ReadFileBytes(figure);
    return std::stod("0" + std::string(bytes.begin(), bytes.end()));
}
} // namespace

int wmain(int argc, wchar_t** argv)
{
    // A child never runs the parent's part, whatever its command line: that would start children again.
    if (argc > 1 && std::wstring(argv[1]) == L"--child")
        return argc == 7 ? RunChild(argv[2], argv[3], argv[4], argv[5], argv[6]) : 2;

    TestSupport::EventLogSandbox sandbox;
    CreateDirectoryW(sandbox.LogFolder().c_str(), nullptr);
    for (int day = 1; day <= kDays; ++day)
    {
        wchar_t date[9];
        _snwprintf_s(date, 9, _TRUNCATE, L"202001%02d", day);
        Bench::WriteVirusDay(sandbox.LogFolder() + date + L".VLG", date, kRecordsPerDay);
    }
    TestSupport::TempFolder work;
    // The day before the first file: loading the plug-in and the host, no record.
    const double none = ChildPeak(L"2019-12-31", L"2019-12-31", work.Path());
    const double one = ChildPeak(L"2020-01-01", L"2020-01-01", work.Path());
    const double thirty = ChildPeak(L"2020-01-01", L"2020-01-30", work.Path());
    const double mb = 1024.0 * 1024.0;
    std::printf(
        "export peak working set: no day %.1f MB, 1 day %.1f MB, %d days %.1f MB (%d records a day)\n",
        none / mb, one / mb, kDays, thirty / mb, kRecordsPerDay);
    std::printf("RATIO export.30d.peak_memory %.2f 1.50\n", (thirty - none) / (one - none));
    return 0;
}

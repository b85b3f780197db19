// Exporting a 100,000-event day as ECS documents against the bare serialisation of the same documents
// with the same JSON library: what reading the day file, the ids, the zoned times and the mapping cost.
#include "TestSupport.h"
#include "Tool.h"

#include <nlohmann/json.hpp>

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

namespace
{
constexpr int kEvents = 100000;
constexpr int kRuns = 3;
using Json = nlohmann::ordered_json;

void WriteVirusDay(const std::wstring& path)
{
    std::wstring text(1, L'\xFEFF');
    for (int i = 0; i < kEvents; ++i)
        text += L"20200101|" + std::to_wstring(10 + i % 12) + L"0807|00000012|0000001a|2|1|" +
                L"Threat.Name." + std::to_wstring(i % 1000) + L"|C:\\Users\\someone\\Downloads\\file_" +
                std::to_wstring(i) + L".exe|0|1|2|3\r\n";
    TestSupport::WriteFileBytes(path, text.data(), text.size() * sizeof(wchar_t));
}

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to)
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return double(to.QuadPart - from.QuadPart) / double(frequency.QuadPart);
}

// What the bare pass starts from: the events' values, already in memory.
struct Event
{
    std::string timestamp, id, zone, host, name, path;
    long long numbers[5];
};

std::vector<Event> EventsOf(const std::string& exported)
{
    std::vector<Event> events;
    std::istringstream lines(exported);
    for (std::string line; std::getline(lines, line);)
    {
        Json d = Json::parse(line);
        const Json& n = d["norquill"]["virus"];
        events.push_back({d["@timestamp"],
                          d["event"]["id"],
                          d["event"]["timezone"],
                          d["host"]["name"],
                          d["rule"]["name"],
                          d["file"]["path"],
                          {n["dwNumber"], n["nValue1"], n["nValue2"], n["nValue3"], n["nValue4"]}});
    }
    return events;
}

// The same documents, key for key, written in the same blocks.
std::string Serialise(const std::vector<Event>& events, const std::wstring& path)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    std::string all, block;
    for (const Event& e : events)
    {
        Json d{{"@timestamp", e.timestamp},
               {"ecs", {{"version", "9.4.0"}}},
               {"event",
                {{"id", e.id},
                 {"kind", "alert"},
                 {"category", {"malware"}},
                 {"type", {"info"}},
                 {"action", "virus-detected"},
                 {"dataset", "norquill.virus"},
                 {"module", "norquill"},
                 {"code", "1"},
                 {"timezone", e.zone}}},
               {"host", {{"name", e.host}}}};
        d["norquill"]["virus"]["dwNumber"] = e.numbers[0];
        d["rule"]["name"] = e.name;
        for (int i = 1; i < 5; ++i)
            d["norquill"]["virus"]["nValue" + std::to_string(i)] = e.numbers[i];
        d["file"]["path"] = e.path;
        block += d.dump(-1, ' ', false, Json::error_handler_t::replace) + "\n";
        if (block.size() >= 65536)
        {
            DWORD written = 0;
            WriteFile(file, block.data(), DWORD(block.size()), &written, nullptr);
            all += block;
            block.clear();
        }
    }
    DWORD written = 0;
    WriteFile(file, block.data(), DWORD(block.size()), &written, nullptr);
    CloseHandle(file);
    return all + block;
}
} // namespace

int wmain()
{
    TestSupport::EventLogSandbox sandbox;
    CreateDirectoryW(sandbox.LogFolder().c_str(), nullptr);
    WriteVirusDay(sandbox.LogFolder() + L"20200101.VLG");
    TestSupport::TempFolder work;
    const std::wstring exported = work.Path() + L"export.jsonl";

    double exportBest = 1e9, bareBest = 1e9;
    std::string exportBytes, bareBytes;
    std::vector<Event> events;
    for (int run = 0; run < kRuns; ++run)
    {
        LARGE_INTEGER a, b, c;
        QueryPerformanceCounter(&a);
        NqHost::RunTool({L"export", L"virus", L"--from", L"2020-01-01", L"--to", L"2020-01-01", L"--schema",
                         L"ecs", L"--output", exported});
        QueryPerformanceCounter(&b);
        exportBest = std::min(exportBest, Seconds(a, b));
        if (events.empty())
        {
            const std::vector<BYTE> bytes = TestSupport::ReadFileBytes(exported);
            exportBytes.assign(bytes.begin(), bytes.end());
            events = EventsOf(exportBytes);
        }
        QueryPerformanceCounter(&b);
        bareBytes = Serialise(events, work.Path() + L"bare.jsonl");
        QueryPerformanceCounter(&c);
        bareBest = std::min(bareBest, Seconds(b, c));
    }
    std::printf(
        "ECS export of %d events: %.3f s (%.0f events/s); bare nlohmann pass: %.3f s (%.0f events/s); "
        "same bytes: %s\n",
        int(events.size()), exportBest, events.size() / exportBest, bareBest, events.size() / bareBest,
        exportBytes == bareBytes ? "yes" : "NO");
    std::printf("RATIO export.100k.events_per_s %.2f 0.70\n", bareBest / exportBest);
    return exportBytes == bareBytes && events.size() == kEvents ? 0 : 1;
}

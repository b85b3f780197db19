// The host's own costs against the plug-in's: storing events from JSON Lines against bare StoreData calls
// on one provider, and printing a large day as a table against exporting it as JSON Lines. Both sides run
// in this process, on the built plug-in, in a sandboxed installation folder.
#include "Commands.h"
#include "RecordKindTable.h"
#include "TestSupport.h"
#include "VirusDay.h"
#include "Tool.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>

namespace
{
constexpr int kEvents = 1000;
constexpr int kQueryRecords = 100000;
constexpr int kRounds = 5;

double Seconds(const std::function<void()>& run)
{
    double best = 1e9;
    for (int round = 0; round < kRounds; ++round)
    {
        auto start = std::chrono::steady_clock::now();
        run();
        best =
            std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    return best;
}

// Standard output and error go to NUL while the tool runs, so the figures hold no console.
class Silence
{
public:
    Silence()
        : m_out(GetStdHandle(STD_OUTPUT_HANDLE)), m_err(GetStdHandle(STD_ERROR_HANDLE)),
          m_nul(CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr))
    {
        SetStdHandle(STD_OUTPUT_HANDLE, m_nul);
        SetStdHandle(STD_ERROR_HANDLE, m_nul);
    }
    ~Silence()
    {
        SetStdHandle(STD_OUTPUT_HANDLE, m_out);
        SetStdHandle(STD_ERROR_HANDLE, m_err);
        CloseHandle(m_nul);
    }

private:
    HANDLE m_out, m_err, m_nul;
};

std::wstring EventWords(int i, std::wstring& kind)
{
    kind = i % 2 ? L"tsc" : L"virus";
    return i % 2 ? L"szText1=scan " + std::to_wstring(i) + L"|nValue1=" + std::to_wstring(i)
                 : L"szThreatName=Threat." + std::to_wstring(i) + L"|szFilePath=C:\\Users\\someone\\file" +
                       std::to_wstring(i) + L".exe|dwNumber=7";
}

std::vector<std::wstring> Split(const std::wstring& words)
{
    std::vector<std::wstring> parts;
    for (size_t start = 0, end; start <= words.size(); start = end + 1)
    {
        end = std::min(words.find(L'|', start), words.size());
        parts.push_back(words.substr(start, end - start));
    }
    return parts;
}

std::string JsonLines()
{
    std::string lines;
    for (int i = 0; i < kEvents; ++i)
    {
        std::wstring kind;
        std::vector<std::wstring> words = Split(EventWords(i, kind));
        std::string line = "{\"kind\":\"" + std::string(kind.begin(), kind.end()) + "\"";
        for (const std::wstring& word : words)
        {
            size_t equals = word.find(L'=');
            std::string name(word.begin(), word.begin() + equals),
                value(word.begin() + equals + 1, word.end());
            std::string escaped;
            for (char c : value)
                escaped += c == '\\' ? std::string("\\\\") : std::string(1, c);
            line += ",\"" + name + "\":\"" + escaped + "\"";
        }
        lines += line + "}\n";
    }
    return lines;
}

// Bare StoreData calls on one provider for the same events.
void StoreDirectly()
{
    NqHost::COutput output(false, false);
    NqHost::CPluginHost host(output, L"", false);
    auto* provider = host.Provider();
    for (int i = 0; i < kEvents; ++i)
    {
        std::wstring kind;
        std::vector<std::wstring> words = Split(EventWords(i, kind));
        const NqHost::CRecordKind& record = NqHost::RecordKindTable::Find(kind);
        std::shared_ptr<void> data = record.BuildRecord(words);
        provider->StoreData(SrvFrwk::EventLog::TYPE_EVENTLOG, record.SubType(), data.get(), 0, 0);
    }
}

} // namespace

int wmain()
{
    TestSupport::EventLogSandbox sandbox;
    CreateDirectoryW(sandbox.LogFolder().c_str(), nullptr);
    TestSupport::TempFolder work;
    const std::string lines = JsonLines();
    TestSupport::WriteFileBytes(work.Path() + L"events.jsonl", lines.data(), lines.size());

    double direct = 0, batch = 0;
    {
        Silence silence;
        direct = Seconds(StoreDirectly);
        batch = Seconds([&] { NqHost::RunTool({L"store", L"--jsonl", work.Path() + L"events.jsonl"}); });
    }
    std::printf("store of %d events: bare StoreData %.1f us each, store --jsonl %.1f us each\n", kEvents,
                direct * 1e6 / kEvents, batch * 1e6 / kEvents);
    std::printf("RATIO store.batch.per_event %.2f 1.50\n", batch / direct);

    Bench::WriteVirusDay(sandbox.LogFolder() + L"20200101.VLG", L"20200101", kQueryRecords);
    double table = 0, jsonl = 0;
    {
        Silence silence;
        table = Seconds([] { NqHost::RunTool({L"query", L"virus", L"2020-01-01"}); });
        jsonl = Seconds(
            [] {
                NqHost::RunTool({L"export", L"virus", L"--from", L"2020-01-01", L"--to", L"2020-01-01"});
            });
    }
    std::printf("a day of %d virus events: query as a table %.2f s, export as JSON Lines %.2f s\n",
                kQueryRecords, table, jsonl);
    std::printf("RATIO query.100k.text %.2f 1.50\n", table / jsonl);
    return 0;
}

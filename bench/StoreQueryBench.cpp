// Cost of storing and querying events against the bare system calls they are made of. Prints figures
// and ratios; never fails on time. Tracing is off (the trace object is never initialized here).
#include "Frwk_Utility.h"
#include "PhishAlertLog.h"
#include "TscLog.h"
#include "VirusLog.h"

#include <share.h>
#include <windows.h>
#include <psapi.h>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

using namespace SrvFrwk::EventLog;

namespace
{
const wchar_t* const kInstallKey = L"Software\\Kelvanor\\Brisqual";

double Now()
{
    LARGE_INTEGER counter, frequency;
    ::QueryPerformanceCounter(&counter);
    ::QueryPerformanceFrequency(&frequency);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Points "InstalledFolder" at a fresh folder for the run and puts the old value back afterwards.
class InstallFolderScope
{
public:
    InstallFolderScope()
    {
        wchar_t temp[MAX_PATH];
        ::GetTempPathW(MAX_PATH, temp);
        m_folder = std::wstring(temp) + L"nq_bench_" + std::to_wstring(::GetCurrentProcessId()) + L"\\";
        ::CreateDirectoryW(m_folder.c_str(), nullptr);
        DWORD size = sizeof(m_old);
        m_hadOld = ::RegGetValueW(HKEY_LOCAL_MACHINE, kInstallKey, L"InstalledFolder", RRF_RT_REG_SZ, nullptr,
                                  m_old, &size) == ERROR_SUCCESS;
        Set(m_folder);
    }
    ~InstallFolderScope()
    {
        if (m_hadOld)
            Set(m_old);
        else
            ::RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kInstallKey, L"InstalledFolder");
    }
    const std::wstring& Folder() const { return m_folder; }

private:
    static void Set(const std::wstring& value)
    {
        ::RegSetKeyValueW(HKEY_LOCAL_MACHINE, kInstallKey, L"InstalledFolder", REG_SZ, value.c_str(),
                          static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    }
    std::wstring m_folder;
    wchar_t m_old[MAX_PATH] = {};
    bool m_hadOld = false;
};

void DeleteLogFiles(const std::wstring& logFolder)
{
    WIN32_FIND_DATAW data;
    HANDLE find = ::FindFirstFileW((logFolder + L"*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return;
    do
        ::DeleteFileW((logFolder + data.cFileName).c_str());
    while (::FindNextFileW(find, &data));
    ::FindClose(find);
}

// The system calls of one stored event as first written, without anything around them. StoreData itself
// makes one fewer: it tells a new file by the length of the opened file, not by a directory search.
double BareStores(const std::wstring& folder, const std::wstring& line, int count, bool lookUpFolder)
{
    const std::wstring name = folder + L"bare.BAR";
    const double start = Now();
    for (int i = 0; i < count; ++i)
    {
        if (lookUpFolder) // the installation folder, read afresh for every event as it once was
        {
            HKEY key = nullptr;
            wchar_t value[MAX_PATH];
            DWORD size = sizeof(value);
            ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kInstallKey, 0, KEY_READ, &key);
            ::RegQueryValueExW(key, L"InstalledFolder", nullptr, nullptr, reinterpret_cast<BYTE*>(value),
                               &size);
            ::RegCloseKey(key);
        }
        ::CreateDirectoryW(folder.c_str(), nullptr);
        WIN32_FIND_DATAW data;
        HANDLE find = ::FindFirstFileW(name.c_str(), &data);
        if (find != INVALID_HANDLE_VALUE)
            ::FindClose(find);
        HANDLE file = ::CreateFileW(name.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
        ::SetFilePointer(file, 0, nullptr, FILE_END);
        DWORD written = 0;
        ::WriteFile(file, line.data(), static_cast<DWORD>(line.size() * sizeof(wchar_t)), &written, nullptr);
        ::CloseHandle(file);
    }
    return (Now() - start) / count;
}

template <class TLog, class TRecord> double LogStores(TRecord& record, int count)
{
    const double start = Now();
    for (int i = 0; i < count; ++i)
    {
        TLog* log = new TLog; // one object per request, as the provider does
        log->WriteLog(&record, 0, 0);
        delete log;
    }
    return (Now() - start) / count;
}

void WriteVirusDay(const std::wstring& name, int lines)
{
    std::wstring text(1, L'\xFEFF');
    text.reserve(static_cast<size_t>(lines) * 90);
    for (int i = 0; i < lines; ++i)
        text += L"20260304|090807|00000012|0000001a|2|1|Threat.Name." + std::to_wstring(i % 1000) +
                L"|C:\\Users\\someone\\Downloads\\file_" + std::to_wstring(i) + L".exe|0|1|2|3\r\n";
    HANDLE file =
        ::CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    ::WriteFile(file, text.data(), static_cast<DWORD>(text.size() * sizeof(wchar_t)), &written, nullptr);
    ::CloseHandle(file);
}

double BareRead(const std::wstring& name, size_t& lines)
{
    const double start = Now();
    FILE* file = ::_wfsopen(name.c_str(), L"rb", _SH_DENYWR);
    if (!file)
        return 0;
    ::fseek(file, 2, SEEK_SET);
    static wchar_t buffer[2048];
    lines = 0;
    while (::fgetws(buffer, 2047, file))
        ++lines;
    ::fclose(file);
    return Now() - start;
}

// The floor under any reader: making and touching the memory of the records it returns. On a virtual
// machine whose fresh pages fault slowly this alone can exceed the bare pass.
double FreshRecords(size_t count)
{
    const double start = Now();
    std::vector<VirusLogRecord> records;
    records.reserve(count);
    for (size_t i = 0; i < count; ++i)
        records.emplace_back();
    const double seconds = Now() - start;
    return records.size() == count ? seconds : 0;
}

// Into an empty list, as a host asks: the list's growth is part of the reader's cost.
double LogRead(const SYSTEMTIME& day, size_t& records)
{
    VirusLogQuery query;
    query.stDay = day;
    const double start = Now();
    CVirusLog log;
    log.ReadLog(&query, 0, 0);
    const double seconds = Now() - start;
    records = query.records.size();
    return seconds;
}

double WarmRead(const SYSTEMTIME& day, size_t count)
{
    VirusLogQuery query;
    query.stDay = day;
    query.records.resize(count);
    query.records.clear();
    const double start = Now();
    CVirusLog log;
    log.ReadLog(&query, 0, 0);
    return Now() - start;
}

// One process storing count Tsc events; its exit code is the number it lost.
int StoreChild(int count)
{
    TscLogRecord tsc{L"Contended event", 1, {}};
    int lost = 0;
    for (int i = 0; i < count; ++i)
        lost += CTscLog().WriteLog(&tsc, 0, 0) == SrvFrwk::RESULT_SUCCESS ? 0 : 1;
    return lost;
}

// Seconds until processes copies of this program, each storing count events into one day file, are done;
// lost receives the events they lost together.
double ContendedStores(int processes, int count, int& lost)
{
    wchar_t self[MAX_PATH];
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::vector<HANDLE> children;
    const double start = Now();
    for (int p = 0; p < processes; ++p)
    {
        std::wstring command = L"\"" + std::wstring(self) + L"\" --store " + std::to_wstring(count);
        STARTUPINFOW si{};
        si.cb = sizeof(si);
        PROCESS_INFORMATION pi{};
        if (!::CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
            continue;
        ::CloseHandle(pi.hThread);
        children.push_back(pi.hProcess);
    }
    lost = (processes - static_cast<int>(children.size())) * count;
    for (HANDLE child : children)
    {
        DWORD code = static_cast<DWORD>(count);
        ::WaitForSingleObject(child, INFINITE);
        ::GetExitCodeProcess(child, &code);
        lost += static_cast<int>(code);
        ::CloseHandle(child);
    }
    return Now() - start;
}

PROCESS_MEMORY_COUNTERS MemoryCounters()
{
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof(counters);
    ::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof(counters));
    return counters;
}

// Peak committed memory of one read over the size of the records it returned. The counters are sampled
// while the read runs, since a process's own peak may predate the read (and Wine reports no peak).
double ReadPeakMemory(const SYSTEMTIME& day)
{
    const PROCESS_MEMORY_COUNTERS before = MemoryCounters();
    std::atomic<bool> done{false};
    size_t sampled = before.PagefileUsage;
    std::thread sampler(
        [&]
        {
            while (!done)
            {
                sampled = std::max(sampled, MemoryCounters().PagefileUsage);
                ::Sleep(1);
            }
        });
    VirusLogQuery query;
    query.stDay = day;
    CVirusLog().ReadLog(&query, 0, 0);
    done = true;
    sampler.join();
    const PROCESS_MEMORY_COUNTERS after = MemoryCounters();
    size_t peak = std::max(sampled, after.PagefileUsage);
    if (after.PeakPagefileUsage > before.PeakPagefileUsage)
        peak = std::max(peak, after.PeakPagefileUsage);
    const double records = static_cast<double>(query.records.size() * sizeof(VirusLogRecord));
    return records > 0 ? static_cast<double>(peak - before.PagefileUsage) / records : 0;
}

// What the look at a file's last character costs an append: one read of two bytes at the end of an open file.
double EndCheck(const std::wstring& folder, int count)
{
    const std::wstring name = folder + L"check.BAR";
    HANDLE file = ::CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    ::WriteFile(file, L"line\r\n", 12, &written, nullptr);
    const double start = Now();
    for (int i = 0; i < count; ++i)
    {
        OVERLAPPED at{};
        at.Offset = 10;
        wchar_t last = 0;
        DWORD read = 0;
        ::ReadFile(file, &last, sizeof(last), &read, &at);
    }
    const double seconds = (Now() - start) / count;
    ::CloseHandle(file);
    ::DeleteFileW(name.c_str());
    return seconds;
}

// A writer storing events into today's virus day while two threads re-read it back to back: the longest
// StoreData of the best of three rounds, in seconds; lost receives the events that failed in all of them.
double StoresBesideReaders(const std::wstring& logFolder, int events, int& lost)
{
    SYSTEMTIME today;
    ::GetLocalTime(&today);
    wchar_t date[16];
    _snwprintf_s(date, 16, _TRUNCATE, L"%04d%02d%02d", today.wYear, today.wMonth, today.wDay);
    WriteVirusDay(logFolder + date + L".VLG", 100000);
    std::atomic<bool> done{false};
    std::vector<std::thread> readers;
    for (int r = 0; r < 2; ++r)
        readers.emplace_back(
            [&]
            {
                while (!done)
                {
                    VirusLogQuery query;
                    query.stDay = today;
                    CVirusLog().ReadLog(&query, 0, 0);
                }
            });
    ::Sleep(100);
    VirusLogRecord virus{};
    wcscpy_s(virus.szThreatName, L"Beside.Readers");
    // Rounds, best of them: a round in which another program took the cores says nothing of the writer.
    double longest = 1e9;
    lost = 0;
    for (int round = 0; round < 3; ++round)
    {
        double roundLongest = 0;
        for (int i = 0; i < events / 3; ++i, ::Sleep(20))
        {
            const double start = Now();
            lost += CVirusLog().WriteLog(&virus, 0, 0) == SrvFrwk::RESULT_SUCCESS ? 0 : 1;
            roundLongest = std::max(roundLongest, Now() - start);
        }
        longest = std::min(longest, roundLongest);
    }
    done = true;
    for (std::thread& t : readers)
        t.join();
    return longest;
}

// Stores events of two kinds against the bare calls, then from four processes at once; appends the
// figures' RATIO lines to ratios.
void StoreFigures(const std::wstring& logFolder, std::string& ratios)
{
    VirusLogRecord virus{};
    wcscpy_s(virus.szThreatName, L"Threat.Name.42");
    wcscpy_s(virus.szFilePath, L"C:\\Users\\someone\\Downloads\\file_42.exe");
    TscLogRecord tsc{L"Tsc event text", 42, {}};
    CVirusLog sample;
    const std::wstring line = sample.MakeRecode(&virus);

    // Short rounds, alternated, best of each: a burst of disk work elsewhere spoils a round, not a figure.
    const int stores = 400, storeRounds = 10;
    double bare = 0, bareLookup = 0, folderLookup = 0, virusStore = 0, tscStore = 0;
    for (int round = 0; round < storeRounds; ++round)
    {
        DeleteLogFiles(logFolder);
        const double b = BareStores(logFolder, line, stores, false);
        const double bl = BareStores(logFolder, line, stores, true);
        const double start = Now();
        for (int i = 0; i < stores; ++i)
            Frwk::Utility::GetLogFolder();
        const double f = (Now() - start) / stores;
        bareLookup = round == 0 || bl < bareLookup ? bl : bareLookup;
        folderLookup = round == 0 || f < folderLookup ? f : folderLookup;
        const double v = LogStores<CVirusLog>(virus, stores);
        const double t = LogStores<CTscLog>(tsc, stores);
        bare = round == 0 || b < bare ? b : bare;
        virusStore = round == 0 || v < virusStore ? v : virusStore;
        tscStore = round == 0 || t < tscStore ? t : tscStore;
    }
    std::printf("StoreData, %d events, best of %d rounds (microseconds per event)\n", stores, storeRounds);
    std::printf("  bare system calls      %8.1f\n", bare * 1e6);
    std::printf("  virus (3 registry values per event) %8.1f  ratio %.2fx   target <= 1.5x\n",
                virusStore * 1e6, virusStore / bare);
    std::printf("  tsc (no registry)      %8.1f  ratio %.2fx   target <= 1.15x\n", tscStore * 1e6,
                tscStore / bare);
    std::printf("  of which the log-folder lookup (GetLogFolder, kept while the key is unchanged) %.1f\n",
                folderLookup * 1e6);
    std::printf("  bare calls + a plain registry read of the folder %8.1f\n", bareLookup * 1e6);
    std::printf("  the virus kind's three most-recent-threat values cost %.1f us of that per event\n",
                (virusStore - tscStore) * 1e6);
    const double check = EndCheck(logFolder, stores * 10);
    std::printf("  the look at the file's last character before each append %.1f (%.0f%% of a tsc event)\n",
                check * 1e6, 100 * check / tscStore);

    // Texts far past a line are shortened in time linear in their length, ties or not.
    auto phishing = [](size_t a, size_t b, size_t c)
    {
        return PhishAlertLogRecord{
            1, 3, 0, std::wstring(a, L'u'), std::wstring(b, L'v'), std::wstring(c, L'w'), {}};
    };
    PhishAlertLogRecord tied = phishing(100000, 100000, 100000), staggered = phishing(100000, 99999, 99998);
    double tiedStore = 0, staggeredStore = 0;
    for (int round = 0; round < 5; ++round)
    {
        DeleteLogFiles(logFolder);
        const double t = LogStores<CPhishAlertLog>(tied, 20), u = LogStores<CPhishAlertLog>(staggered, 20);
        tiedStore = round == 0 || t < tiedStore ? t : tiedStore;
        staggeredStore = round == 0 || u < staggeredStore ? u : staggeredStore;
    }
    std::printf(
        "  a phishing URL event of three 100,000-character texts: tied %.1f us, 100,000/99,999/99,998 "
        "%.1f us\n",
        tiedStore * 1e6, staggeredStore * 1e6);

    // Writers of one day file in separate processes wait their turn instead of losing events.
    const int perProcess = 2000;
    int lostAlone = 0, lost = 0;
    DeleteLogFiles(logFolder);
    const double alone = ContendedStores(1, perProcess, lostAlone);
    DeleteLogFiles(logFolder);
    const double contended = ContendedStores(4, perProcess, lost);
    const double rate = 4 * perProcess / contended, rateAlone = perProcess / alone;
    std::printf(
        "StoreData from 4 processes x %d events into one day file: %.0f events/s, %d lost; one process "
        "alone %.0f events/s, %d lost\n",
        perProcess, rate, lost, rateAlone, lostAlone);

    DeleteLogFiles(logFolder);
    int lostBeside = 0;
    const double longest = StoresBesideReaders(logFolder, 120, lostBeside);
    std::printf("StoreData beside two readers re-reading a 100,000-line day: longest %.1f ms (best of 3 "
                "rounds), %d of 120 lost\n",
                longest * 1e3, lostBeside);

    char text[512];
    std::snprintf(text, sizeof(text),
                  "RATIO store.tsc %.2f 1.15\nRATIO store.virus %.2f 1.5\nRATIO store.tied_texts %.2f 1.5\n"
                  "RATIO store.contended.lost %d 0\nRATIO store.contended.cost %.2f 2.0\n"
                  "RATIO store.beside_readers.longest_ms %.1f 50\nRATIO store.beside_readers.lost %d 0\n",
                  tscStore / bare, virusStore / bare, tiedStore / staggeredStore, lost, rateAlone / rate,
                  longest * 1e3, lostBeside);
    ratios += text;
}

// Reads a virus day of 100,000 and of 1,000,000 lines against a bare fgetws pass; appends the figures'
// RATIO lines to ratios.
void QueryFigures(const std::wstring& logFolder, std::string& ratios)
{
    DeleteLogFiles(logFolder);
    const SYSTEMTIME day = {2026, 3, 3, 4, 0, 0, 0, 0};
    const std::wstring name = logFolder + L"20260304.VLG";
    double times[2] = {}, ratio[2] = {}, beyond[2] = {}, warmRatio[2] = {};
    const int sizes[2] = {100000, 1000000};
    double peakMemory = 0;
    for (int s = 0; s < 2; ++s)
    {
        WriteVirusDay(name, sizes[s]);
        size_t lines = 0, records = 0;
        // Alternated, best of each: a busy machine slows both alike.
        double bareRead = 1e9, fresh = 1e9;
        times[s] = 1e9;
        for (int round = 0; round < 5; ++round)
        {
            bareRead = std::min(bareRead, BareRead(name, lines));
            times[s] = std::min(times[s], LogRead(day, records));
            fresh = std::min(fresh, FreshRecords(static_cast<size_t>(sizes[s])));
        }
        ratio[s] = times[s] / bareRead;
        double warm = 1e9;
        for (int round = 0; round < 3; ++round)
            warm = std::min(warm, WarmRead(day, static_cast<size_t>(sizes[s])));
        beyond[s] = times[s] / (bareRead + fresh);
        warmRatio[s] = warm / bareRead;
        std::printf(
            "  into a list whose memory is already touched %.3f s (%.2fx the bare pass)   target <= 0.8x\n",
            warm, warmRatio[s]);
        std::printf("  over the bare pass plus the records' fresh memory %.2fx   target <= 1.15x\n",
                    beyond[s]);
        std::printf(
            "QueryData, %d-line virus day: bare fgetws %.3f s (%zu lines), ReadLog %.3f s (%zu records), "
            "ratio %.2fx   target <= %.1fx\n",
            sizes[s], bareRead, lines, times[s], records, ratio[s], s == 0 ? 1.6 : 2.0);
        std::printf("  of which making the records' fresh memory alone %.3f s (%.2fx the bare pass)\n", fresh,
                    fresh / bareRead);
        if (s == 1)
            peakMemory = ReadPeakMemory(day);
    }
    std::printf("QueryData scaling: 1,000,000 lines take %.2fx the time of 100,000   target <= 10.5x\n",
                times[1] / times[0]);
    std::printf("QueryData of 1,000,000 lines: peak memory %.3fx the records' own size   target <= 1.1x\n",
                peakMemory);
    char text[512];
    std::snprintf(text, sizeof(text),
                  "RATIO query.100k %.2f 1.6\nRATIO query.1m %.2f 2.0\nRATIO query.scaling %.2f 10.5\n"
                  "RATIO query.1m.peak_memory %.3f 1.1\nRATIO query.100k.beyond_memory %.2f 1.15\n"
                  "RATIO query.1m.beyond_memory %.2f 1.15\nRATIO query.100k.warm %.2f 0.8\n"
                  "RATIO query.1m.warm %.2f 0.8\n",
                  ratio[0], ratio[1], times[1] / times[0], peakMemory, beyond[0], beyond[1], warmRatio[0],
                  warmRatio[1]);
    ratios += text;
}

} // namespace

// --query: the read figures only.
int main(int argc, char** argv)
{
    if (argc == 3 && std::strcmp(argv[1], "--store") == 0)
        return StoreChild(std::atoi(argv[2]));
    const bool queryOnly = argc == 2 && std::strcmp(argv[1], "--query") == 0;
    InstallFolderScope scope;
    const std::wstring logFolder = Frwk::Utility::GetLogFolder();
    ::CreateDirectoryW(logFolder.c_str(), nullptr);
    std::string ratios;
    if (!queryOnly)
        StoreFigures(logFolder, ratios);
    QueryFigures(logFolder, ratios);
    DeleteLogFiles(logFolder);
    ::RemoveDirectoryW(logFolder.c_str());
    ::RemoveDirectoryW(scope.Folder().c_str());
    std::fputs(ratios.c_str(), stdout);
    return 0;
}

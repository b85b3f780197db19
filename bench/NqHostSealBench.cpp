// Sealing's cost: a sealed Tsc store against the bare system calls of one event (as store.tsc in
// StoreQueryBench), and verifying a 100,000-event day against reading it back (QueryData). Prints figures
// and RATIO lines; never fails on time.
#include "DayFileCheck.h"
#include "LinkHash.h"
#include "SealVerifier.h"
#include "TestSupport.h"
#include "TscLog.h"

#include "KvComn_SealKeeper.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <cstdio>
#include <string>

using namespace SrvFrwk::EventLog;

namespace
{
double Now()
{
    LARGE_INTEGER counter, frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// The calls of one stored event without anything around them, as store.tsc counts them.
double BareStores(const std::wstring& folder, const std::wstring& line, int count)
{
    const std::wstring name = folder + L"bare.BAR";
    const double start = Now();
    for (int i = 0; i < count; ++i)
    {
        CreateDirectoryW(folder.c_str(), nullptr);
        WIN32_FIND_DATAW data;
        HANDLE find = FindFirstFileW(name.c_str(), &data);
        if (find != INVALID_HANDLE_VALUE)
            FindClose(find);
        HANDLE file = CreateFileW(name.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        SetFilePointer(file, 0, nullptr, FILE_END);
        DWORD written = 0;
        WriteFile(file, line.data(), static_cast<DWORD>(line.size() * sizeof(wchar_t)), &written, nullptr);
        CloseHandle(file);
    }
    return (Now() - start) / count;
}

double TscStores(int count)
{
    TscLogRecord tsc{L"Tsc event text", 42, {}};
    const double start = Now();
    for (int i = 0; i < count; ++i)
    {
        CTscLog log;
        log.WriteLog(&tsc, 0, 0);
    }
    return (Now() - start) / count;
}

ULONGLONG Ticks()
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    return KvCommon::SealKeeper::Ticks(now);
}

// A day of lines events, each sealed as a store would seal it.
void WriteSealedDay(KvCommon::SealKeeper& keeper, const std::wstring& name, int lines)
{
    std::wstring text(1, L'\xFEFF');
    std::vector<size_t> ends;
    for (int i = 0; i < lines; ++i)
    {
        text += L"20260304|090807|Tsc event text number " + std::to_wstring(i) + L"|" +
                std::to_wstring(i % 97) + L"\r\n";
        ends.push_back(text.size() * sizeof(wchar_t));
    }
    TestSupport::WriteFileBytes(keeper.LogFolder() + name, text.data(), text.size() * sizeof(wchar_t));
    KvCommon::SealKeeper::Lock lock(keeper);
    DWORD error = 0;
    keeper.Load(Ticks(), error);
    const BYTE* bytes = reinterpret_cast<const BYTE*>(text.data());
    for (size_t i = 0, from = 0; i < ends.size(); from = ends[i++])
        keeper.SealLine(name, from, bytes + from, ends[i] - from, from == 0, error);
}
// What verifying cannot avoid beyond reading: every line's link hashed as verify hashes it, on one thread.
double BareLinks(const std::wstring& path)
{
    std::vector<BYTE> bytes;
    DWORD error = 0;
    NqHost::CDayFileCheck::ReadBytes(path, bytes, error);
    const double start = Now();
    KvCommon::Crypto::Digest link{};
    KvCommon::SealFormat::LineSeal seal{KvCommon::SealFormat::kLine, 0, 0, 1, {}, {}};
    for (size_t from = 2, at = 2; at + 1 < bytes.size(); at += 2)
    {
        if (bytes[at] != '\n' || bytes[at + 1] != 0)
            continue;
        seal.bytes = static_cast<ULONG>(at + 2 - from);
        NqHost::LinkHash::Of(link.data(), seal, bytes.data() + from, link);
        from = at + 2;
    }
    return Now() - start;
}
} // namespace

int wmain()
{
    TestSupport::EventLogSandbox sandbox;
    const std::wstring folder = sandbox.LogFolder();
    CreateDirectoryW(folder.c_str(), nullptr);
    KvCommon::SealKeeper keeper(folder);
    NqHost::SealKey key;
    {
        KvCommon::SealKeeper::Lock lock(keeper);
        DWORD error = 0;
        if (!keeper.Start(60, Ticks(), key.key, error))
        {
            std::printf("sealing could not start: %lu\n", error);
            return 1;
        }
        std::memcpy(key.chain, keeper.State().chain, sizeof(key.chain));
    }

    TscLogRecord sample{L"Tsc event text", 42, {}};
    const std::wstring line = CTscLog().MakeRecode(&sample);
    const int stores = 400, rounds = 10;
    double bare = 1e9, sealed = 1e9;
    for (int round = 0; round < rounds; ++round)
    {
        bare = std::min(bare, BareStores(folder, line, stores));
        sealed = std::min(sealed, TscStores(stores));
    }
    std::printf("StoreData with sealing on, %d events, best of %d rounds (microseconds per event)\n", stores,
                rounds);
    std::printf("  bare system calls %8.1f\n  sealed tsc        %8.1f  ratio %.2fx   target <= 1.15x\n",
                bare * 1e6, sealed * 1e6, sealed / bare);

    const int lines = 100000;
    const std::wstring name = L"20260304.PTG";
    WriteSealedDay(keeper, name, lines);
    double query = 1e9, verify = 1e9;
    size_t records = 0, problems = 0;
    for (int round = 0; round < 3; ++round)
    {
        double start = Now();
        TscLogQuery read;
        read.stDay = {2026, 3, 3, 4, 0, 0, 0, 0};
        CTscLog().ReadLog(&read, 0, 0);
        query = std::min(query, Now() - start);
        records = read.records.size();
        start = Now();
        NqHost::CSealVerifier verifier(folder, key);
        verifier.ReadJournal();
        std::vector<BYTE> bytes;
        DWORD error = 0;
        NqHost::CDayFileCheck::ReadBytes(folder + name, bytes, error);
        verifier.CheckDay(name, 20260304, bytes);
        verify = std::min(verify, Now() - start);
        problems = verifier.Problems().size();
    }
    std::printf(
        "verify of a %d-event day: %.3f s (%zu problems); QueryData of it %.3f s (%zu records); ratio "
        "%.2fx   target <= 2.0x\n",
        lines, verify, problems, query, records, verify / query);
    double hashing = 1e9;
    for (int round = 0; round < 3; ++round)
        hashing = std::min(hashing, BareLinks(folder + name));
    std::printf("  the links alone, as verify hashes them, on one thread: %.3f s (%.2f us a line)\n", hashing,
                hashing / lines * 1e6);
    std::printf(
        "RATIO store.tsc.sealed %.2f 1.15\nRATIO verify.100k %.2f 2.0\nRATIO verify.100k.beyond_hashing "
        "%.2f 1.15\n",
        sealed / bare, verify / query, verify / (query + hashing));
    return 0;
}

// Cost of the debug trace: a masked-out call, and an enabled line through the trace library against
// formatting the same line alone and writing it with one WriteFile.
#include "KvComn_Clock.h"
#include "KvComn_DebugLog.h"
#include "KvComn_String.h"

#include <windows.h>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>

namespace
{
const wchar_t* const kBenchKey = L"Software\\Kelvanor\\Brisqual\\16\\DebugLogBench";
const wchar_t* const kOperation = L"CEventLogProvider::QueryData";

double Seconds()
{
    LARGE_INTEGER count, frequency;
    QueryPerformanceCounter(&count);
    QueryPerformanceFrequency(&frequency);
    return double(count.QuadPart) / double(frequency.QuadPart);
}

// Best of three runs, in nanoseconds per iteration: the machine is shared, the minimum is the signal.
double NsPerCall(int count, const std::function<void()>& body)
{
    double best = 1e30;
    for (int run = 0; run < 3; ++run)
    {
        const double start = Seconds();
        for (int i = 0; i < count; ++i)
            body();
        best = std::min(best, (Seconds() - start) / count * 1e9);
    }
    return best;
}

std::wstring ExeFolder()
{
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder = path;
    return folder.substr(0, folder.find_last_of(L'\\') + 1);
}

void SetDword(HKEY key, const wchar_t* name, DWORD value)
{
    RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
}

void SetString(HKEY key, const wchar_t* name, const std::wstring& value)
{
    RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

// Trace settings in a key of the benchmark's own, for whichever session the process is in.
void WriteSettings(DWORD level, DWORD robust, const std::wstring& folder)
{
    for (const wchar_t* session : {L"\\InteractiveSession", L"\\ServiceSession"})
    {
        HKEY key = nullptr;
        if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, (std::wstring(kBenchKey) + session).c_str(), 0, nullptr, 0,
                            KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS)
            continue;
        SetDword(key, L"Enable", 1);
        SetDword(key, L"Level", level);
        SetDword(key, L"LogProcess", 0);
        SetDword(key, L"LogUnitType", 0);
        SetString(key, L"LogFolder", folder);
        SetString(key, L"LogPrefix", L"bsq");
        SetString(key, L"LogFile", L"");
        SetString(key, L"LogExtension", L"log");
        SetDword(key, L"Robust", robust);
        SetDword(key, L"Debugger", 0);
        RegCloseKey(key);
    }
}

void RemoveFolder(const std::wstring& folder)
{
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((folder + L"*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE)
    {
        do
            if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                DeleteFileW((folder + data.cFileName).c_str());
        while (FindNextFileW(find, &data));
        FindClose(find);
    }
    RemoveDirectoryW(folder.c_str());
}

double TraceCost(DWORD level, DWORD robust, DWORD traceLevel, int count, const std::wstring& folder)
{
    WriteSettings(level, robust, folder);
    KvCommon::DebugLog log;
    if (!log.Initialize(L"Norquill", KvCommon::Storage::Key{0, HKEY_LOCAL_MACHINE, kBenchKey}, ExeFolder()))
    {
        printf("trace could not be initialized (KvDbg64.dll beside the benchmark?)\n");
        return 0;
    }
    const double ns = NsPerCall(
        count, [&] { log.Trace(KV_SOURCE_FILE, __LINE__, traceLevel, L"[Enter] %s()...", kOperation); });
    log.Uninitialize();
    return ns;
}

// The same line formatted in one call and appended with one WriteFile: the floor for an enabled line.
double BaselineCost(int count, const std::wstring& folder)
{
    HANDLE file = CreateFileW((folder + L"baseline.txt").c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    const double ns = NsPerCall(
        count,
        [&]
        {
            SYSTEMTIME t;
            KvCommon::Clock::GetLocalTime(&t);
            std::wstring line;
            KvCommon::String::Format(
                line, L"%02d/%02d/%04d %02d:%02d:%02d.%03d %04x:%04x %3s <%s> [Enter] %s()... - %s(%lu)\r\n",
                t.wDay, t.wMonth, t.wYear, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds,
                GetCurrentProcessId(), GetCurrentThreadId(), L"@@@", L"Norquill", kOperation,
                L"DebugLogBench.cpp", static_cast<unsigned long>(__LINE__));
            DWORD written = 0;
            WriteFile(file, line.c_str(), static_cast<DWORD>(line.size() * sizeof(wchar_t)), &written,
                      nullptr);
        });
    CloseHandle(file);
    return ns;
}
} // namespace

int main()
{
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder =
        std::wstring(temp) + L"nqbench_debuglog_" + std::to_wstring(GetCurrentProcessId()) + L"\\";
    CreateDirectoryW(folder.c_str(), nullptr);

    const double masked = TraceCost(256, 0, KvCommon::TraceLevel::Function, 1000000, folder);
    // Alternated, best of each: a burst of disk work elsewhere spoils a round, not the ratio.
    double enabled = 1e30, baseline = 1e30;
    for (int round = 0; round < 5; ++round)
    {
        enabled = std::min(enabled, TraceCost(273, 0, KvCommon::TraceLevel::Info, 20000, folder));
        baseline = std::min(baseline, BaselineCost(20000, folder));
    }
    const double robust = TraceCost(273, 1, KvCommon::TraceLevel::Info, 300, folder);

    printf("masked-out Trace:               %10.1f ns/call   (target <= 100 ns)\n", masked);
    printf("enabled Trace, Robust 0:        %10.1f ns/line\n", enabled);
    printf("baseline Format + WriteFile:    %10.1f ns/line\n", baseline);
    printf("ratio enabled / baseline:       %10.2f x        (target <= 1.5 x)\n",
           baseline > 0 ? enabled / baseline : 0.0);
    printf("enabled Trace, Robust 1 (flush): %9.1f ns/line\n", robust);
    printf("RATIO trace.enabled %.2f 1.5\n", baseline > 0 ? enabled / baseline : 0.0);
    printf("RATIO trace.masked_ns %.1f 100\n", masked);

    RegDeleteTreeW(HKEY_LOCAL_MACHINE, kBenchKey);
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, kBenchKey);
    RemoveFolder(folder);
    return 0;
}

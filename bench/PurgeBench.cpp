// Automatic event-log purge of a folder of 10,000 day files, half of them past the cut-off, against a
// bare search-and-delete loop removing the same files in the same run. Prints figures; never fails on time.
#include "LogPurge.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace
{
const wchar_t* const kInstallKey = L"Software\\Kelvanor\\Brisqual";
const wchar_t* const kExtensions[] = {L"VLG", L"UPG", L"PFG", L"ULG", L"ASG", L"PPG",
                                      L"PTG", L"VAG", L"SPG", L"HLG", L"SCG", L"HCG"};
constexpr int kFiles = 10000;
constexpr int kRounds = 3;

// Points "InstalledFolder" at a scratch folder for the run and puts the old value back.
class InstalledFolderSwap
{
public:
    explicit InstalledFolderSwap(const std::wstring& folder)
    {
        wchar_t old[MAX_PATH] = {};
        DWORD size = sizeof(old);
        m_had = RegGetValueW(HKEY_LOCAL_MACHINE, kInstallKey, L"InstalledFolder", RRF_RT_REG_SZ, nullptr, old,
                             &size) == ERROR_SUCCESS;
        m_old = old;
        Set(folder);
    }
    ~InstalledFolderSwap()
    {
        if (m_had)
            Set(m_old);
        else
            RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kInstallKey, L"InstalledFolder");
    }

private:
    static void Set(const std::wstring& value)
    {
        RegSetKeyValueW(HKEY_LOCAL_MACHINE, kInstallKey, L"InstalledFolder", REG_SZ, value.c_str(),
                        static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    }
    bool m_had = false;
    std::wstring m_old;
};

double Now()
{
    LARGE_INTEGER counter, frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

// Day i of the run as "YYYYMMDD", counted from 1 January 2000.
std::wstring DayName(int i)
{
    SYSTEMTIME base{2000, 1, 0, 1, 12, 0, 0, 0};
    FILETIME ft;
    SystemTimeToFileTime(&base, &ft);
    ULONGLONG value = ((static_cast<ULONGLONG>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime) +
                      static_cast<ULONGLONG>(i) * 864000000000ULL;
    ft = FILETIME{static_cast<DWORD>(value), static_cast<DWORD>(value >> 32)};
    SYSTEMTIME t;
    FileTimeToSystemTime(&ft, &t);
    wchar_t text[16];
    _snwprintf_s(text, 16, _TRUNCATE, L"%04d%02d%02d", t.wYear, t.wMonth, t.wDay);
    return text;
}

// Twelve kinds per day, so 834 days cover the 10,000 files.
void CreateFiles(const std::wstring& folder)
{
    for (int i = 0; i < kFiles; ++i)
    {
        const std::wstring path = folder + DayName(i / 12) + L"." + kExtensions[i % 12];
        HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                               nullptr);
        if (h != INVALID_HANDLE_VALUE)
            CloseHandle(h);
    }
}

int CountFiles(const std::wstring& folder)
{
    int count = 0;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((folder + L"*.*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return 0;
    do
    {
        count += !(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return count;
}

// What any purge must at least do: search, compare the date, clear attributes, delete.
void BareLoop(const std::wstring& folder, const std::wstring& cutOff)
{
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((folder + L"*.*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return;
    do
    {
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY ||
            wcsncmp(data.cFileName, cutOff.c_str(), 8) > 0)
            continue;
        const std::wstring path = folder + data.cFileName;
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(path.c_str());
    } while (FindNextFileW(find, &data));
    FindClose(find);
}

void RemoveAll(const std::wstring& folder)
{
    BareLoop(folder, L"99999999");
    RemoveDirectoryW(folder.c_str());
}
} // namespace

int main()
{
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring installed =
        std::wstring(temp) + L"nq_purgebench_" + std::to_wstring(GetCurrentProcessId()) + L"\\";
    const std::wstring logFolder = installed + L"Log\\";
    CreateDirectoryW(installed.c_str(), nullptr);
    CreateDirectoryW(logFolder.c_str(), nullptr);
    InstalledFolderSwap swap(installed);

    // Half of the files lie on or before the cut-off day.
    const int cutOffDay = (kFiles / 2 - 1) / 12;
    const std::wstring cutOffText = DayName(cutOffDay);
    SYSTEMTIME cutOff{};
    cutOff.wYear = static_cast<WORD>(_wtoi(cutOffText.substr(0, 4).c_str()));
    cutOff.wMonth = static_cast<WORD>(_wtoi(cutOffText.substr(4, 2).c_str()));
    cutOff.wDay = static_cast<WORD>(_wtoi(cutOffText.substr(6, 2).c_str()));

    std::vector<double> purgeTimes, bareTimes;
    int purgeLeft = 0, bareLeft = 0;
    // Each side runs on a freshly filled folder; the order alternates so neither always goes first.
    const auto timed = [&](bool usePurge, std::vector<double>& times, int& left)
    {
        CreateFiles(logFolder);
        const double start = Now();
        if (usePurge)
        {
            CLogPurge purge;
            if (!purge.PurgeEventLogs(100, &cutOff))
                std::printf("the purge reported a failure\n");
        }
        else
        {
            BareLoop(logFolder, cutOffText);
        }
        times.push_back(Now() - start);
        left = CountFiles(logFolder);
        RemoveAll(logFolder);
        CreateDirectoryW(logFolder.c_str(), nullptr);
    };
    for (int round = 0; round < kRounds; ++round)
    {
        const bool purgeFirst = round % 2 == 0;
        timed(purgeFirst, purgeFirst ? purgeTimes : bareTimes, purgeFirst ? purgeLeft : bareLeft);
        timed(!purgeFirst, purgeFirst ? bareTimes : purgeTimes, purgeFirst ? bareLeft : purgeLeft);
    }
    RemoveAll(logFolder);
    RemoveDirectoryW(installed.c_str());

    std::sort(purgeTimes.begin(), purgeTimes.end());
    std::sort(bareTimes.begin(), bareTimes.end());
    const double purgeMedian = purgeTimes[kRounds / 2], bareMedian = bareTimes[kRounds / 2];
    std::printf("PurgeBench: %d day files, cut-off %ls, %d rounds (median)\n", kFiles, cutOffText.c_str(),
                kRounds);
    std::printf("  CLogPurge::PurgeEventLogs(100): %8.1f ms, %d files left\n", purgeMedian, purgeLeft);
    std::printf("  bare find/attributes/delete:     %8.1f ms, %d files left\n", bareMedian, bareLeft);
    std::printf("  ratio purge / bare: %.2fx (target at most 1.20x)\n",
                bareMedian > 0 ? purgeMedian / bareMedian : 0.0);
    std::printf("RATIO purge.10k %.2f 1.2\n", bareMedian > 0 ? purgeMedian / bareMedian : 0.0);
    return 0;
}

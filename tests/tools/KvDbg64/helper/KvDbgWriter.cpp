// Second process for the trace library's tests: writes numbered lines into a shared debug-log file.
// Usage: kvdbg_writer.exe <log folder> <tag> <count> <robust 0|1>
#include "KvComn_KvDbg.h"

#include <windows.h>
#include <cwchar>
#include <cstring>
#include <string>

namespace
{
std::wstring Number(int value)
{
    std::wstring digits;
    do
    {
        digits.insert(digits.begin(), static_cast<wchar_t>(L'0' + value % 10));
        value /= 10;
    } while (value > 0);
    return digits;
}

template <class Pfn> Pfn Entry(HMODULE module, const char* name)
{
    return reinterpret_cast<Pfn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}
} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc != 5)
        return 2;
    HMODULE module = LoadLibraryW(L"KvDbg64.dll");
    auto init = Entry<KvCommon::PFN_KvDbgInitialize>(module, "KvDbgInitialize");
    auto trace = Entry<KvCommon::PFN_KvDbgTrace>(module, "KvDbgTrace");
    auto uninit = Entry<KvCommon::PFN_KvDbgUninitialize>(module, "KvDbgUninitialize");
    if (!init || !trace || !uninit)
        return 3;

    KvCommon::KvDbgSettings settings;
    memset(&settings, 0, sizeof(settings));
    wcsncpy_s(settings.szModule, L"Shared", _TRUNCATE);
    wcsncpy_s(settings.szLogFolder, argv[1], _TRUNCATE);
    wcsncpy_s(settings.szLogPrefix, L"bsq", _TRUNCATE);
    wcsncpy_s(settings.szLogExtension, L"log", _TRUNCATE);
    settings.bRobust = _wtoi(argv[4]) != 0 ? 1 : 0;
    void* handle = nullptr;
    if (init(&handle, &settings) != 0)
        return 4;
    const SYSTEMTIME day{2026, 3, 3, 4, 12, 0, 0, 0};
    const int count = _wtoi(argv[3]);
    int failures = 0;
    for (int n = 0; n < count; ++n)
    {
        const std::wstring line =
            std::wstring(argv[2]) + L" " + Number(n) + L" " + std::wstring(40, L'.') + L"\r\n";
        failures += trace(handle, &day, line.c_str()) != 0;
    }
    uninit(handle);
    FreeLibrary(module);
    return failures == 0 ? 0 : 5;
}

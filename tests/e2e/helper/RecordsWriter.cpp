// Second processes for the day-file races:
//   store TAG N    loads Norquill.dll like a host and stores N Tsc events "TAG-i" with value i; prints
//                  "<successes> <failures> <other>"
//   hold PATH MS   holds PATH open as a writer does, prints "holding", and keeps it MS milliseconds
//   read PATH      holds PATH open as the plug-in's reader does, prints "reading", and keeps it until ended
//   folders N A B  N times deletes the installation key, creates it without a value and sets
//                  "InstalledFolder" to A, then B, and so on
#include "../HostObjects.h"
#include "PrivateRegistry.h"
#include "SrvFrwk_EventLog.h"

#include <cstdio>
#include <cwchar>
#include <string>

using namespace SrvFrwk;

namespace
{
void Store(Interface::IEnforceProvider* provider, const std::wstring& tag, long count)
{
    long results[3] = {}; // successes, failures, other
    for (long i = 0; i < count; ++i)
    {
        EventLog::TscLogRecord record{};
        wcsncpy_s(record.szText1, (tag + L"-" + std::to_wstring(i)).c_str(), _TRUNCATE);
        record.nValue1 = i;
        const ULONG result = provider->StoreData(EventLog::TYPE_EVENTLOG, EventLog::DATA_TSC, &record, 0, 0);
        ++results[result == RESULT_SUCCESS ? 0 : result == RESULT_FAILED ? 1 : 2];
    }
    std::printf("%ld %ld %ld\n", results[0], results[1], results[2]);
}

int ChurnFolders(long count, const wchar_t* a, const wchar_t* b)
{
    const wchar_t* const key = L"Software\\Kelvanor\\Brisqual";
    for (long i = 0; i < count; ++i)
    {
        ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, key);
        ::RegDeleteKeyW(HKEY_LOCAL_MACHINE, key);
        HKEY created = nullptr;
        if (::RegCreateKeyExW(HKEY_LOCAL_MACHINE, key, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &created,
                              nullptr) != ERROR_SUCCESS)
            return 6;
        const std::wstring folder = i % 2 ? b : a;
        const LONG set = ::RegSetValueExW(created, L"InstalledFolder", 0, REG_SZ,
                                          reinterpret_cast<const BYTE*>(folder.c_str()),
                                          static_cast<DWORD>((folder.size() + 1) * sizeof(wchar_t)));
        ::RegCloseKey(created);
        if (set != ERROR_SUCCESS)
            return 7;
    }
    return 0;
}

// Holds the file open as a writer (hold) or the plug-in's reader (read) does, says so, and keeps it ms.
int Hold(const wchar_t* path, bool writer, DWORD ms)
{
    HANDLE file =
        ::CreateFileW(path, writer ? GENERIC_WRITE : GENERIC_READ,
                      writer ? FILE_SHARE_READ : FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                      nullptr, writer ? OPEN_ALWAYS : OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 4;
    std::printf(writer ? "holding\n" : "reading\n");
    std::fflush(stdout);
    ::Sleep(ms);
    ::CloseHandle(file);
    return 0;
}
} // namespace

int wmain(int argc, wchar_t** argv)
{
    const std::wstring mode = argc > 1 ? argv[1] : L"";
    if (mode == L"read" && argc == 3)
        return Hold(argv[2], false, INFINITE);
    if (mode == L"hold" && argc == 4)
        return Hold(argv[2], true, static_cast<DWORD>(std::wcstoul(argv[3], nullptr, 10)));
    // The DLL reads its folder and trace settings from the test's private registry.
    if (!NqRedirectMachineKeyAsParent())
        return 3;
    if (mode == L"folders" && argc == 5)
        return ChurnFolders(std::wcstol(argv[2], nullptr, 10), argv[3], argv[4]);
    E2E::NorquillDll dll(L"Norquill.dll");
    if (mode != L"store" || argc != 4 || !dll.Loaded())
        return 2;
    E2E::RecordingController controller;
    Interface::IEnforceProvider* provider = nullptr;
    dll.SfPv_Initialize();
    if (Failed(
            dll.SfPv_CreateProvider(&provider, CONTROLLER_TYPE, PROVIDER_TYPE_EVENTLOG, &controller, 0, 0)) ||
        !provider)
        return 5;

    Store(provider, argv[2], std::wcstol(argv[3], nullptr, 10));
    dll.SfPv_FreeProvider(provider, CONTROLLER_TYPE, PROVIDER_TYPE_EVENTLOG, 0, 0);
    dll.SfPv_Uninitialize();
    return 0;
}

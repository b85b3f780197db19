// A second process for the writer race: loads Norquill.dll like a host and stores N Tsc events whose
// texts carry the given tag, then prints "<successes> <failures> <other>".
#include "PrivateRegistry.h"
#include "SrvFrwk_EventLog.h"

#include <cstdio>
#include <cwchar>
#include <string>

using namespace SrvFrwk;

namespace
{
class NullController : public Interface::IEnforceController
{
public:
    ULONG Reserved0() override { return RESULT_FAILED; }
    ULONG Reserved1() override { return RESULT_FAILED; }
    ULONG Reserved2() override { return RESULT_FAILED; }
    ULONG Reserved3() override { return RESULT_FAILED; }
    ULONG Reserved4() override { return RESULT_FAILED; }
    ULONG Reserved5() override { return RESULT_FAILED; }
    ULONG Reserved6() override { return RESULT_FAILED; }
    ULONG Reserved7() override { return RESULT_FAILED; }
    ULONG Reserved8() override { return RESULT_FAILED; }
    ULONG Reserved9() override { return RESULT_FAILED; }
    ULONG NotifySessionAgent(ULONG, ULONG, ULONG, ULONG_PTR, void*, ULONG, ULONG, ULONG_PTR) override
    {
        return RESULT_FAILED;
    }
};

template <class T> T Entry(HMODULE module, const char* name)
{
    return reinterpret_cast<T>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}
} // namespace

int wmain(int argc, wchar_t** argv)
{
    // The DLL reads its folder and trace settings from the test's private registry.
    if (!NqRedirectMachineKeyAsParent())
        return 3;
    HMODULE module = ::LoadLibraryW(L"Norquill.dll");
    if (argc < 3 || !module)
        return 2;
    auto create = Entry<PFN_SfPv_CreateProvider>(module, "SfPv_CreateProvider");
    auto release = Entry<PFN_SfPv_FreeProvider>(module, "SfPv_FreeProvider");
    NullController controller;
    Interface::IEnforceProvider* provider = nullptr;
    Entry<PFN_SfPv_Initialize>(module, "SfPv_Initialize")();
    if (Failed(create(&provider, CONTROLLER_TYPE, PROVIDER_TYPE_EVENTLOG, &controller, 0, 0)) || !provider)
        return 5;

    long results[3] = {}; // successes, failures, other
    for (long i = 0, count = std::wcstol(argv[2], nullptr, 10); i < count; ++i)
    {
        EventLog::TscLogRecord record{};
        wcsncpy_s(record.szText1, (std::wstring(argv[1]) + L"-" + std::to_wstring(i)).c_str(), _TRUNCATE);
        record.nValue1 = i;
        const ULONG result = provider->StoreData(EventLog::TYPE_EVENTLOG, EventLog::DATA_TSC, &record, 0, 0);
        ++results[result == RESULT_SUCCESS ? 0 : result == RESULT_FAILED ? 1 : 2];
    }
    release(provider, CONTROLLER_TYPE, PROVIDER_TYPE_EVENTLOG, 0, 0);
    Entry<PFN_SfPv_Uninitialize>(module, "SfPv_Uninitialize")();
    ::FreeLibrary(module);
    std::printf("%ld %ld %ld\n", results[0], results[1], results[2]);
    return 0;
}

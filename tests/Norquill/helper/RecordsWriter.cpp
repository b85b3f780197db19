// A second process for the writer race: loads Norquill.dll like a host and stores N Tsc events whose
// texts carry the given tag, then prints "<successes> <failures> <other>".
#include "SrvFrwk_EventLog.h"

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>

namespace
{
class NullController : public SrvFrwk::Interface::IEnforceController
{
public:
    ULONG Reserved0() override { return SrvFrwk::RESULT_FAILED; }
    ULONG Reserved1() override { return SrvFrwk::RESULT_FAILED; }
    ULONG Reserved2() override { return SrvFrwk::RESULT_FAILED; }
    ULONG Reserved3() override { return SrvFrwk::RESULT_FAILED; }
    ULONG Reserved4() override { return SrvFrwk::RESULT_FAILED; }
    ULONG Reserved5() override { return SrvFrwk::RESULT_FAILED; }
    ULONG Reserved6() override { return SrvFrwk::RESULT_FAILED; }
    ULONG Reserved7() override { return SrvFrwk::RESULT_FAILED; }
    ULONG Reserved8() override { return SrvFrwk::RESULT_FAILED; }
    ULONG Reserved9() override { return SrvFrwk::RESULT_FAILED; }
    ULONG NotifySessionAgent(ULONG, ULONG, ULONG, ULONG_PTR, void*, ULONG, ULONG, ULONG_PTR) override
    {
        return SrvFrwk::RESULT_FAILED;
    }
};

template <class T> T Entry(HMODULE module, const char* name)
{
    return reinterpret_cast<T>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}
} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc < 3)
        return 2;
    const std::wstring tag = argv[1];
    const long count = std::wcstol(argv[2], nullptr, 10);
    HMODULE module = ::LoadLibraryW(L"Norquill.dll");
    if (!module)
        return 3;
    auto initialize = Entry<PFN_SfPv_Initialize>(module, "SfPv_Initialize");
    auto create = Entry<PFN_SfPv_CreateProvider>(module, "SfPv_CreateProvider");
    auto release = Entry<PFN_SfPv_FreeProvider>(module, "SfPv_FreeProvider");
    auto uninitialize = Entry<PFN_SfPv_Uninitialize>(module, "SfPv_Uninitialize");
    if (!initialize || !create || !release || !uninitialize)
        return 4;

    NullController controller;
    SrvFrwk::Interface::IEnforceProvider* provider = nullptr;
    initialize();
    if (SrvFrwk::Failed(create(&provider, SrvFrwk::CONTROLLER_TYPE, SrvFrwk::PROVIDER_TYPE_EVENTLOG,
                               &controller, 0, 0)) ||
        !provider)
        return 5;

    long successes = 0, failures = 0, other = 0;
    for (long i = 0; i < count; ++i)
    {
        SrvFrwk::EventLog::TscLogRecord record{};
        const std::wstring text = tag + L"-" + std::to_wstring(i);
        wcsncpy_s(record.szText1, text.c_str(), _TRUNCATE);
        record.nValue1 = i;
        const ULONG result =
            provider->StoreData(SrvFrwk::EventLog::TYPE_EVENTLOG, SrvFrwk::EventLog::DATA_TSC, &record, 0, 0);
        if (result == SrvFrwk::RESULT_SUCCESS)
            ++successes;
        else if (result == SrvFrwk::RESULT_FAILED)
            ++failures;
        else
            ++other;
    }
    release(provider, SrvFrwk::CONTROLLER_TYPE, SrvFrwk::PROVIDER_TYPE_EVENTLOG, 0, 0);
    uninitialize();
    ::FreeLibrary(module);
    std::printf("%ld %ld %ld\n", successes, failures, other);
    return 0;
}

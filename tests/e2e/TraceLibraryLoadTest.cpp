#include "E2EHost.h"

using namespace SrvFrwk;

namespace
{
// A copy of Norquill.dll in a folder of its own, loaded by a host whose current folder holds a planted
// KvDbg64.dll that leaves a mark when anything loads it.
class TraceLibraryLoadTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        CopyFromBin(L"Norquill.dll", plugin);
        CopyFromBin(L"planted\\KvDbg64.dll", host);
    }

    void CopyFromBin(const std::wstring& name, const TestSupport::TempFolder& folder)
    {
        const std::wstring target = folder.Path() + name.substr(name.find_last_of(L'\\') + 1);
        ASSERT_TRUE(CopyFileW((TestSupport::BinFolder() + name).c_str(), target.c_str(), FALSE)) << name;
    }

    // Stores one event through the copy, run from the host folder; returns the path of the KvDbg64.dll
    // that was in the process meanwhile (empty when none).
    std::wstring RunHost()
    {
        E2E::CurrentFolder current(host.Path());
        E2E::NorquillDll dll(plugin.Path() + L"Norquill.dll");
        E2E::RecordingController controller;
        Interface::IEnforceProvider* provider = nullptr;
        if (!dll.Loaded() || Failed(dll.SfPv_CreateProvider(&provider, CONTROLLER_TYPE,
                                                            PROVIDER_TYPE_EVENTLOG, &controller, 0, 0)))
            return L"no provider";
        wchar_t traceLibrary[MAX_PATH] = {};
        if (HMODULE loaded = GetModuleHandleW(L"KvDbg64.dll"))
            GetModuleFileNameW(loaded, traceLibrary, MAX_PATH);
        EventLog::TscLogRecord record{L"from a foreign folder", 0, {}};
        EXPECT_EQ(RESULT_SUCCESS,
                  provider->StoreData(EventLog::TYPE_EVENTLOG, EventLog::DATA_TSC, &record, 0, 0));
        EXPECT_EQ(RESULT_SUCCESS,
                  dll.SfPv_FreeProvider(provider, CONTROLLER_TYPE, PROVIDER_TYPE_EVENTLOG, 0, 0));
        return traceLibrary;
    }

    bool PlantedWasLoaded() const { return TestSupport::FileExists(host.Path() + L"KvDbg64.dll.loaded"); }

    TestSupport::TraceSandbox trace;
    TestSupport::EventLogSandbox sandbox;
    TestSupport::TempFolder plugin, host;
};
} // namespace

TEST_F(TraceLibraryLoadTest, OnlyALibraryBesideThePluginIsLoadedAndWithoutOneTracingIsOff)
{
    // The test binary's own folder holds the real library too: a search would have found that one.
    EXPECT_EQ(L"", RunHost());
    EXPECT_TRUE(trace.Lines().empty());
    EXPECT_FALSE(PlantedWasLoaded());

    // One beside the plugin is used.
    CopyFromBin(L"KvDbg64.dll", plugin);
    const std::wstring used = RunHost();
    EXPECT_EQ(0, _wcsicmp((plugin.Path() + L"KvDbg64.dll").c_str(), used.c_str())) << used;
    EXPECT_EQ(1u, E2E::CountTrace(trace.Lines(), L"@@@", L"***Norquill.dll was loaded as process attach."));
    EXPECT_FALSE(PlantedWasLoaded());

    // The mark does show a load.
    HMODULE planted = LoadLibraryW((host.Path() + L"KvDbg64.dll").c_str());
    ASSERT_TRUE(planted);
    FreeLibrary(planted);
    EXPECT_TRUE(PlantedWasLoaded());
}

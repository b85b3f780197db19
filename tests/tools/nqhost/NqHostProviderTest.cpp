// Each command reaches the provider or service and reports results by name, with exit codes scripts use.
#include "NqHostTest.h"

using namespace NqHostTest;

using NqHostProvider = NqHostFixture;

TEST_F(NqHostProvider, ResultsAndHandedThroughWin32CodesAreNamedAndPathNamesTheDayFile)
{
    // A failure exits 1 with its result's name. Before any threat there is no time stamp: the Win32 code
    // handed through is named and is no failure.
    NqHostRun before = Run(L"recent");
    EXPECT_EQ(0, before.exitCode) << before.output;
    EXPECT_TRUE(before.Says("QueryData(22, 18 = recent threat): 2 (ERROR_FILE_NOT_FOUND)")) << before.output;

    ASSERT_EQ(0, Run(L"store virus szThreatName=Worm.Y").exitCode);
    before = Run(L"query virus 2001-01-01");
    EXPECT_EQ(1, before.exitCode) << before.output;
    EXPECT_TRUE(before.Says("RESULT_FAILED (0x80040201)")) << before.output;
    EXPECT_EQ(Utf8(sandbox.LogFolder() + L"20080229.VLG"),
              RunJson(L"path 1 2008-02-29").at("values").at("tsLogPath"));
}

TEST_F(NqHostProvider, SettingsCommandsStoreWhatTheNextRunShows)
{
    TestSupport::RegistryKeyGuard traceKey(HKEY_LOCAL_MACHINE, TestSupport::kDebugLogKey);
    const std::wstring path = inputs.Path().substr(0, inputs.Path().size() - 1);
    ASSERT_EQ(0, Run(L"trace on --level 17 --folder \"" + path + L"\"").exitCode);
    Json off = RunJson(L"trace off");
    EXPECT_EQ(0, off.at("values").at("Enable"));
    EXPECT_EQ(17, off.at("values").at("Level")) << "off keeps the level";
    EXPECT_EQ(Utf8(inputs.Path()), off.at("values").at("LogFolder"));

    // The folder changes only through 'config folder', which says what it was.
    NqHostRun set = Run(L"config folder \"" + path + L"\"");
    EXPECT_TRUE(set.Says("InstalledFolder set to " + Utf8(inputs.Path()) + " (was " +
                         Utf8(sandbox.InstalledFolder()) + ")"))
        << set.output;
    NqHostRun unset = Run(L"config folder --unset");
    EXPECT_TRUE(unset.Says("InstalledFolder unset (was " + Utf8(inputs.Path()) + ")")) << unset.output;
    EXPECT_EQ("", RunJson(L"config folder").at("values").at("InstalledFolder"));
}

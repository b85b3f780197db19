// What must never cost the user anything: the demo in an installation of its own, and dry runs that
// show exactly what the real run then removes.
#include "Commands.h"
#include "NqHostTest.h"

using namespace NqHostTest;

namespace
{
} // namespace

using NqHostSafety = NqHostFixture;

TEST_F(NqHostSafety, DemoLeavesEverySettingFileAndTheRecentThreatAsTheyWere)
{
    TestSupport::RegistryKeyGuard traceKey(HKEY_LOCAL_MACHINE, TestSupport::kDebugLogKey);
    ASSERT_EQ(0, Run(L"config report --days 14 --alert 0").exitCode);
    ASSERT_EQ(0, Run(L"config purge --days 90 --off").exitCode);
    ASSERT_EQ(0, Run(L"store virus szThreatName=Mine.Threat dwNumber=3").exitCode);
    ASSERT_EQ(0, Run(L"store tsc szText1=today nValue1=1").exitCode);
    WriteDayFile(L"20201101.VLG", L"20201101|120000|00000001|Old.One|0|0|0|0|C:\\old\\n");
    WriteDayFile(L"01112020_bsqNorquill.log", L"old trace\r\n");
    ASSERT_TRUE(TestSupport::SetRegString(HKEY_LOCAL_MACHINE, TestSupport::kInteractiveTraceKey, L"LogFolder",
                                          sandbox.LogFolder()));
    Snapshot registryBefore, filesBefore, registryAfter, filesAfter;
    SnapshotKey(L"Software\\Kelvanor", registryBefore);
    SnapshotFolder(sandbox.InstalledFolder(), filesBefore);

    Json doc = RunJson(L"demo");
    std::string kinds, demoFolder;
    for (const Json& step : doc.at("steps"))
    {
        if (step.contains("values") && step["values"].contains("installedFolder"))
            demoFolder = step["values"]["installedFolder"];
        if (step.contains("values") && step["values"].contains("kind"))
        {
            kinds += step["values"]["kind"].get<std::string>() + " ";
            EXPECT_EQ("RESULT_SUCCESS", step.at("results").at(0).at("name")) << step.dump();
            EXPECT_FALSE(step.at("records").empty()) << step.dump();
        }
        for (const Json& row : step.value("removed", Json::array()))
            EXPECT_EQ(0u, row.at("path").get<std::string>().rfind(demoFolder, 0)) << row.dump();
    }
    EXPECT_EQ("virus spyware vulnerability tsc update history url privacy phishing change ", kinds);

    SnapshotKey(L"Software\\Kelvanor", registryAfter);
    SnapshotFolder(sandbox.InstalledFolder(), filesAfter);
    EXPECT_TRUE(registryBefore == registryAfter);
    EXPECT_TRUE(filesBefore == filesAfter);
    EXPECT_EQ("Mine.Threat", RunJson(L"recent").at("values").at("VirusName"));
    EXPECT_NE("", demoFolder);
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(NqHost::Text::FromUtf8(demoFolder).c_str()))
        << "the demo's own folder is gone";
}

TEST_F(NqHostSafety, DryRunsListExactlyWhatTheRealRunsThenRemove)
{
    TestSupport::RegistryKeyGuard traceKey(HKEY_LOCAL_MACHINE, TestSupport::kDebugLogKey);
    ASSERT_TRUE(TestSupport::SetRegString(HKEY_LOCAL_MACHINE, TestSupport::kInteractiveTraceKey, L"LogFolder",
                                          inputs.Path()));
    // A month of days for three kinds and of debug logs in both folders, beside names no rule takes.
    for (int age = 0; age < 31; ++age)
    {
        const std::wstring day = TestSupport::DateText(Shifted(TestSupport::Today(), -86400LL * age));
        for (const wchar_t* extension : {L".VLG", L".ptg", L".ULG"})
            WriteDayFile(day + extension, L"x\r\n");
        const std::wstring dayFirst = day.substr(6, 2) + day.substr(4, 2) + day.substr(0, 4);
        WriteDayFile(dayFirst + L"_bsqNorquill.log", L"t\r\n");
        ASSERT_TRUE(TestSupport::WriteFileBytes(inputs.Path() + dayFirst + L"_bsqNorquill.LOG", "t", 1));
    }
    for (const wchar_t* stray : {L"20000101.VLG.bak", L"2000011.VLG", L"20000101.TXT", L"01012000-x.log"})
        WriteDayFile(stray, L"x\r\n");
    ASSERT_EQ(0, Run(L"config purge --days 20 --on").exitCode);
    ASSERT_TRUE(
        TestSupport::SetRegDword(HKEY_LOCAL_MACHINE, TestSupport::kEventLogKey, L"DebugLogPurgeFre", 25));

    std::wstring tenDaysAgo = TestSupport::DateText(Shifted(TestSupport::Today(), -86400 * 10));
    const std::wstring commands[] = {L"delete tsc " + tenDaysAgo.insert(6, L"-").insert(4, L"-"),
                                     L"purge events", L"purge debug"};
    const size_t expectedCounts[] = {21, 2 * 11, 2 * 6};
    for (size_t i = 0; i < 3; ++i)
    {
        SCOPED_TRACE(Utf8(commands[i]));
        Json dry = RunJson(commands[i] + L" --dry-run");
        for (const std::string& path : Paths(dry.at("wouldRemove")))
            EXPECT_TRUE(TestSupport::FileExists(NqHost::Text::FromUtf8(path))) << "a dry run removes nothing";
        Json real = RunJson(commands[i]);
        EXPECT_EQ(Paths(dry.at("wouldRemove")), Paths(real.at("removed")));
        EXPECT_EQ(expectedCounts[i], real.at("removed").size());
        EXPECT_EQ(expectedCounts[i], dry.at("values").at("wouldRemoveCount"));
        for (const std::string& path : Paths(real.at("removed")))
            EXPECT_FALSE(TestSupport::FileExists(NqHost::Text::FromUtf8(path))) << path;
    }
}

// Wine makes no junction; a symbolic link of the Unix side is what it shows as one (a reparse point).
TEST_F(NqHostSafety, RemovalTakesNothingALinkInsideLeadsTo)
{
    TestSupport::TempFolder outside, work;
    ASSERT_TRUE(TestSupport::WriteFileBytes(outside.Path() + L"keep.txt", "k", 1));
    const std::wstring demo = work.Path() + L"demo\\";
    ASSERT_TRUE(CreateDirectoryW(demo.c_str(), nullptr));
    ASSERT_TRUE(TestSupport::WriteFileBytes(demo + L"own.txt", "o", 1));
    const std::string link = UnixPath(demo) + "/link";
    ASSERT_TRUE(RunShell("ln -s '" + UnixPath(outside.Path()) + "' '" + link + "'").exitCode == 0);
    ASSERT_NE(0u, GetFileAttributesW((demo + L"link").c_str()) & FILE_ATTRIBUTE_REPARSE_POINT);

    NqHost::Commands::RemoveTree(demo);
    EXPECT_TRUE(TestSupport::FileExists(outside.Path() + L"keep.txt"));
    EXPECT_FALSE(TestSupport::FileExists(demo + L"own.txt"));
    RunShell("rm -f '" + link + "'");
}

// Every log command names a log folder it cannot use, and --logs reads a folder of received day files.
#include "NqHostTest.h"

using namespace NqHostTest;

using NqHostLogs = NqHostFixture;

TEST_F(NqHostLogs, EveryLogCommandNamesAMissingFolderAndItsReason)
{
    const std::string missing = "the log folder " + Utf8(sandbox.LogFolder()) + " cannot be used: ";
    const std::string missingLogs =
        "the log folder " + Utf8(sandbox.InstalledFolder()) + "received\\ cannot be used: ";
    for (const wchar_t* command : {L"query tsc", L"query all --from 2024-03-01", L"export tsc", L"check tsc",
                                   L"tail tsc --for 1", L"delete tsc 2024-03-01"})
    {
        NqHostRun run = Run(command);
        EXPECT_EQ(1, run.exitCode) << Utf8(command) << ": " << run.output;
        EXPECT_TRUE(run.Says(missing)) << Utf8(command) << ": " << run.output;
        NqHostRun logs =
            Run(std::wstring(command) + L" --logs \"" + sandbox.InstalledFolder() + L"received\"");
        EXPECT_EQ(1, logs.exitCode) << Utf8(command) << ": " << logs.output;
        EXPECT_TRUE(logs.Says(missingLogs)) << Utf8(command) << ": " << logs.output;
    }
}

// The caller's folder holds received day files; scripts/nqhost.sh runs there, in the tests' own prefix.
TEST_F(NqHostLogs, ReceivedFolderIsReadThroughThePluginWithTheCallersRelativePathsAndItsDamageNamed)
{
    const char* source = std::getenv("NQ_SOURCE_DIR");
    ASSERT_TRUE(source && *source) << "NQ_SOURCE_DIR names the sources (set by the build)";
    CreateDirectoryW((inputs.Path() + L"received").c_str(), nullptr);
    // The second line had 16 characters in its middle overwritten: its fields would make up an event.
    const std::wstring day = L"\xFEFF"
                             L"20240301|080000|00000001|0000001a|2|1|Trojan.A|C:\\a.exe|0|0|0|0\r\n"
                             L"20240301|080100|00000002|0000001a|2|1|Tro0|0|0|0|0000000000|0|0|0|0\r\n";
    ASSERT_TRUE(
        TestSupport::WriteFileBytes(inputs.Path() + L"received\\20240301.VLG", day.data(), day.size() * 2));
    const std::string script = "cd '" + UnixPath(inputs.Path()) +
                               "'\nnq() { NQ_WINEPREFIX=\"$WINEPREFIX\" '" + source +
                               "/scripts/nqhost.sh' \"$@\"; echo \"rc=$?\"; }\n"
                               "nq export virus --logs received --output rel.jsonl\n"
                               "nq check virus --logs received\n"
                               "nq store tsc szText1=here nValue1=1 --logs received\n";
    NqHostRun run = RunShell(script);
    EXPECT_TRUE(run.Says("rc=0\n")) << run.output;
    // Wine names the caller's folder by its Z: path.
    EXPECT_TRUE(run.Says("\\received\\20240301.VLG (virus of 2024-03-01")) << run.output;
    EXPECT_TRUE(run.Says("\\received\\20240301.VLG:2: 15 fields where a virus line has 12")) << run.output;
    const std::vector<Json> records = ParseJsonLines(ReadText(inputs.Path() + L"rel.jsonl"));
    ASSERT_EQ(1u, records.size()) << "the damaged line is no event";
    EXPECT_EQ("Trojan.A", records[0].at("szThreatName"));
    EXPECT_EQ(1u, TestSupport::ListFiles(inputs.Path() + L"received\\", L"*.PTG").size()) << run.output;
    EXPECT_FALSE(TestSupport::FileExists(sandbox.LogFolder())) << "the installation's logs stay as they were";
}

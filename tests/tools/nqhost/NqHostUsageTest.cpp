// The command line: usage errors (exit 2) and a plug-in that cannot be used (exit 1). None of these reaches
// the provider.
#include "NqHostTest.h"

using namespace NqHostTest;

using NqHostUsage = NqHostFixture;

TEST_F(NqHostUsage, EachErrorExitsWithItsCodeAndNamesTheProblem)
{
    const struct
    {
        std::wstring args;
        std::string says;
        int exitCode = 2;
    } cases[] = {
        {L"frobnicate", "unknown command 'frobnicate'"},
        {L"store virus dwCode=-1", "dwCode=-1 is not a number"},
        {L"query virus 2026-2-3", "'2026-2-3' is not a day of the form YYYY-MM-DD"},
        {L"export virus tsc --format csv", "--format csv takes exactly one kind"},
        {L"export --output " + sandbox.InstalledFolder().substr(0, sandbox.InstalledFolder().size() - 1),
         "is a folder; it takes a file"},
        {L"store tsc szText1=" + std::wstring(128, L'x'), "at most 127 characters, the value has 128"},
        {L"query virus 2026-02-30", "'2026-02-30' is no day of the calendar"},
        {L"check --from 2024-03-02 --to 2024-03-01", "--from 2024-03-02 is after --to 2024-03-01"},
        {L"query all --from 2024-03-01T25:00", "is not a moment of the form"},
        {L"query virus --where nosuch=1",
         "no such field in a virus record (fields: kind, dwNumber, szThreatName"},
        {L"query all --where nValue1=one", "nValue1 is a number field"},
        {L"export tsc --timezone Mars/Olympus_Mons", "Mars/Olympus_Mons"},
        {L"--dll C:\\nowhere\\Norquill.dll query virus",
         "cannot load C:\\nowhere\\Norquill.dll: 126 (ERROR_MOD_NOT_FOUND)", 1},
        {L"--dll KvDbg64.dll install", "has no export SfPv_CreateProvider: 127 (ERROR_PROC_NOT_FOUND)", 1},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(Utf8(c.args));
        NqHostRun run = Run(c.args);
        EXPECT_EQ(c.exitCode, run.exitCode) << run.output;
        EXPECT_TRUE(run.Says(c.says)) << run.output;
    }
    const std::string message = RunJson(L"store virus szColour=red", 2).at("usageError");
    EXPECT_NE(std::string::npos, message.find("szColour"));
}

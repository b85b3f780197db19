// The command line: usage errors, help, and a plug-in that cannot be loaded. None of these reaches the
// provider, so they hold whatever state the DLL is in.
#include "NqHostProcess.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

using namespace NqHostTest;

namespace
{
class NqHostUsage : public ::testing::Test
{
protected:
    TestSupport::EventLogSandbox sandbox;
};
} // namespace

TEST_F(NqHostUsage, UsageErrorsExitTwoAndNameTheProblem)
{
    const std::wstring tooLong(128, L'x');
    const struct
    {
        std::wstring args;
        std::string says;
    } cases[] = {
        {L"", "no command given"},
        {L"frobnicate", "unknown command 'frobnicate'"},
        {L"store", "'store' needs more arguments"},
        {L"store nokind", "unknown kind 'nokind'"},
        {L"store virus szColour=red", "'szColour' is not a field of a virus record"},
        {L"store virus dwCode", "'dwCode' is not of the form field=value"},
        {L"store tsc szText1=" + tooLong, "szText1 takes at most 127 characters, the value has 128"},
        {L"store virus dwCode=12x", "dwCode=12x is not a number"},
        {L"store virus dwCode=-1", "dwCode=-1 is not a number"},
        {L"store update nValue1=2147483648", "nValue1=2147483648 is not a number"},
        {L"store virus dwCode=1 dwCode=2", "field dwCode is given twice"},
        {L"query virus 2026-02-30", "'2026-02-30' is not a day of the form YYYY-MM-DD"},
        {L"query virus 2026-01-01 extra", "'query' does not take 'extra'"},
        {L"query virus --days 3", "option --days does not apply to 'query'"},
        {L"query virus --colour", "unknown option '--colour'"},
        {L"config purge --on --off", "--on or --off, not both"},
        {L"config report --alert 2", "--alert 2 is not a number from 0 to 1"},
        {L"config colours", "'config' takes 'report' or 'purge'"},
        {L"path nokind", "unknown log type 'nokind'"},
        {L"delete virus", "'delete' needs more arguments"},
        {L"purge everything", "'purge' takes 'events' or 'debug'"},
        {L"service restart", "'service' takes start, stop or state"},
        {L"trace maybe", "'trace' takes on or off"},
        {L"trace on --level", "option --level needs a value"},
    };
    for (const auto& c : cases)
    {
        NqHostRun run = RunNqHost(c.args);
        EXPECT_EQ(2, run.exitCode) << Utf8(c.args) << "\n" << run.output;
        EXPECT_TRUE(run.Says(c.says)) << Utf8(c.args) << "\n" << run.output;
    }
}

TEST_F(NqHostUsage, UsageErrorInJsonIsOneDocumentWithTheMessage)
{
    int exitCode = 0;
    JsonNode doc = RunNqHostJson(L"store virus szColour=red", exitCode);
    EXPECT_EQ(2, exitCode);
    EXPECT_EQ(2, doc["exitCode"].number);
    EXPECT_NE(std::string::npos, doc["usageError"].text.find("szColour"));
}

TEST_F(NqHostUsage, HelpListsEveryCommandAndEachKindItsFields)
{
    NqHostRun tool = RunNqHost(L"--help");
    EXPECT_EQ(0, tool.exitCode);
    for (const char* command :
         {"install", "store KIND", "query KIND", "path KIND", "recent", "config report", "config purge",
          "delete KIND", "report", "purge events", "remove-setup-link", "service start", "trace on", "demo"})
        EXPECT_TRUE(tool.Says(command)) << command;

    NqHostRun kind = RunNqHost(L"store change --help");
    EXPECT_EQ(0, kind.exitCode);
    EXPECT_TRUE(kind.Says("data sub-type 10, LogType 11"));
    EXPECT_TRUE(kind.Says("szItem")) << kind.output;
    EXPECT_TRUE(kind.Says("at most 388 characters")) << kind.output;

    NqHostRun command = RunNqHost(L"help config");
    EXPECT_EQ(0, command.exitCode);
    EXPECT_TRUE(command.Says("usage: nqhost config report"));
}

TEST_F(NqHostUsage, PluginThatCannotBeUsedFailsWithTheWin32Error)
{
    NqHostRun run = RunNqHost(L"--dll C:\\nowhere\\Norquill.dll query virus");
    EXPECT_EQ(1, run.exitCode) << run.output;
    EXPECT_TRUE(run.Says("cannot load C:\\nowhere\\Norquill.dll: 126 (ERROR_MOD_NOT_FOUND)")) << run.output;

    NqHostRun notAPlugin = RunNqHost(L"--dll KvDbg64.dll install");
    EXPECT_EQ(1, notAPlugin.exitCode) << notAPlugin.output;
    EXPECT_TRUE(notAPlugin.Says("has no export SfPv_CreateProvider: 127 (ERROR_PROC_NOT_FOUND)"))
        << notAPlugin.output;
}

TEST(JsonParser, RejectsWhatIsNotOneJsonDocument)
{
    EXPECT_EQ(2u, ParseJson(" {\"a\":[1,\"x\\u00e9\"],\"b\":true} ")["a"].items.size());
    for (const char* bad : {"", "{", "{\"a\":1,}", "[1 2]", "{\"a\":1} x", "\"open", "{a:1}"})
        EXPECT_THROW(ParseJson(bad), std::runtime_error) << bad;
}

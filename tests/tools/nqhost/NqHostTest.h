#pragma once
// Runs nqhost.exe (beside the test binary) on the real Norquill.dll, the event log in a fresh folder.
#include "JsonParser.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

namespace NqHostTest
{
struct NqHostRun
{
    int exitCode = -1;
    std::string output; // stdout and stderr, UTF-8
    bool Says(const std::string& text) const { return output.find(text) != std::string::npos; }
};

class NqHostFixture : public ::testing::Test
{
protected:
    static NqHostRun Run(const std::wstring& args)
    {
        NqHostRun run;
        const std::wstring exe = L"\"" + TestSupport::BinFolder() + L"nqhost.exe\" ";
        run.exitCode = TestSupport::RunProcess(exe + args, 120000, &run.output);
        return run;
    }

    // With --json: the output must be one document.
    static JsonNode Json(const std::wstring& args, int expectedExit = 0)
    {
        NqHostRun run = Run(L"--json " + args);
        EXPECT_EQ(expectedExit, run.exitCode) << Utf8(args);
        return ParseJson(run.output);
    }

    TestSupport::EventLogSandbox sandbox;
};
} // namespace NqHostTest

#pragma once
// Runs nqhost.exe (beside the test binary) on the real Norquill.dll, the event log in a fresh folder.
#include "TestSupport.h"
#include "Text.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sstream>
#include <string>
#include <vector>

namespace NqHostTest
{
using Json = nlohmann::json;

inline std::string Utf8(const std::wstring& text)
{
    return NqHost::Text::ToUtf8(text);
}

struct NqHostRun
{
    int exitCode = -1;
    std::string output; // stdout and stderr, UTF-8
    bool Says(const std::string& text) const { return output.find(text) != std::string::npos; }
};

class NqHostFixture : public ::testing::Test
{
protected:
    static std::wstring CommandLine(const std::wstring& args)
    {
        return L"\"" + TestSupport::BinFolder() + L"nqhost.exe\" " + args;
    }

    static NqHostRun Run(const std::wstring& args)
    {
        NqHostRun run;
        run.exitCode = TestSupport::RunProcess(CommandLine(args), 120000, &run.output);
        return run;
    }

    // With --json: the output must be one document (a parse error fails the test with its offset).
    static Json RunJson(const std::wstring& args, int expectedExit = 0)
    {
        NqHostRun run = Run(L"--json " + args);
        EXPECT_EQ(expectedExit, run.exitCode) << Utf8(args);
        return Json::parse(run.output);
    }

    // A day file in the sandbox's log folder: the byte-order mark (unless left out), then the text as given.
    void WriteDayFile(const std::wstring& name, const std::wstring& body, bool mark = true) const
    {
        const std::wstring text = (mark ? L"\xFEFF" : L"") + body;
        CreateDirectoryW(sandbox.LogFolder().c_str(), nullptr);
        ASSERT_TRUE(TestSupport::WriteFileBytes(sandbox.LogFolder() + name, text.data(), text.size() * 2));
    }

    TestSupport::EventLogSandbox sandbox;
};
} // namespace NqHostTest

#pragma once
// Runs nqhost.exe (beside the test binary) on the real Norquill.dll, the event log in a fresh folder.
#include "TestSupport.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <string>

namespace NqHostTest
{
using Json = nlohmann::json;

inline std::string Utf8(const std::wstring& text)
{
    int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                   nullptr, nullptr);
    std::string out(size > 0 ? size : 0, '\0');
    if (size > 0)
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], size, nullptr,
                            nullptr);
    return out;
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

    TestSupport::EventLogSandbox sandbox;
};
} // namespace NqHostTest

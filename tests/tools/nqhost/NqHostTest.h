#pragma once
// Runs nqhost.exe (beside the test binary) on the real Norquill.dll, the event log in a fresh folder.
#include "TestSupport.h"
#include "Text.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdlib>
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

inline std::string ReadText(const std::wstring& path)
{
    const std::vector<BYTE> bytes = TestSupport::ReadFileBytes(path);
    return {bytes.begin(), bytes.end()};
}

// Every line that holds a JSON object; other lines (a tail's messages) are left out.
inline std::vector<Json> ParseJsonLines(const std::string& text)
{
    std::vector<Json> records;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);)
        if (line.rfind("{", 0) == 0)
            records.push_back(Json::parse(line));
    return records;
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

    // Wine's name of a Windows path on the Unix side.
    static std::string UnixPath(const std::wstring& path)
    {
        using ToUnix = char*(CDECL*)(LPCWSTR);
        auto toUnix = reinterpret_cast<ToUnix>(reinterpret_cast<void*>(
            GetProcAddress(GetModuleHandleW(L"kernel32"), "wine_get_unix_file_name")));
        char* name = toUnix ? toUnix(path.c_str()) : nullptr;
        EXPECT_NE(nullptr, name) << "runs under Wine";
        std::string unix = name ? name : "";
        HeapFree(GetProcessHeap(), 0, name);
        return unix;
    }

    // Shell commands run outside Wine, with this process's environment (so a program started there gets
    // a TZ of its own); their output and exit code. Wine and nqhost.exe are reached as $WINE and $NQHOST.
    // Wine cannot wait for a Unix process, so the script leaves its exit code in a file last.
    static NqHostRun RunShell(const std::string& commands)
    {
        TestSupport::TempFolder folder;
        const std::string script = "PATH=/usr/local/bin:/usr/bin:/bin\nWINE=wine\nNQHOST='" +
                                   UnixPath(TestSupport::BinFolder() + L"nqhost.exe") + "'\n(\n" + commands +
                                   "\n) >'" + UnixPath(folder.Path() + L"run.out") + "' 2>&1\necho $? >'" +
                                   UnixPath(folder.Path() + L"run.rc.new") + "'\nmv '" +
                                   UnixPath(folder.Path() + L"run.rc.new") + "' '" +
                                   UnixPath(folder.Path() + L"run.rc") + "'\n";
        EXPECT_TRUE(TestSupport::WriteFileBytes(folder.Path() + L"run.sh", script));
        TestSupport::ChildProcess shell(
            L"Z:\\bin\\sh \"" + NqHost::Text::FromUtf8(UnixPath(folder.Path() + L"run.sh")) + L"\"", false);
        NqHostRun run;
        EXPECT_TRUE(TestSupport::WaitForFile(folder.Path(), L"run.rc", 120000)) << commands;
        const std::string code = ReadText(folder.Path() + L"run.rc");
        run.exitCode = code.empty() ? -1 : std::atoi(code.c_str());
        run.output = ReadText(folder.Path() + L"run.out");
        return run;
    }

    // A day file in the sandbox's log folder: the byte-order mark (unless left out), then the text as given.
    void WriteDayFile(const std::wstring& name, const std::wstring& body, bool mark = true) const
    {
        ASSERT_TRUE(TestSupport::WriteUtf16File(sandbox.LogFolder() + name, (mark ? L"\xFEFF" : L"") + body));
    }

    // The text in a file of the test's own, its name quoted for a command line.
    std::wstring InputFile(const std::string& text, const std::wstring& name = L"in.jsonl") const
    {
        EXPECT_TRUE(TestSupport::WriteFileBytes(inputs.Path() + name, text));
        return L"\"" + inputs.Path() + name + L"\"";
    }

    TestSupport::EventLogSandbox sandbox;
    TestSupport::TempFolder inputs;
};
} // namespace NqHostTest

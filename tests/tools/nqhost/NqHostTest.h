#pragma once
// Runs nqhost.exe (beside the test binary) on the real Norquill.dll, the event log in a fresh folder.
#include "KvComn_Handle.h"
#include "TestSupport.h"
#include "Text.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace NqHostTest
{
using Json = nlohmann::json;

inline const auto Utf8 = NqHost::Text::ToUtf8;

using Snapshot = std::map<std::wstring, std::vector<BYTE>>;

// Every value under the machine's key, by "subkey\name", with its bytes and type.
inline void SnapshotKey(const std::wstring& path, Snapshot& values)
{
    KvCommon::UniqueHKey key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS)
        return;
    wchar_t name[512];
    BYTE data[4096];
    for (DWORD i = 0, length = 512, size = sizeof(data), type = 0;
         RegEnumValueW(key.get(), i, name, &length, nullptr, &type, data, &size) == ERROR_SUCCESS;
         ++i, length = 512, size = sizeof(data))
    {
        values[path + L"\\" + name].assign(data, data + size);
        values[path + L"\\" + name].push_back(static_cast<BYTE>(type));
    }
    for (DWORD i = 0, length = 512;
         RegEnumKeyExW(key.get(), i, name, &length, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
         ++i, length = 512)
        SnapshotKey(path + L"\\" + name, values);
}

// Every file under the folder with its bytes.
inline void SnapshotFolder(const std::wstring& folder, Snapshot& files)
{
    WIN32_FIND_DATAW data;
    KvCommon::UniqueFindHandle find(FindFirstFileW((folder + L"*").c_str(), &data));
    for (bool more = find.valid(); more; more = FindNextFileW(find.get(), &data))
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            files[folder + data.cFileName] = TestSupport::ReadFileBytes(folder + data.cFileName);
        else if (data.cFileName[0] != L'.')
            SnapshotFolder(folder + data.cFileName + L"\\", files);
}

// The moment the given number of seconds later (earlier when negative).
inline SYSTEMTIME Shifted(SYSTEMTIME time, long long seconds)
{
    ULARGE_INTEGER ticks;
    SystemTimeToFileTime(&time, reinterpret_cast<FILETIME*>(&ticks));
    ticks.QuadPart += seconds * 10000000;
    FileTimeToSystemTime(reinterpret_cast<FILETIME*>(&ticks), &time);
    return time;
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

// The paths of a table's rows, sorted.
inline std::vector<std::string> Paths(const Json& table)
{
    std::vector<std::string> paths;
    for (const Json& row : table)
        paths.push_back(row.at("path"));
    std::sort(paths.begin(), paths.end());
    return paths;
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

    // Shell commands run outside Wine in a folder of their own, with this process's environment (so a
    // program started there gets a TZ of its own); their output and exit code. $WINE and $NQHOST reach Wine
    // and nqhost.exe. Wine cannot wait for a Unix process, so the script leaves its exit code in a file last.
    static NqHostRun RunShell(const std::string& commands)
    {
        TestSupport::TempFolder folder;
        const std::string script = "PATH=/usr/local/bin:/usr/bin:/bin\nWINE=wine\nNQHOST='" +
                                   UnixPath(TestSupport::BinFolder() + L"nqhost.exe") + "'\ncd '" +
                                   UnixPath(folder.Path()) + "'\n(\n" + commands +
                                   "\n) >run.out 2>&1\necho $? >run.rc.new\nmv run.rc.new run.rc\n";
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

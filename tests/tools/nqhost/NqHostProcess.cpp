#include "NqHostProcess.h"

#include "TestSupport.h"

#include <windows.h>

namespace NqHostTest
{
NqHostRun RunNqHost(const std::wstring& args)
{
    NqHostRun run;
    run.exitCode = TestSupport::RunProcess(L"\"" + TestSupport::BinFolder() + L"nqhost.exe\" " + args, 120000,
                                           &run.output);
    return run;
}

JsonNode RunNqHostJson(const std::wstring& args, int& exitCode)
{
    NqHostRun run = RunNqHost(L"--json " + args);
    exitCode = run.exitCode;
    try
    {
        return ParseJson(run.output);
    }
    catch (const std::runtime_error& error)
    {
        throw std::runtime_error(std::string(error.what()) + " in: " + run.output);
    }
}

std::string Utf8(const std::wstring& text)
{
    int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0,
                                   nullptr, nullptr);
    std::string out(size, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &out[0], size, nullptr,
                        nullptr);
    return out;
}
} // namespace NqHostTest

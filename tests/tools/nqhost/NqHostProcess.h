#pragma once
// Runs nqhost.exe from the test binary's folder as a child process and captures what it prints.
#include "JsonParser.h"

#include <string>

namespace NqHostTest
{
struct NqHostRun
{
    int exitCode = -1;
    std::string output; // stdout and stderr, UTF-8
    bool Says(const std::string& text) const { return output.find(text) != std::string::npos; }
};

NqHostRun RunNqHost(const std::wstring& args);
// The same with --json; the output must be one JSON document.
JsonNode RunNqHostJson(const std::wstring& args, int& exitCode);
std::string Utf8(const std::wstring& text);
} // namespace NqHostTest

#pragma once
#include <string>
#include <vector>

namespace NqHost
{
// Runs one nqhost command line (without the program name); returns the exit code.
int RunTool(const std::vector<std::wstring>& args);
} // namespace NqHost

#pragma once
// The whole tool as one call: wmain runs it, and the benchmarks run commands through it in their own
// process.
#include <string>
#include <vector>

namespace NqHost
{
// Runs one nqhost command line (without the program name); returns the exit code.
int RunTool(const std::vector<std::wstring>& args);
} // namespace NqHost

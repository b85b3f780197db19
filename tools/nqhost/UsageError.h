#pragma once
// Thrown inside nqhost when the command line is wrong; the tool then exits with 2 and names the problem.
#include <string>

namespace NqHost
{
struct UsageError
{
    std::wstring message;
};
} // namespace NqHost

#pragma once
// What a command runs with: the command line, what the person is told, the loaded plug-in. The feed and the
// log location are handed it too, so it stands here among the basics, apart from the commands themselves.
#include "CommandLine.h"
#include "Output.h"
#include "PluginHost.h"

#include <string>
#include <vector>

namespace NqHost
{
using CommandArgs = std::vector<std::wstring>; // the words after the command's name

struct CommandContext
{
    const CCommandLine& line;
    COutput& output;
    CPluginHost& host;
};
} // namespace NqHost

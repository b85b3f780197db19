// The whole tool behind wmain: one command line in, an exit code out.
#include "Tool.h"

#include "Commands.h"
#include "HostRegistry.h"
#include "LogsFolder.h"
#include "RecordKindTable.h"
#include "UsageError.h"

#include <algorithm>
#include <memory>

using namespace NqHost;

namespace
{

const CommandInfo& FindCommand(const std::wstring& name)
{
    const CommandInfo* command = Commands::Find(name);
    if (!command)
        throw UsageError{L"unknown command '" + name + L"'"};
    return *command;
}

// Help for the tool, a command, or the fields of one kind of record.
void ShowHelp(COutput& output, const std::vector<std::wstring>& words)
{
    if (words.empty())
        return output.Help(Commands::ToolHelp());
    const CommandInfo& command = FindCommand(words[0]);
    if (command.run == Commands::Store && words.size() > 1)
        return output.Help(Commands::KindHelp(RecordKindTable::Find(words[1])));
    output.Help(Commands::CommandHelp(command));
}

void Run(COutput& output, const std::vector<std::wstring>& args, std::wstring& commandName)
{
    CCommandLine line(args);
    std::vector<std::wstring> words = line.Words();
    if (!words.empty() && words[0] == L"help")
        return ShowHelp(output, std::vector<std::wstring>(words.begin() + 1, words.end()));
    if (line.Has(L"help"))
        return ShowHelp(output, words);
    if (words.empty())
        throw UsageError{L"no command given"};
    const CommandInfo& command = FindCommand(words[0]);
    commandName = command.name;
    output.SetCommand(command.name);
    line.AllowOnly(command.options, command.name);
    // Before the plug-in loads, which reads its installation folder once.
    std::unique_ptr<CLogsFolder> logs;
    if (line.Has(L"logs"))
    {
        if (line.Option(L"logs").empty())
            throw UsageError{L"--logs needs a folder"};
        logs = std::make_unique<CLogsFolder>(output, line.Option(L"logs"));
        if (!logs->Ready())
            return;
    }
    CPluginHost host(output, line.Option(L"dll"), command.run == Commands::Demo);
    CommandContext context{line, output, host};
    command.run(context, std::vector<std::wstring>(words.begin() + 1, words.end()));
}
} // namespace

namespace NqHost
{

int RunTool(const std::vector<std::wstring>& args)
{
    COutput output(std::find(args.begin(), args.end(), L"--json") != args.end(),
                   std::find(args.begin(), args.end(), L"--wide") != args.end());
    std::wstring commandName;
    try
    {
        if (!HostRegistry::FollowRegistryRoot())
            throw UsageError{L"NQ_REGISTRY_ROOT names no key that can be opened"};
        Run(output, args, commandName);
    }
    catch (const UsageError& error)
    {
        std::wstring help = commandName.empty() ? L"nqhost --help" : L"nqhost " + commandName + L" --help";
        output.UsageError(error.message, L"Try '" + help + L"'.");
    }
    return output.Finish();
}
} // namespace NqHost

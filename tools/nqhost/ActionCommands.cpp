// delete, report, purge and remove-setup-link: the provider's actions.
#include "Commands.h"

#include "HostRegistry.h"
#include "RecordKindTable.h"
#include "Text.h"
#include "UsageError.h"

#include <algorithm>

namespace NqHost
{
namespace Commands
{
using namespace SrvFrwk::EventLog;

namespace
{
std::vector<std::wstring> PurgeFolders(bool debugLogs)
{
    std::vector<std::wstring> folders{HostRegistry::LogFolder(HostRegistry::InstalledFolder())};
    std::wstring traceFolder;
    if (debugLogs &&
        HostRegistry::ReadString(HostRegistry::kInteractiveTraceKey, L"LogFolder", traceFolder) &&
        !traceFolder.empty())
    {
        if (traceFolder.back() != L'\\')
            traceFolder += L'\\';
        folders.push_back(traceFolder);
    }
    return folders;
}

// Runs the action and shows which files of the folders it removed.
ULONG RunAndShowRemoved(CommandContext& context, ULONG subType, const wchar_t* label, void* param,
                        const std::vector<std::wstring>& folders)
{
    std::vector<std::vector<std::wstring>> before;
    for (const auto& folder : folders)
        before.push_back(ListFiles(folder));
    ULONG result = RunAction(context, subType, label, param);
    std::vector<std::wstring> removed;
    for (size_t i = 0; i < folders.size(); ++i)
    {
        std::vector<std::wstring> after = ListFiles(folders[i]);
        for (const auto& name : before[i])
            if (std::find(after.begin(), after.end(), name) == after.end())
                removed.push_back(folders[i] + name);
    }
    if (context.output.Json())
    {
        std::vector<std::vector<Cell>> rows;
        for (const auto& path : removed)
            rows.push_back({Cell::Text(path)});
        context.output.Table(L"removed", {L"path"}, rows);
    }
    else if (removed.empty())
        context.output.Message(L"no file was removed");
    else
        for (const auto& path : removed)
            context.output.Message(L"removed " + path);
    return result;
}
} // namespace

ULONG RunAction(CommandContext& context, ULONG subType, const wchar_t* label, void* param)
{
    auto* provider = context.host.Provider();
    if (!provider)
        return SrvFrwk::RESULT_FAILED;
    ULONG result = provider->DoAction(TYPE_EVENTLOG, subType, 0, param, 0, 0, 0);
    context.output.Result(Text::Format(L"DoAction(%lu, %lu = %s)", TYPE_EVENTLOG, subType, label), result);
    return result;
}

void Delete(CommandContext& context, const CommandArgs& args)
{
    ExpectArgs(args, 2, 2, L"delete");
    LogDeleteParam param{};
    param.dwTargetLogType = RecordKindTable::ParseLogType(args[0]);
    param.stDate = ParseDay(args[1]);
    context.output.Message(L"deleting the " + RecordKindTable::LogTypeName(param.dwTargetLogType) +
                           L" logs dated on or before " + Text::DateText(param.stDate));
    RunAndShowRemoved(context, ACTION_DELETE, L"delete", &param, PurgeFolders(false));
}

void Report(CommandContext& context, const CommandArgs& args)
{
    ExpectArgs(args, 0, 0, L"report");
    int before = context.host.Controller().Notifications();
    ULONG result = RunAction(context, ACTION_REPORT, L"report");
    if (!SrvFrwk::Failed(result) && context.host.Controller().Notifications() == before)
        context.output.Message(L"no report is due (see 'nqhost config report')");
}

void Purge(CommandContext& context, const CommandArgs& args)
{
    ExpectArgs(args, 1, 1, L"purge");
    if (args[0] == L"events")
        RunAndShowRemoved(context, ACTION_EVENTLOG_PURGE, L"event-log purge", nullptr, PurgeFolders(false));
    else if (args[0] == L"debug")
        RunAndShowRemoved(context, ACTION_DEBUGLOG_PURGE, L"debug-log purge", nullptr, PurgeFolders(true));
    else
        throw UsageError{L"'purge' takes 'events' or 'debug', not '" + args[0] + L"'"};
}

void RemoveSetupLink(CommandContext& context, const CommandArgs& args)
{
    ExpectArgs(args, 0, 0, L"remove-setup-link");
    if (SrvFrwk::Failed(RunAction(context, ACTION_SETUP_LINK_REMOVE, L"setup-link removal")))
        context.output.Message(
            L"(a shortcut that is already gone counts as a failure; the debug trace names the path)");
}
} // namespace Commands
} // namespace NqHost

// delete, report, purge and remove-setup-link: the provider's actions.
#include "Commands.h"

#include "HostRegistry.h"
#include "LogLocation.h"
#include "LogsFolder.h"
#include "LogPurgeRules.h"
#include "RecordKindTable.h"
#include "Text.h"
#include "UsageError.h"

#include <algorithm>
#include <memory>

namespace NqHost
{
namespace Commands
{
using namespace SrvFrwk::EventLog;

namespace
{
using namespace Norquill::LogPurgeRules;

// What one action looks at: a folder and how a name in it is judged.
struct PurgeScope
{
    std::wstring folder;
    std::vector<std::wstring> extensions;
    bool debugLogs;
};

std::vector<PurgeScope> EventLogScope(DWORD logType)
{
    PurgeScope scope{CLogsFolder::Shown(HostRegistry::LogFolder(HostRegistry::InstalledFolder())), {}, false};
    PurgeExtensions(logType, scope.extensions);
    return {scope};
}

// The log folder, then the trace folder of the settings when one is set, as the debug-log purge does.
std::vector<PurgeScope> DebugLogScope()
{
    std::vector<PurgeScope> scopes{
        {HostRegistry::LogFolder(HostRegistry::InstalledFolder()), DebugLogExtensions(), true}};
    std::wstring traceFolder;
    if (HostRegistry::ReadString(HostRegistry::kInteractiveTraceKey, L"LogFolder", traceFolder) &&
        !traceFolder.empty())
    {
        if (traceFolder.back() != L'\\')
            traceFolder += L'\\';
        scopes.push_back({traceFolder, DebugLogExtensions(), true});
    }
    return scopes;
}

// The files the action would remove, by the plug-in's own rules.
std::vector<std::wstring> Selected(const std::vector<PurgeScope>& scopes, const SYSTEMTIME& cutOff)
{
    std::vector<std::wstring> paths;
    for (const PurgeScope& scope : scopes)
        ForEachFile(scope.folder,
                    [&](const wchar_t* name, size_t length)
                    {
                        Verdict verdict = scope.debugLogs
                                              ? JudgeDebugLog(name, length, scope.extensions, cutOff)
                                              : JudgeEventLog(name, length, scope.extensions, cutOff);
                        if (verdict == Verdict::Remove)
                            paths.push_back(scope.folder + name);
                    });
    std::sort(paths.begin(), paths.end());
    return paths;
}

void ShowPaths(CommandContext& context, const wchar_t* table, const wchar_t* verb,
               const std::vector<std::wstring>& paths)
{
    if (context.output.Json())
    {
        std::vector<std::vector<Cell>> rows;
        for (const auto& path : paths)
            rows.push_back({Cell::Text(path)});
        context.output.Table(table, {L"path"}, rows);
    }
    else
        for (const auto& path : paths)
            context.output.Message(std::wstring(verb) + L" " + path);
    context.output.Value(std::wstring(table) + L"Count", static_cast<long long>(paths.size()));
}

// A dry run lists what the rules select; a real run acts and lists what went from the folders.
void RunOrPreview(CommandContext& context, bool dryRun, ULONG subType, const wchar_t* label, void* param,
                  const std::vector<PurgeScope>& scopes, const SYSTEMTIME* cutOff)
{
    if (dryRun)
    {
        ShowPaths(context, L"wouldRemove", L"would remove",
                  cutOff ? Selected(scopes, *cutOff) : std::vector<std::wstring>());
        context.output.Message(L"(dry run: nothing was removed)");
        return;
    }
    std::vector<std::vector<std::wstring>> before;
    for (const auto& scope : scopes)
        before.push_back(ListFiles(scope.folder));
    RunAction(context, subType, label, param);
    std::vector<std::wstring> removed;
    for (size_t i = 0; i < scopes.size(); ++i)
    {
        std::vector<std::wstring> after = ListFiles(scopes[i].folder);
        for (const auto& name : before[i])
            if (std::find(after.begin(), after.end(), name) == after.end())
                removed.push_back(scopes[i].folder + name);
    }
    ShowPaths(context, L"removed", L"removed", removed);
}

// The cut-off of a purge by its age setting, as the plug-in takes it from today; null when the purge
// would remove nothing (switched off, or an age reaching back before the earliest date).
std::unique_ptr<SYSTEMTIME> PurgeCutOff(CommandContext& context, DWORD age)
{
    SYSTEMTIME now{};
    GetLocalTime(&now);
    auto cutOff = std::make_unique<SYSTEMTIME>();
    if (!DaysBefore(now, age, *cutOff))
        return nullptr;
    context.output.Value(L"cutOff", Text::DateText(*cutOff));
    return cutOff;
}

} // namespace

void PurgeEvents(CommandContext& context, bool dryRun)
{
    std::unique_ptr<SYSTEMTIME> cutOff;
    if (dryRun)
    {
        EventLogSettings settings{};
        if (SrvFrwk::Failed(ShowPurgeSettings(context, &settings)))
            return;
        if (settings.dwPurgeFlag == 1)
            cutOff = PurgeCutOff(context, settings.dwDayFre);
    }
    RunOrPreview(context, dryRun, ACTION_EVENTLOG_PURGE, L"event-log purge", nullptr, EventLogScope(LOG_ALL),
                 cutOff.get());
}

void PurgeDebug(CommandContext& context, bool dryRun)
{
    std::unique_ptr<SYSTEMTIME> cutOff;
    if (dryRun)
    {
        DWORD age = 30;
        if (!HostRegistry::ReadSetting(HostRegistry::kEventLogKey, L"DebugLogPurgeFre", age))
        {
            context.output.Failure(L"DebugLogPurgeFre is not a number: the debug-log purge would fail");
            return;
        }
        context.output.Value(L"DebugLogPurgeFre", static_cast<long long>(age));
        cutOff = PurgeCutOff(context, age);
    }
    RunOrPreview(context, dryRun, ACTION_DEBUGLOG_PURGE, L"debug-log purge", nullptr, DebugLogScope(),
                 cutOff.get());
}

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
    context.output.Message(
        std::wstring(context.line.Has(L"dry-run") ? L"would delete the " : L"deleting the ") +
        RecordKindTable::LogTypeName(param.dwTargetLogType) + L" logs dated on or before " +
        Text::DateText(param.stDate));
    const std::vector<PurgeScope> scope = EventLogScope(param.dwTargetLogType);
    if (!CLogLocation::Usable(context.output, scope[0].folder))
        return;
    RunOrPreview(context, context.line.Has(L"dry-run"), ACTION_DELETE, L"delete", &param, scope,
                 &param.stDate);
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
        PurgeEvents(context, context.line.Has(L"dry-run"));
    else if (args[0] == L"debug")
        PurgeDebug(context, context.line.Has(L"dry-run"));
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

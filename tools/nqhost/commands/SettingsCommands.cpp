// install and config: the provider's settings requests.
#include "Commands.h"

#include "HostRegistry.h"
#include "ResultCodes.h"
#include "Text.h"
#include "UsageError.h"

namespace NqHost
{
namespace Commands
{
using namespace SrvFrwk::EventLog;

namespace
{
template <class TSettings>
ULONG QueryConfig(CommandContext& context, ULONG subType, const wchar_t* label, TSettings& settings)
{
    auto* provider = context.host.Provider();
    if (!provider)
        return SrvFrwk::RESULT_FAILED;
    ULONG result = provider->QueryConfig(TYPE_EVENTLOG, subType, &settings, 0, 0);
    context.output.Result(Text::Format(L"QueryConfig(%lu, %lu = %s)", TYPE_EVENTLOG, subType, label), result);
    return result;
}

template <class TSettings>
ULONG StoreConfig(CommandContext& context, ULONG subType, const wchar_t* label, const TSettings& settings)
{
    auto* provider = context.host.Provider();
    if (!provider)
        return SrvFrwk::RESULT_FAILED;
    TSettings copy = settings;
    ULONG result = provider->StoreConfig(TYPE_EVENTLOG, subType, &copy, 0, 0);
    context.output.Result(Text::Format(L"StoreConfig(%lu, %lu = %s)", TYPE_EVENTLOG, subType, label), result);
    return result;
}

// An option's number, checked before the plug-in is touched; -1 when the option is absent.
long long OptionalDword(CommandContext& context, const wchar_t* option, DWORD max)
{
    if (!context.line.Has(option))
        return -1;
    return ParseDword(std::wstring(L"--") + option, context.line.Option(option), max);
}

void ConfigReport(CommandContext& context)
{
    long long days = OptionalDword(context, L"days", 0xFFFFFFFF);
    long long alert = OptionalDword(context, L"alert", 1);
    if (days >= 0 || alert >= 0)
    {
        // Read first so that an option left out keeps its current value.
        ReportSettings settings{};
        if (SrvFrwk::Failed(QueryConfig(context, CONFIG_REPORT, L"report", settings)))
            return;
        if (days >= 0)
            settings.dwDayFre = static_cast<DWORD>(days);
        if (alert >= 0)
            settings.dwAlertFlag = static_cast<DWORD>(alert);
        if (SrvFrwk::Failed(StoreReportSettings(context, settings)))
            return;
    }
    ShowReportSettings(context);
}

void ConfigPurge(CommandContext& context)
{
    if (context.line.Has(L"on") && context.line.Has(L"off"))
        throw UsageError{L"'config purge' takes --on or --off, not both"};
    long long days = OptionalDword(context, L"days", 0xFFFFFFFF);
    if (days >= 0 || context.line.Has(L"on") || context.line.Has(L"off"))
    {
        EventLogSettings settings{};
        if (SrvFrwk::Failed(QueryConfig(context, CONFIG_EVENTLOG_PURGE, L"purge", settings)))
            return;
        if (days >= 0)
            settings.dwDayFre = static_cast<DWORD>(days);
        if (context.line.Has(L"on") || context.line.Has(L"off"))
            settings.dwPurgeFlag = context.line.Has(L"on") ? 1 : 0;
        if (SrvFrwk::Failed(StoreConfig(context, CONFIG_EVENTLOG_PURGE, L"purge", settings)))
            return;
    }
    ShowPurgeSettings(context);
}

// The one command that changes where the plug-in keeps its logs, for good.
void ConfigFolder(CommandContext& context, const CommandArgs& args)
{
    const bool unset = context.line.Has(L"unset");
    if (unset && args.size() > 1)
        throw UsageError{L"'config folder' takes a folder or --unset, not both"};
    std::wstring current = HostRegistry::InstalledFolder();
    const std::wstring was = current.empty() ? L"unset" : current;
    if (unset)
    {
        LONG status = HostRegistry::DeleteValue(HostRegistry::kInstallKey, L"InstalledFolder");
        if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND)
            return context.output.Failure(L"cannot unset InstalledFolder: " + ResultCodes::Describe(status));
        context.output.Message(L"InstalledFolder unset (was " + was + L")");
        current.clear();
    }
    else if (args.size() > 1)
    {
        // Stored whole: every process of the suite reads it, each from a current folder of its own.
        wchar_t full[MAX_PATH * 4] = {};
        const DWORD size = GetFullPathNameW(args[1].c_str(), MAX_PATH * 4, full, nullptr);
        std::wstring folder = size && size < MAX_PATH * 4 ? std::wstring(full) : args[1];
        if (folder.back() != L'\\')
            folder += L'\\';
        if (!HostRegistry::CreateFolderTree(folder))
            return context.output.Failure(L"cannot create the folder " + folder + L": " +
                                          ResultCodes::Describe(GetLastError()));
        LONG status = HostRegistry::WriteString(HostRegistry::kInstallKey, L"InstalledFolder", folder);
        if (status != ERROR_SUCCESS)
            return context.output.Failure(L"cannot set InstalledFolder: " + ResultCodes::Describe(status));
        context.output.Message(L"InstalledFolder set to " + folder + L" (was " + was + L")");
        current = folder;
    }
    context.output.Value(L"InstalledFolder", current);
    context.output.Value(L"logFolder", current.empty()
                                           ? std::wstring(L"(none: the relative Log\\ of the host's "
                                                          L"current folder)")
                                           : HostRegistry::LogFolder(current));
}
} // namespace

ULONG ShowReportSettings(CommandContext& context, ReportSettings* out)
{
    ReportSettings settings{};
    ULONG result = QueryConfig(context, CONFIG_REPORT, L"report", settings);
    if (SrvFrwk::Failed(result))
        return result;
    context.output.Value(L"dwDayFre", static_cast<long long>(settings.dwDayFre));
    context.output.Value(L"dwAlertFlag", static_cast<long long>(settings.dwAlertFlag));
    context.output.Message(settings.dwAlertFlag == 1
                               ? Text::Format(L"(a report is due every %lu days)", settings.dwDayFre)
                               : std::wstring(L"(reports are off)"));
    if (out)
        *out = settings;
    return result;
}

ULONG ShowPurgeSettings(CommandContext& context, EventLogSettings* out)
{
    EventLogSettings settings{};
    ULONG result = QueryConfig(context, CONFIG_EVENTLOG_PURGE, L"purge", settings);
    if (SrvFrwk::Failed(result))
        return result;
    context.output.Value(L"dwDayFre", static_cast<long long>(settings.dwDayFre));
    context.output.Value(L"dwPurgeFlag", static_cast<long long>(settings.dwPurgeFlag));
    context.output.Message(
        settings.dwPurgeFlag == 1
            ? Text::Format(L"(event logs older than %lu days are purged)", settings.dwDayFre)
            : std::wstring(L"(the event-log purge is off)"));
    if (out)
        *out = settings;
    return result;
}

ULONG StoreReportSettings(CommandContext& context, const ReportSettings& settings)
{
    return StoreConfig(context, CONFIG_REPORT, L"report", settings);
}

void Install(CommandContext& context, const CommandArgs& args)
{
    ExpectArgs(args, 0, 0, L"install");
    auto* provider = context.host.Provider();
    if (!provider)
        return;
    ULONG result = provider->Install();
    context.output.Result(L"Install()", result);
    if (!SrvFrwk::Failed(result))
        context.output.Message(std::wstring(L"default settings written to HKLM\\") +
                               HostRegistry::kEventLogKey);
}

void Config(CommandContext& context, const CommandArgs& args)
{
    ExpectArgs(args, 1, 2, L"config");
    if (args[0] == L"folder")
    {
        context.line.AllowOnly({L"unset"}, L"config folder");
        return ConfigFolder(context, args);
    }
    ExpectArgs(args, 1, 1, L"config");
    if (args[0] == L"report")
    {
        context.line.AllowOnly({L"days", L"alert"}, L"config report");
        ConfigReport(context);
    }
    else if (args[0] == L"purge")
    {
        context.line.AllowOnly({L"days", L"on", L"off"}, L"config purge");
        ConfigPurge(context);
    }
    else
        throw UsageError{L"'config' takes 'report', 'purge' or 'folder', not '" + args[0] + L"'"};
}
} // namespace Commands
} // namespace NqHost

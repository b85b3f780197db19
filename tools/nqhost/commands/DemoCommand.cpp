// demo: a guided run through everything the plug-in does, in an installation of its own.
#include "Commands.h"

#include "HostRegistry.h"
#include "LogPurgeRules.h"
#include "RegistryRoot.h"
#include "RecordKindTable.h"
#include "ResultCodes.h"
#include "Text.h"
#include "UsageError.h"

#include "KvCommon/KvComn_Handle.h"

namespace NqHost
{
namespace Commands
{
namespace
{
using namespace SrvFrwk::EventLog;

struct Sample
{
    const wchar_t* kind;
    std::vector<std::wstring> fields;
};

// One plausible event of each kind.
const std::vector<Sample>& Samples()
{
    static const std::vector<Sample> samples = {
        {L"virus",
         {L"dwNumber=7", L"dwCode=0x1a", L"szThreatName=Demo.Trojan.A",
          L"szFilePath=C:\\Users\\Public\\invoice.exe", L"szDetail=quarantined", L"nValue1=1"}},
        {L"spyware",
         {L"nType=1", L"szText1=Demo.Adware", L"nValue1=2", L"szPath=C:\\Program Files\\DemoBar",
          L"szText2=removed", L"szItem=demobar.dll", L"szText4=file", L"dwCode=0x20", L"nValue3=3"}},
        {L"vulnerability",
         {L"szName=DEMO-2026-0001", L"nValue1=5", L"nValue2=1",
          L"szText1=An outdated demo component lets a web page run code"}},
        {L"tsc", {L"szText1=Demo scan finished", L"nValue1=42"}},
        {L"update",
         {L"nValue1=1", L"nValue2=0", L"nValue3=16", L"nValue4=2", L"szText1=16.0.1", L"szText2=engine"}},
        {L"history", {L"dwKind=0", L"dwValue=3", L"dwCount=42"}},
        {L"url",
         {L"dwNumber=1", L"dwCode=0x1a", L"tsText1=http://blocked.example/", L"nValue=4",
          L"tsText2=gambling"}},
        {L"privacy",
         {L"dwType=2", L"nValue1=1", L"tsText1=card number", L"nValue2=0", L"tsText2=browser.exe",
          L"tsText6=blocked"}},
        {L"phishing", {L"nValue1=3", L"dwCode=128", L"nValue2=7", L"tsText1=http://phish.example/login"}},
        {L"change",
         {L"nType=3", L"dwFlag=1", L"szPath=HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Run",
          L"szItem=demo.exe", L"szText1=start-up entry added", L"szText2=added", L"nValue1=1", L"nValue3=2"}},
    };
    return samples;
}

// The demo's installation folder: a fresh one under %TEMP%, removed afterwards, or --folder, kept.
std::wstring DemoFolder(CommandContext& context)
{
    std::wstring folder = context.line.Option(L"folder");
    if (folder.empty())
    {
        wchar_t temp[MAX_PATH + 1] = {};
        GetTempPathW(MAX_PATH + 1, temp);
        folder = Text::Format(L"%sNorquillDemo-%lu\\", temp, GetCurrentProcessId());
    }
    if (folder.back() != L'\\')
        folder += L'\\';
    return folder;
}

// The demo's own folder, removed at the end, must be new: one that was there before could hold anything.
bool MakeFreshFolder(CommandContext& context, const std::wstring& folder)
{
    if (CreateDirectoryW(folder.c_str(), nullptr))
        return true;
    const DWORD error = GetLastError();
    context.output.Failure(
        L"cannot make the demo's own folder " + folder + L": " + ResultCodes::Describe(error) +
        (error == ERROR_ALREADY_EXISTS ? L" (it was there before the demo: remove it, or give --folder)"
                                       : L""));
    return false;
}

// The demo's purge removes what is old in its folder, so a folder that already holds logs is refused.
bool PrepareFolder(CommandContext& context, const std::wstring& folder)
{
    if (!ListFiles(HostRegistry::LogFolder(folder)).empty())
    {
        context.output.Failure(L"the demo needs a folder of its own, and " + HostRegistry::LogFolder(folder) +
                               L" already holds files");
        return false;
    }
    if (!HostRegistry::CreateFolderTree(folder))
    {
        context.output.Failure(L"cannot create the folder " + folder + L": " +
                               ResultCodes::Describe(GetLastError()));
        return false;
    }
    LONG status = HostRegistry::WriteString(HostRegistry::kInstallKey, L"InstalledFolder", folder);
    if (status != ERROR_SUCCESS)
    {
        context.output.Failure(L"cannot set the demo's InstalledFolder: " + ResultCodes::Describe(status));
        return false;
    }
    context.output.Value(L"installedFolder", folder);
    return true;
}

// Two day files of older days, so that the purge has something of the demo's own to remove.
void PlantOldDays(CommandContext& context, const std::wstring& logFolder)
{
    SYSTEMTIME now = Text::Today();
    for (DWORD age : {45u, 10u})
    {
        SYSTEMTIME day{};
        Norquill::LogPurgeRules::DaysBefore(now, age, day);
        std::wstring key = Text::Format(L"%08lu", Text::DayKey(day));
        std::wstring body = L"\xFEFF" + key + L"|120000|Demo scan of an older day|7\r\n";
        std::wstring path = logFolder + key + L".PTG";
        KvCommon::UniqueFileHandle file(
            CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
        DWORD written = 0;
        if (!file ||
            !WriteFile(file.get(), body.data(), static_cast<DWORD>(body.size() * 2), &written, nullptr))
            context.output.Failure(L"cannot write " + path + L": " + ResultCodes::Describe(GetLastError()));
        else
            context.output.Message(Text::Format(L"wrote %s, %lu days old", path.c_str(), age));
    }
}

void StoreAndReadBack(CommandContext& context, const Sample& sample)
{
    const CRecordKind& kind = RecordKindTable::Find(sample.kind);
    context.output.BeginStep(L"Store one " + kind.Name() + L" event (" + kind.Description() +
                             L") and read the day back");
    context.output.Value(L"kind", kind.Name());
    if (SrvFrwk::Failed(StoreEvent(context, kind, sample.fields)))
        return;
    size_t count = 0;
    ULONG result = QueryDay(context, kind, Text::Today(), &count);
    if (!SrvFrwk::Failed(result) && count == 0)
        context.output.Failure(L"the " + kind.Name() + L" event just stored did not come back");
}

void ShowPaths(CommandContext& context)
{
    context.output.BeginStep(L"Ask for the log file paths: today's and the latest of each kind");
    SYSTEMTIME today = Text::Today();
    std::vector<std::vector<Cell>> rows;
    for (const auto& kind : RecordKindTable::All())
    {
        std::wstring todays, latest;
        QueryPath(context, kind->LogType(), &today, &todays);
        QueryPath(context, kind->LogType(), nullptr, &latest);
        rows.push_back({Cell::Text(kind->Name()),
                        Cell::Number(kind->LogType(), Text::Format(L"%lu", kind->LogType())),
                        Cell::Text(todays), Cell::Text(latest)});
    }
    context.output.Table(L"paths", {L"kind", L"LogType", L"today", L"latest"}, rows);
}

void RunReport(CommandContext& context)
{
    context.output.BeginStep(
        L"Run the report: make it due (every 0 days), run it, then restore the interval");
    ReportSettings settings{};
    if (SrvFrwk::Failed(ShowReportSettings(context, &settings)))
        return;
    ReportSettings due{0, 1};
    if (SrvFrwk::Failed(StoreReportSettings(context, due)))
        return;
    RunAction(context, ACTION_REPORT, L"report");
    if (context.host.Controller().Notifications() == 0)
        context.output.Failure(L"the report was due but the controller was not notified");
    StoreReportSettings(context, settings);
}

void RunPurges(CommandContext& context)
{
    context.output.BeginStep(L"Purge old event logs: first a dry run, then the purge itself");
    PlantOldDays(context, HostRegistry::LogFolder(HostRegistry::InstalledFolder()));
    PurgeEvents(context, true);
    PurgeEvents(context, false);
    context.output.Message(L"(files younger than the purge age stay)");
    context.output.BeginStep(L"Purge old debug logs");
    PurgeDebug(context, false);
}

void ShowFiles(CommandContext& context);

void RunSteps(CommandContext& context)
{
    context.output.BeginStep(L"Install: write every default setting");
    Install(context, {});
    for (const Sample& sample : Samples())
        StoreAndReadBack(context, sample);
    ShowPaths(context);
    context.output.BeginStep(L"The most recent threat (the virus event above)");
    QueryRecent(context);
    context.output.BeginStep(L"The report and purge settings");
    ShowReportSettings(context);
    ShowPurgeSettings(context);
    RunReport(context);
    RunPurges(context);
    ShowFiles(context);
}

void ShowFiles(CommandContext& context)
{
    context.output.BeginStep(L"Where everything went");
    std::wstring logFolder = HostRegistry::LogFolder(HostRegistry::InstalledFolder());
    std::vector<std::vector<Cell>> rows;
    for (const auto& name : ListFiles(logFolder))
    {
        WIN32_FILE_ATTRIBUTE_DATA data{};
        GetFileAttributesExW((logFolder + name).c_str(), GetFileExInfoStandard, &data);
        rows.push_back({Cell::Text(logFolder + name),
                        Cell::Number(data.nFileSizeLow, Text::Format(L"%lu", data.nFileSizeLow))});
    }
    context.output.Message(L"event logs (daily UTF-16 files, one per kind and day) in " + logFolder + L":");
    context.output.Table(L"files", {L"path", L"bytes"}, rows);
    context.output.Value(L"settings", std::wstring(L"HKLM\\") + HostRegistry::kEventLogKey);
    context.output.Value(L"installedFolder", HostRegistry::InstalledFolder() + L" (HKLM\\" +
                                                 HostRegistry::kInstallKey + L", InstalledFolder)");
    DWORD enabled = 0;
    std::wstring traceFolder;
    HostRegistry::ReadDword(HostRegistry::kInteractiveTraceKey, L"Enable", enabled);
    HostRegistry::ReadString(HostRegistry::kInteractiveTraceKey, L"LogFolder", traceFolder);
    context.output.Value(L"debugLogs",
                         enabled ? traceFolder : std::wstring(L"off ('nqhost trace on' writes them)"));
}
} // namespace

void Demo(CommandContext& context, const CommandArgs& args)
{
    ExpectArgs(args, 0, 0, L"demo");
    if (context.line.Has(L"folder") && context.line.Option(L"folder").empty())
        throw UsageError{L"--folder needs a folder"};

    context.output.BeginStep(L"Make an installation of the demo's own and load the plug-in");
    const std::wstring folder = DemoFolder(context);
    const bool keepFolder = context.line.Has(L"folder");
    CRegistryRoot registry(Text::Format(L"Software\\NorquillDemo\\%lu", GetCurrentProcessId()));
    if (!registry.Active())
        return context.output.Failure(L"cannot make the demo's own registry key HKCU\\" + registry.Path());
    context.output.Message(L"settings go to HKCU\\" + registry.Path() +
                           L" (seen as HKLM by this run only) and " + L"logs to " + folder +
                           L"; your own settings and logs are not touched");
    const bool ours = !keepFolder && MakeFreshFolder(context, folder);
    if ((keepFolder || ours) && PrepareFolder(context, folder) && context.host.Provider())
        RunSteps(context);
    context.output.BeginStep(
        L"Free the provider, uninitialize and unload the plug-in, as the framework does");
    context.host.Release();
    if (ours)
        RemoveTree(folder);
    else if (!keepFolder)
        return;
    context.output.Message(keepFolder ? L"the demo's files stay in " + folder
                                      : L"removed the demo's folder " + folder + L" and its registry key");
}
} // namespace Commands
} // namespace NqHost

// The command table and the help texts.
#include "Commands.h"

#include "RecordKindTable.h"
#include "Text.h"

namespace NqHost
{
namespace Commands
{
const std::vector<CommandInfo>& All()
{
    static const std::vector<CommandInfo> commands = {
        {L"install",
         L"install",
         L"Write every default setting and time stamp (IEnforceProvider::Install).",
         {},
         Install},
        {L"store",
         L"store KIND field=value ...",
         L"Record one event (StoreData). Numbers are decimal or 0x hexadecimal; a text longer than its\n"
         L"member or a field the record does not have is refused. 'nqhost store KIND --help' lists the "
         L"fields.",
         {},
         Store},
        {L"query",
         L"query KIND [YYYY-MM-DD]",
         L"Read a day's events of one kind back (QueryData), today by default. A day without a log\n"
         L"file gives RESULT_FAILED.",
         {},
         Query},
        {L"path",
         L"path KIND [YYYY-MM-DD | latest]",
         L"The path of a day's log file, or of the latest one (QueryData 16). KIND is a kind's name,\n"
         L"pfw, asg, or a LogType number.",
         {},
         Path},
        {L"recent", L"recent", L"The most recent threat (QueryData 18).", {}, Recent},
        {L"config",
         L"config report [--days N] [--alert 0|1]\n  nqhost config purge [--days N] [--on|--off]",
         L"Show the report or event-log purge settings (QueryConfig), or set them first (StoreConfig).\n"
         L"Setting the report settings restarts the report interval from today.",
         {L"days", L"alert", L"on", L"off"},
         Config},
        {L"delete",
         L"delete KIND|all YYYY-MM-DD",
         L"Delete the log files of one kind (or all) dated on or before the day (DoAction 1).",
         {},
         Delete},
        {L"report",
         L"report",
         L"Trigger the periodic report when it is due (DoAction 2); the controller is then notified.",
         {},
         Report},
        {L"purge",
         L"purge events|debug",
         L"Delete event logs (DoAction 3) or debug logs (DoAction 4) older than the configured age.",
         {},
         Purge},
        {L"remove-setup-link",
         L"remove-setup-link",
         L"Remove the setup wizard's start-up hooks (DoAction 5). A shortcut that is already gone is a\n"
         L"failure.",
         {},
         RemoveSetupLink},
        {L"service",
         L"service start|stop|state",
         L"Start or stop the service object and show its state. The service lives only as long as\n"
         L"this nqhost process.",
         {},
         Service},
        {L"trace",
         L"trace on|off [--level N] [--folder DIR]",
         L"Switch the debug trace on or off for the next load of the plug-in (registry only). --level\n"
         L"is a mask: 1 function, 16 info, 256 error (default 273).",
         {L"level", L"folder"},
         Trace},
        {L"demo",
         L"demo [--folder DIR]",
         L"A guided run: install, store and read back one event of each kind, paths, the recent\n"
         L"threat, the settings, the report, both purges, and where every file went. Sets\n"
         L"InstalledFolder first when it is unset (C:\\ProgramData\\Norquill\\) or when --folder is given.",
         {L"folder"},
         Demo},
    };
    return commands;
}

const CommandInfo* Find(const std::wstring& name)
{
    for (const CommandInfo& command : All())
        if (name == command.name)
            return &command;
    return nullptr;
}

std::wstring ToolHelp()
{
    std::wstring text = L"nqhost: loads Norquill.dll as the service framework does and drives its provider\n"
                        L"and service from the command line.\n\n"
                        L"usage: nqhost [--dll PATH] [--json] COMMAND [ARGS]\n\n"
                        L"commands:\n";
    for (const CommandInfo& command : All())
        text += L"  nqhost " + std::wstring(command.synopsis) + L"\n";
    text += L"\nkinds: " + RecordKindTable::KindNames() +
            L"\n\n"
            L"  --dll PATH  load another build of the plug-in (default: Norquill.dll beside nqhost.exe)\n"
            L"  --json      print one JSON document instead of text\n"
            L"  --help      this text; 'nqhost COMMAND --help' for one command\n\n"
            L"exit code: 0 when every result was non-negative, 1 after a failure, 2 after a usage error.\n";
    return text;
}

std::wstring CommandHelp(const CommandInfo& command)
{
    return L"usage: nqhost " + std::wstring(command.synopsis) + L"\n\n" + command.description + L"\n";
}

std::wstring KindHelp(const CRecordKind& kind)
{
    std::wstring text =
        Text::Format(L"usage: nqhost store %s field=value ...\n\n%s, data sub-type %lu, LogType %lu.\n"
                     L"fields (* = kept in the log file and shown by query):\n",
                     kind.Name().c_str(), kind.Description().c_str(), kind.SubType(), kind.LogType());
    for (const RecordField& field : kind.Fields())
        text += Text::Format(L"  %s%-14s %s\n", field.readBack ? L"*" : L" ", field.name.c_str(),
                             field.type.c_str());
    return text;
}
} // namespace Commands
} // namespace NqHost

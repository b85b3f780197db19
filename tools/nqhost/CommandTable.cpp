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
         L"query KIND [YYYY-MM-DD | --from YYYY-MM-DD --to YYYY-MM-DD]",
         L"Read a day's events of one kind back (QueryData), today by default. A day without a log\n"
         L"file gives RESULT_FAILED. With --from/--to every day of the range is read, in order, into one\n"
         L"table; days without a file are counted, not failures. An open --from starts at the oldest\n"
         L"file, an open --to ends today.",
         {L"from", L"to"},
         Query},
        {L"export",
         L"export [KIND ... | all] [--from D] [--to D] [--format jsonl|csv] [--schema ecs] [--output FILE]\n"
         L"  [--cursor FILE]",
         L"Write the events of a range of days (all of them by default) for other tools, day by day, in\n"
         L"UTF-8 without a byte-order mark, to standard output or FILE. jsonl: one JSON object a line\n"
         L"with kind, id, time (local, RFC 3339 with its UTC offset) and the fields the log file keeps;\n"
         L"with --schema ecs one Elastic Common Schema document a line instead. csv: RFC 4180 with a\n"
         L"header line, one kind only. --cursor FILE: only what earlier runs with that cursor did not\n"
         L"write, and the cursor moved on once the output is flushed. Progress goes to standard error\n"
         L"when it is a console; the report goes there too when the data goes to standard output.",
         {L"from", L"to", L"format", L"schema", L"output", L"cursor"},
         Export},
        {L"check",
         L"check [KIND ... | all] [--from D] [--to D]",
         L"Read the bytes of every day file in the range (all of them by default) and report, with line\n"
         L"numbers, what the plug-in's reader would skip or misread: lines without \"|\" or longer than\n"
         L"2046 characters, a missing or misplaced byte-order mark, a last line without its end, text\n"
         L"that is not valid UTF-16. Exit code 1 when any file is damaged.",
         {L"from", L"to"},
         Check},
        {L"tail",
         L"tail KIND [--lines N] [--format text|jsonl|csv] [--schema ecs] [--for SECONDS] [--max-records N]\n"
         L"  [--cursor FILE]",
         L"Print the last N (10) events of today, then every new one as it is stored, following\n"
         L"today's file across midnight, until Ctrl-C, SECONDS have passed or N events were printed.\n"
         L"Events go to standard output, everything else to standard error. --cursor FILE: go on after\n"
         L"the last event an earlier run delivered (every day since, then today) instead of --lines;\n"
         L"the cursor is replaced whole after each batch has been flushed.",
         {L"lines", L"format", L"schema", L"for", L"max-records", L"cursor"},
         Tail},
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

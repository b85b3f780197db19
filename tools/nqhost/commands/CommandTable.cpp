// The command table and the help texts.
#include "Commands.h"

#include "RecordKindTable.h"
#include "StoreFacts.h"
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
         L"store KIND field=value ...\n  nqhost store [KIND] --jsonl FILE|-",
         L"Record one event (StoreData). Numbers are decimal or 0x hexadecimal; a text longer than its\n"
         L"member or a field the record does not have is refused. A given field that the log file will\n"
         L"drop, cut or change is warned about on standard error (the exit code stays 0).\n"
         L"'nqhost store KIND --help' lists the fields and what the log file does with each.\n"
         L"--jsonl stores one event per line of FILE (or standard input): a JSON object with \"kind\"\n"
         L"(or the KIND given) and the fields, numbers as numbers or texts; each refused or failed\n"
         L"line is reported with its number and the others are stored.",
         {L"jsonl", L"logs"},
         Store},
        {L"query",
         L"query KIND|all [YYYY-MM-DD | --from MOMENT --to MOMENT] [--where FIELD=VALUE]... [--match TEXT]",
         L"Read a day's events of one kind back (QueryData), today by default. A day without a log\n"
         L"file gives RESULT_FAILED. With --from/--to every day of the range is read, in order, into one\n"
         L"table; days without a file are counted, not failures. An open --from starts at the oldest\n"
         L"file, an open --to ends today. A MOMENT is YYYY-MM-DD or YYYY-MM-DDTHH:MM[:SS].\n"
         L"'all' gives one timeline of every kind in time order. --where keeps the records whose field\n"
         L"has the value (numbers by value, texts whatever the case; 'kind' names the kind; field names\n"
         L"whatever their case), each one given must hold; --match keeps those with a text field that\n"
         L"holds TEXT, whatever the case (the system's ordinal comparison, every script's capitals).\n"
         L"Lines of a day file the plug-in's reader skipped are counted on standard error.\n"
         L"--timezone ZONE (with --json): the times' offsets by that zone's rules, for logs of a\n"
         L"machine elsewhere; ZONE is an IANA name (Europe/Berlin) or a Windows one (W. Europe Standard\n"
         L"Time). --host NAME is said with the records.",
         {L"from", L"to", L"where", L"match", L"logs", L"host", L"timezone"},
         Query},
        {L"export",
         L"export [KIND ... | all] [--from MOMENT] [--to MOMENT] [--format jsonl|csv] [--schema ecs]\n"
         L"  [--output FILE] [--cursor FILE] [--where FIELD=VALUE]... [--match TEXT] [--csv-raw]\n"
         L"  [--host NAME] [--timezone ZONE]",
         L"Write the events of a range of days (all of them by default) for other tools, day by day, in\n"
         L"UTF-8 without a byte-order mark, to standard output or FILE. jsonl: one JSON object a line\n"
         L"with kind, id, time (local, RFC 3339 with its UTC offset) and the fields the log file keeps;\n"
         L"with --schema ecs one Elastic Common Schema document a line instead. csv: RFC 4180 with a\n"
         L"header line, one kind only; a text cell beginning with =, +, -, @, tab or CR gets a leading '\n"
         L"so that no spreadsheet runs it as a formula, unless --csv-raw is given. --cursor FILE: only\n"
         L"what earlier runs with that cursor did not write, appended to FILE, and the cursor moved on\n"
         L"once the output is on disk. --host NAME and --timezone ZONE: logs brought from another\n"
         L"machine; NAME goes into host.name and the ids, ZONE (IANA or Windows name) sets the offsets.\n"
         L"Exit code 1 when the output cannot be written. --where and --match filter as for query. Progress "
         L"goes to standard error when it is\n"
         L"a console; the report, and the count of damaged lines the reader skipped, go there too when\n"
         L"the data goes to standard output.",
         {L"from", L"to", L"format", L"schema", L"output", L"cursor", L"where", L"match", L"csv-raw", L"logs",
          L"host", L"timezone"},
         Export},
        {L"check",
         L"check [KIND ... | all] [--from D] [--to D]",
         L"Read the bytes of every day file in the range (all of them by default) and report, with line\n"
         L"numbers, what the plug-in's reader would skip or misread: lines without \"|\" or longer than\n"
         L"2046 characters, a missing or misplaced byte-order mark, a last line without its end, text\n"
         L"that is not valid UTF-16, and lines whose fields do not fit their kind (field count, date and\n"
         L"time, numbers), which query, export and tail leave out and count as damaged. Exit code 1 when\n"
         L"any file is damaged.",
         {L"from", L"to", L"logs"},
         Check},
        {L"seal",
         L"seal init --verify-key FILE [--epoch SECONDS] [--force]\n  nqhost seal status",
         L"Forward-secure sealing of every event stored from then on, by any process. init makes a\n"
         L"random key, writes the verification key to FILE (keep it off this machine: it is nowhere\n"
         L"else) and leaves here only a key that moves on one way every epoch (60 seconds by default),\n"
         L"so that whoever takes the machine later can forge nothing sealed before. A second init needs\n"
         L"--force and starts a new chain, recorded in both. status says whether sealing runs, the epoch\n"
         L"length and the current epoch; it moves the key on past epochs that have ended.",
         {L"verify-key", L"epoch", L"force"},
         Seal},
        {L"verify",
         L"verify --verify-key FILE [KIND ... | all] [--from D] [--to D]",
         L"Check every line of the day files in the range (all of them by default) against its seal with\n"
         L"the verification key of seal init: one 'PATH:LINE: problem' for each line changed, removed,\n"
         L"moved or added without a seal, a day's end cut after its epoch passed, a day removed other\n"
         L"than by the purge or the delete action, a seal file missing or damaged. Days written before\n"
         L"sealing began are said to be unsealed and are no problem. Exit code 1 on any problem.",
         {L"verify-key", L"from", L"to", L"logs"},
         Verify},
        {L"tail",
         L"tail KIND|all [--lines N] [--format text|jsonl|csv] [--schema ecs] [--for SECONDS]\n"
         L"  [--max-records N] [--cursor FILE] [--where FIELD=VALUE]... [--match TEXT] [--csv-raw]\n"
         L"  [--host NAME] [--timezone ZONE]",
         L"Print the last N (10) events of today, then every new one as it is stored, following\n"
         L"today's file across midnight, until Ctrl-C, SECONDS have passed or N events were printed;\n"
         L"--for 0 and --max-records 0, the defaults, set no limit. 'all' follows every kind as one\n"
         L"timeline. Events go to standard output (JSON Lines with --json), everything else to\n"
         L"standard error, damaged lines the reader skipped included. Control characters of texts are\n"
         L"shown as escapes (\\x1b) in text. --cursor FILE: each kind goes on after the last event an\n"
         L"earlier run delivered of it (every day since, then today); a kind the cursor does not know\n"
         L"starts with --lines. The cursor is replaced whole after each batch has been flushed.\n"
         L"Yesterday's file is followed for 5 seconds past midnight, for writers still waiting for it.\n"
         L"--host and --timezone as for export. Exit code 1 when the output cannot be written.",
         {L"lines", L"format", L"schema", L"for", L"max-records", L"cursor", L"where", L"match", L"csv-raw",
          L"logs", L"host", L"timezone"},
         Tail},
        {L"path",
         L"path KIND [YYYY-MM-DD | latest]",
         L"The path of a day's log file, or of the latest one (QueryData 16). KIND is a kind's name,\n"
         L"pfw, asg, or a LogType number.",
         {},
         Path},
        {L"recent", L"recent", L"The most recent threat (QueryData 18).", {}, Recent},
        {L"config",
         L"config report [--days N] [--alert 0|1]\n  nqhost config purge [--days N] [--on|--off]\n"
         L"  nqhost config folder [DIR | --unset]",
         L"Show the report or event-log purge settings (QueryConfig), or set them first (StoreConfig).\n"
         L"Setting the report settings restarts the report interval from today. 'config folder' shows\n"
         L"InstalledFolder, the folder the plug-in keeps its logs under; DIR sets it (creating the\n"
         L"folder), --unset removes it; either says what it was.",
         {L"days", L"alert", L"on", L"off", L"unset"},
         Config},
        {L"delete",
         L"delete KIND|all YYYY-MM-DD [--dry-run]",
         L"Delete the log files of one kind (or all) dated on or before the day (DoAction 1), and list\n"
         L"them. --dry-run lists the files the plug-in's rules select and removes nothing.",
         {L"dry-run", L"logs"},
         Delete},
        {L"report",
         L"report",
         L"Trigger the periodic report when it is due (DoAction 2); the controller is then notified.",
         {},
         Report},
        {L"purge",
         L"purge events|debug [--dry-run]",
         L"Delete event logs (DoAction 3) or debug logs (DoAction 4) older than the configured age, and\n"
         L"list them. --dry-run lists the files the plug-in's rules select today and removes nothing.",
         {L"dry-run"},
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
         L"threat, the settings, the report, both purges (each previewed first), and where every file\n"
         L"went. It runs in an installation of its own: settings in a fresh registry key that only this\n"
         L"run sees as HKLM, files in a fresh folder under %TEMP%; both are removed at the end. With\n"
         L"--folder the files go to DIR (whose Log folder must hold no files) and stay there. Your\n"
         L"settings, logs and most recent threat are never touched.",
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
                        L"usage: nqhost [--dll PATH] [--json] [--wide] COMMAND [ARGS] [--logs DIR]\n\n"
                        L"commands:\n";
    for (const CommandInfo& command : All())
        text += L"  nqhost " + std::wstring(command.synopsis) + L"\n";
    text += L"\nkinds: " + RecordKindTable::KindNames() +
            L"\n\n"
            L"  --dll PATH  load another build of the plug-in (default: Norquill.dll beside nqhost.exe)\n"
            L"  --json      print one JSON document instead of text\n"
            L"  --wide      whole texts in tables on a console too (files and pipes always get them)\n"
            L"  --logs DIR  query, export, tail, check, store and delete work on the day files in DIR\n"
            L"              (any folder of received logs) instead of the installation's Log folder,\n"
            L"              through the plug-in, in a registry of the run's own: nothing else changes\n"
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
    std::wstring text = Text::Format(
        L"usage: nqhost store %s field=value ...\n\n%s, data sub-type %lu, LogType %lu.\n"
        L"fields (* = a column of query; then what it is, and what the log file does with it):\n",
        kind.Name().c_str(), kind.Description().c_str(), kind.SubType(), kind.LogType());
    for (const RecordField& field : kind.Fields())
    {
        const FieldFact* fact = StoreFacts::Find(kind.Name(), field.name);
        text += Text::Format(L"  %s%-13s %s\n", field.readBack ? L"*" : L" ", field.name.c_str(),
                             field.type.c_str());
        if (fact)
            text += Text::Format(L"                 %s; %s\n", fact->meaning,
                                 StoreFacts::Condition(*fact).c_str());
    }
    text += L"\nstore warns on standard error for each given field the log file drops, cuts or changes.\n";
    return text;
}
} // namespace Commands
} // namespace NqHost

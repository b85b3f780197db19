// store, query, path and recent: the data requests of the provider.
#include "Commands.h"

#include "DayRead.h"
#include "DayWalk.h"
#include "LogLocation.h"
#include "LogsFolder.h"
#include "RecordFilter.h"
#include "RecordKindTable.h"
#include "ResultCodes.h"
#include "StoreFacts.h"
#include "LogOrigin.h"
#include "Text.h"
#include "UsageError.h"

#include "KvCommon/KvComn_Handle.h"

#include <algorithm>

namespace NqHost
{
namespace Commands
{
using namespace SrvFrwk::EventLog;

namespace
{
// --json writes times as export does (RFC 3339 with the offset); a table keeps the space that reads better.
Cell TimeCell(const COutput& output, CZonedTime& zone, const SYSTEMTIME& time)
{
    return Cell::Text(output.Json() ? Text::FromUtf8(zone.Local(time)) : Text::DateTimeText(time));
}

std::vector<Cell> Row(const COutput& output, CZonedTime& zone, const SYSTEMTIME& time,
                      const std::vector<Cell>& fields)
{
    std::vector<Cell> row{TimeCell(output, zone, time)};
    row.insert(row.end(), fields.begin(), fields.end());
    return row;
}

std::wstring QueryName(const CRecordKind& kind, const SYSTEMTIME& day)
{
    return Text::Format(L"QueryData(%lu, %lu = %s) for %s", TYPE_EVENTLOG, kind.SubType(),
                        kind.Name().c_str(), Text::DateText(day).c_str());
}
// Logs of another machine: whose they are and which zone their times were taken in, as given.
void ShowOrigin(CommandContext& context)
{
    for (const wchar_t* option : {L"host", L"timezone"})
        if (context.line.Has(option))
            context.output.Value(option, context.line.Option(option));
}

// A record of some kind at its place in a timeline.
struct TimelineRecord
{
    unsigned long long key;
    const CRecordKind* kind;
    SYSTEMTIME time;
    std::vector<Cell> fields;
};

// The records of several kinds as one table: time, kind and the fields as name=value.
void ShowTimeline(CommandContext& context, CZonedTime& zone, const std::vector<TimelineRecord>& records)
{
    if (context.output.Json())
    {
        std::vector<std::vector<std::pair<std::wstring, Cell>>> objects;
        for (const TimelineRecord& record : records)
        {
            objects.push_back({{L"kind", Cell::Text(record.kind->Name())},
                               {L"stTime", TimeCell(context.output, zone, record.time)}});
            for (size_t i = 0; i < record.fields.size(); ++i)
                objects.back().push_back({record.kind->FieldNames()[i], record.fields[i]});
        }
        return context.output.Objects(L"records", objects);
    }
    std::vector<std::vector<Cell>> rows;
    for (const TimelineRecord& record : records)
    {
        std::wstring fields;
        for (size_t i = 0; i < record.fields.size(); ++i)
            fields += (i ? L"  " : L"") + record.kind->FieldNames()[i] + L"=" + record.fields[i].text;
        rows.push_back({Cell::Text(Text::DateTimeText(record.time)), Cell::Text(record.kind->Name()),
                        Cell::Text(fields)});
    }
    context.output.Table(L"records", {L"stTime", L"kind", L"fields"}, rows, true);
}

// The plug-in only says RESULT_FAILED; the folder and the system's reason come from looking at them.
void ExplainStoreFailure(CommandContext& context, const CRecordKind& kind)
{
    LogPathQuery query;
    query.stDate = Text::Today();
    query.dwLogType = kind.LogType();
    if (SrvFrwk::Failed(context.host.Provider()->QueryData(TYPE_EVENTLOG, DATA_LOG_PATH, &query, 0, 0)) ||
        query.tsLogPath.empty())
        return context.output.Failure(L"the day file's name cannot be made (is InstalledFolder too long?)");
    const std::wstring path = CLogsFolder::Shown(query.tsLogPath);
    const std::wstring folder = path.substr(0, path.find_last_of(L'\\') + 1);
    const std::wstring bare = folder.substr(0, folder.find_last_not_of(L'\\') + 1);
    DWORD attributes = GetFileAttributesW(bare.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return context.output.Failure(L"the log folder " + folder + L" cannot be made or used: " +
                                      ResultCodes::Describe(GetLastError()));
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return context.output.Failure(L"the log folder " + folder + L" is a file, not a folder");
    // Opening for appending shares as the writer does, and creates nothing.
    KvCommon::UniqueFileHandle file(CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD error = file ? 0 : GetLastError();
    if (error && error != ERROR_FILE_NOT_FOUND)
        return context.output.Failure(L"the day file " + path + L" cannot be written: " +
                                      ResultCodes::Describe(error));
    context.output.Failure(L"the store into " + path +
                           L" failed; 'nqhost trace on' makes the plug-in say why");
}
} // namespace

ULONG StoreEvent(CommandContext& context, const CRecordKind& kind,
                 const std::vector<std::wstring>& assignments)
{
    std::shared_ptr<void> record = kind.BuildRecord(assignments);
    std::vector<std::wstring> given;
    for (const std::wstring& word : assignments)
        given.push_back(word.substr(0, word.find(L'=')));
    for (const std::wstring& warning : StoreFacts::Warnings(kind, record.get(), given))
        context.output.Warning(warning);
    auto* provider = context.host.Provider();
    if (!provider)
        return SrvFrwk::RESULT_FAILED;
    ULONG result = provider->StoreData(TYPE_EVENTLOG, kind.SubType(), record.get(), 0, 0);
    context.output.Result(
        Text::Format(L"StoreData(%lu, %lu = %s)", TYPE_EVENTLOG, kind.SubType(), kind.Name().c_str()),
        result);
    if (SrvFrwk::Failed(result))
        ExplainStoreFailure(context, kind);
    return result;
}

ULONG QueryDay(CommandContext& context, const CRecordKind& kind, const SYSTEMTIME& day, size_t* count)
{
    CLogLocation location;
    if (!context.host.Provider() || !location.Find(context, kind) ||
        !CLogLocation::Usable(context.output, location.Folder()))
        return SrvFrwk::RESULT_FAILED;
    const CLogOrigin origin(context.line);
    ShowOrigin(context);
    std::vector<std::vector<Cell>> rows;
    size_t skipped = 0;
    ULONG result = DayRead::Read(context.host.Provider(), kind, day, location.DayFile(day), skipped,
                                 [&](const SYSTEMTIME& time, const std::vector<Cell>& fields)
                                 { rows.push_back(Row(context.output, origin.Zone(), time, fields)); });
    context.output.Result(QueryName(kind, day), result);
    DayRead::ReportSkipped(context, kind, day, location.DayFile(day), skipped);
    if (count)
        *count = rows.size();
    if (!SrvFrwk::Failed(result))
        context.output.Table(L"records", kind.Columns(), rows, true);
    else if (result == SrvFrwk::RESULT_FAILED)
        context.output.Message(L"(no " + kind.Name() + L" log for " + Text::DateText(day) +
                               L", or it could not be read)");
    return result;
}

ULONG QueryPath(CommandContext& context, ULONG logType, const SYSTEMTIME* day, std::wstring* path)
{
    auto* provider = context.host.Provider();
    if (!provider)
        return SrvFrwk::RESULT_FAILED;
    LogPathQuery query;
    if (day)
        query.stDate = *day;
    query.dwLogType = logType;
    ULONG result = provider->QueryData(TYPE_EVENTLOG, DATA_LOG_PATH, &query, day ? 0 : 1, 0);
    context.output.Result(Text::Format(L"QueryData(%lu, %lu = path) of %s for %s", TYPE_EVENTLOG,
                                       DATA_LOG_PATH, RecordKindTable::LogTypeName(logType).c_str(),
                                       day ? Text::DateText(*day).c_str() : L"the latest file"),
                          result);
    if (SrvFrwk::Failed(result))
        return result;
    if (path)
    {
        *path = query.tsLogPath;
        return result;
    }
    context.output.Value(L"tsLogPath", query.tsLogPath);
    if (!query.tsLogPath.empty() && query.tsLogPath.find(L':') == std::wstring::npos &&
        query.tsLogPath.compare(0, 2, L"\\\\") != 0)
        context.output.Message(L"(InstalledFolder is not set: a relative path, taken from the host's current "
                               L"folder; 'nqhost config folder DIR' sets it)");
    if (query.tsLogPath.empty())
        context.output.Message(L"(no log file of this kind yet)");
    return result;
}

ULONG QueryRecent(CommandContext& context)
{
    auto* provider = context.host.Provider();
    if (!provider)
        return SrvFrwk::RESULT_FAILED;
    RecentThreatInfo info;
    ULONG result = provider->QueryData(TYPE_EVENTLOG, DATA_RECENT_THREAT, &info, 0, 0);
    context.output.Result(
        Text::Format(L"QueryData(%lu, %lu = recent threat)", TYPE_EVENTLOG, DATA_RECENT_THREAT), result);
    if (SrvFrwk::Failed(result))
        return result;
    // A Win32 code here means the time stamp is missing; the names were read all the same.
    if (result == SrvFrwk::RESULT_SUCCESS)
        context.output.Value(L"stTime", Text::DateTimeText(info.stTime));
    context.output.Value(L"VirusName", info.VirusName);
    context.output.Value(L"FileName", info.FileName);
    return result;
}

void Store(CommandContext& context, const CommandArgs& args)
{
    if (context.line.Has(L"jsonl"))
        return StoreBatch(context, args);
    ExpectArgs(args, 1, static_cast<size_t>(-1), L"store");
    const CRecordKind& kind = RecordKindTable::Find(args[0]);
    StoreEvent(context, kind, CommandArgs(args.begin() + 1, args.end()));
}

// Every day that has a file, in order; the days without one are counted, not failures. Several kinds make
// one timeline, in time order within each day.
namespace
{
void QueryRange(CommandContext& context, const std::vector<const CRecordKind*>& kinds,
                const CRecordFilter& filter, const SYSTEMTIME* day)
{
    CDayWalk walk(kinds);
    const CLogOrigin origin(context.line);
    if (!walk.Prepare(context))
        return;
    ShowOrigin(context);
    if (day)
        walk.SetRange(*day, *day);
    else
        walk.SetRange(context.line);
    if (!walk.Usable(context.output))
        return;
    std::vector<TimelineRecord> records;
    size_t dayStart = 0;
    DWORD currentDay = 0;
    walk.ForEachFile(
        [&](const SYSTEMTIME& fileDay, size_t, const CRecordKind& kind, const std::wstring& path)
        {
            if (Text::DayKey(fileDay) != currentDay)
                dayStart = records.size();
            currentDay = Text::DayKey(fileDay);
            size_t skipped = 0;
            ULONG result =
                DayRead::Read(context.host.Provider(), kind, fileDay, path, skipped,
                              [&](const SYSTEMTIME& time, const std::vector<Cell>& fields)
                              {
                                  if (filter.Accepts(kind, time, fields))
                                      records.push_back({CRecordFilter::Key(time), &kind, time, fields});
                              });
            context.output.Result(QueryName(kind, fileDay), result);
            DayRead::ReportSkipped(context, kind, fileDay, path, skipped);
            if (kinds.size() > 1)
                std::stable_sort(records.begin() + dayStart, records.end(),
                                 [](const TimelineRecord& a, const TimelineRecord& b)
                                 { return a.key < b.key; });
            return true;
        });
    walk.Report(context.output);
    context.output.Value(L"records", static_cast<long long>(records.size()));
    if (kinds.size() > 1)
        return ShowTimeline(context, origin.Zone(), records);
    std::vector<std::vector<Cell>> rows;
    for (const TimelineRecord& record : records)
        rows.push_back(Row(context.output, origin.Zone(), record.time, record.fields));
    context.output.Table(L"records", kinds[0]->Columns(), rows, true);
}

} // namespace

void Query(CommandContext& context, const CommandArgs& args)
{
    ExpectArgs(args, 1, 2, L"query");
    const std::vector<const CRecordKind*> kinds = ParseKinds({args[0]});
    const CRecordFilter filter(context.line, kinds);
    bool range = context.line.Has(L"from") || context.line.Has(L"to");
    if (range && args.size() > 1)
        throw UsageError{L"give either a day or --from/--to, not both"};
    SYSTEMTIME day = args.size() > 1 ? ParseDay(args[1]) : Text::Today();
    if (!range && kinds.size() == 1 && filter.Empty())
        QueryDay(context, *kinds[0], day);
    else
        QueryRange(context, kinds, filter, range ? nullptr : &day);
}

void Path(CommandContext& context, const CommandArgs& args)
{
    ExpectArgs(args, 1, 2, L"path");
    ULONG logType = RecordKindTable::ParseLogType(args[0]);
    if (args.size() > 1 && Text::EqualsNoCase(args[1], L"latest"))
    {
        QueryPath(context, logType, nullptr);
        return;
    }
    SYSTEMTIME day = args.size() > 1 ? ParseDay(args[1]) : Text::Today();
    QueryPath(context, logType, &day);
}

void Recent(CommandContext& context, const CommandArgs& args)
{
    ExpectArgs(args, 0, 0, L"recent");
    QueryRecent(context);
}
} // namespace Commands
} // namespace NqHost

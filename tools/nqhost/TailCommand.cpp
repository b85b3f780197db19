// tail: the last records of today, then every new one as it arrives, until interrupted; several kinds
// make one timeline.
#include "Commands.h"

#include "DayRead.h"
#include "DayWalk.h"
#include "LogLocation.h"
#include "RecordFilter.h"
#include "RecordKindTable.h"
#include "RecordWriter.h"
#include "StopSignal.h"
#include "Text.h"

#include <algorithm>

namespace NqHost
{
namespace Commands
{
namespace
{
// Often enough for a person watching; each look is one attribute query a kind unless a file grew.
constexpr DWORD kPollMs = 500;
constexpr size_t kAll = static_cast<size_t>(-1);

struct Followed
{
    explicit Followed(const CRecordKind* followed) : kind(followed) {}

    const CRecordKind* kind;
    CLogLocation location;
    SYSTEMTIME day{};
    std::wstring path;
    long long size = -1;    // at the last read; -1 while there is no file
    size_t seen = 0;        // records of the file already looked at
    size_t skippedSaid = 0; // damaged lines already reported

    void Begin(const SYSTEMTIME& today)
    {
        day = today;
        path = location.DayFile(today);
        size = -1;
        seen = skippedSaid = 0;
    }
};

struct Record
{
    unsigned long long key;
    const CRecordKind* kind;
    SYSTEMTIME time;
    std::vector<Cell> fields;
};

long long FileSize(const std::wstring& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data))
        return -1;
    return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

class CTail
{
public:
    CTail(CommandContext& context, const CRecordFilter& filter, CRecordWriter& writer, size_t budget)
        : m_context(context), m_filter(filter), m_writer(writer), m_budget(budget)
    {
    }

    // Writes the records the files gained since the last look in time order, at most the newest `newest`.
    void Look(std::vector<Followed>& files, size_t newest)
    {
        std::vector<Record> records;
        for (Followed& file : files)
            Collect(file, records);
        std::stable_sort(records.begin(), records.end(),
                         [](const Record& a, const Record& b) { return a.key < b.key; });
        for (size_t i = records.size() - std::min(newest, records.size()); i < records.size() && !Done();
             ++i, ++m_written)
            m_writer.Write(*records[i].kind, records[i].time, records[i].fields);
    }

    bool Done() const { return m_budget && m_written >= m_budget; }
    size_t Written() const { return m_written; }

private:
    // The file's records not yet looked at that the filter keeps.
    void Collect(Followed& file, std::vector<Record>& records)
    {
        long long size = FileSize(file.path);
        if (size == file.size)
            return;
        if (size < 0)
            return file.Begin(file.day);
        std::vector<Record> all;
        size_t skipped = 0;
        ULONG result = DayRead::Read(
            m_context, *file.kind, file.day, file.path,
            [&](const SYSTEMTIME& time, const std::vector<Cell>& fields) {
                all.push_back({CRecordFilter::Key(time), file.kind, time, fields});
            },
            skipped);
        // The file exists, so a failed read means a writer holds it: look again next time.
        if (SrvFrwk::Failed(result))
            return;
        if (all.size() < file.seen)
            file.seen = file.skippedSaid = 0; // deleted and begun anew since the last look
        if (skipped > file.skippedSaid)
            DayRead::ReportSkipped(m_context, *file.kind, file.day, file.path, skipped - file.skippedSaid);
        file.skippedSaid = std::max(file.skippedSaid, skipped);
        for (size_t i = file.seen; i < all.size(); ++i)
            if (m_filter.Accepts(*file.kind, all[i].time, all[i].fields))
                records.push_back(std::move(all[i]));
        file.seen = all.size();
        file.size = size;
    }

    CommandContext& m_context;
    const CRecordFilter& m_filter;
    CRecordWriter& m_writer;
    size_t m_budget; // 0: no limit
    size_t m_written = 0;
};

std::wstring Paths(const std::vector<Followed>& files)
{
    return files.size() == 1
               ? files[0].path
               : Text::Format(L"today's files of %u kinds in %s", static_cast<unsigned>(files.size()),
                              files[0].location.Folder().c_str());
}
} // namespace

void Tail(CommandContext& context, const CommandArgs& args)
{
    ExpectArgs(args, 1, 1, L"tail");
    const std::vector<const CRecordKind*> kinds = ParseKinds({args[0]});
    const CCommandLine& line = context.line;
    DWORD lines = line.Has(L"lines") ? ParseDword(L"--lines", line.Option(L"lines"), 1000000) : 10;
    DWORD seconds = line.Has(L"for") ? ParseDword(L"--for", line.Option(L"for"), 31 * 24 * 3600) : 0;
    DWORD maxRecords =
        line.Has(L"max-records") ? ParseDword(L"--max-records", line.Option(L"max-records"), 0xFFFFFFFF) : 0;
    // With --json the events are JSON too, as everything else of the run.
    const std::wstring format = line.Has(L"format") ? line.Option(L"format")
                                : line.Has(L"json") ? L"jsonl"
                                                    : L"text";
    CRecordWriter::Check(format, true, kinds);
    const CRecordFilter filter(line);
    context.output.ReportToStderr();

    std::vector<Followed> files;
    for (const CRecordKind* kind : kinds)
    {
        files.emplace_back(kind);
        if (!files.back().location.Find(context, *kind))
            return;
    }
    COutputStream stream;
    std::unique_ptr<CRecordWriter> writer =
        CRecordWriter::Create(format, true, stream, kinds, line.Has(L"csv-raw"));
    CTail tail(context, filter, *writer, maxRecords);
    CStopSignal stop;

    SYSTEMTIME today = Text::Today();
    for (Followed& file : files)
        file.Begin(today);
    tail.Look(files, lines);
    stream.Flush();
    context.output.Message(L"following " + Paths(files) + L" (Ctrl-C ends)");
    const DWORD start = GetTickCount();
    while (!tail.Done() && !stream.Failed() && !stop.Wait(kPollMs))
    {
        if (seconds && GetTickCount() - start >= seconds * 1000ull)
            break;
        today = Text::Today();
        if (Text::DayKey(today) != Text::DayKey(files[0].day))
        {
            tail.Look(files, kAll); // what came in just before midnight
            for (Followed& file : files)
                file.Begin(today);
            context.output.Message(L"following " + Paths(files));
        }
        tail.Look(files, kAll);
        stream.Flush();
    }
    stream.Flush();
    context.output.Value(L"records", static_cast<long long>(tail.Written()));
}
} // namespace Commands
} // namespace NqHost

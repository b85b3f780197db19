// tail: the last records of today, then every new one as it arrives, until interrupted; several kinds
// make one timeline.
#include "Commands.h"

#include "DayFeed.h"
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
constexpr DWORD kPollMs = 250;

long long FileSize(const std::wstring& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data))
        return -1;
    return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// A record handed on by a feed, kept until the look has put every kind's in time order.
struct Pending
{
    unsigned long long key;
    const CRecordKind* kind;
    SYSTEMTIME time;
    std::vector<Cell> fields;
    std::string id;
};

// One kind's day files, as they grow.
class CFollowed
{
public:
    CFollowed(CommandContext& context, const CRecordKind& kind, CCursor& cursor)
        : m_context(context), m_kind(kind), m_feed(context.host.Provider(), cursor)
    {
    }

    const CRecordKind& Kind() const { return m_kind; }
    CLogLocation& Location() { return m_location; }

    // What the day's file gained since the last look that the filter keeps, leaving out its first `skip`
    // records; taken: false once the budget is spent.
    void Look(const SYSTEMTIME& day, size_t skip, const CRecordFilter& filter,
              const std::function<bool()>& room, std::vector<Pending>& pending)
    {
        const std::wstring path = m_location.DayFile(day);
        long long size = FileSize(path);
        if (size == m_size && Text::DayKey(day) == m_day)
            return;
        if (Text::DayKey(day) != m_day)
            m_skippedSaid = 0;
        m_day = Text::DayKey(day);
        m_size = size;
        if (size < 0)
            return;
        ULONG result = m_feed.Read(m_kind, day, path, skip,
                                   [&](const EventRecord& record)
                                   {
                                       if (!filter.Accepts(m_kind, record.time, record.fields))
                                           return true;
                                       if (!room())
                                           return false;
                                       pending.push_back({CRecordFilter::Key(record.time), &m_kind,
                                                          record.time, record.fields, record.id});
                                       return true;
                                   });
        // The file exists, so a failed read means a writer holds it: look again next time.
        if (SrvFrwk::Failed(result))
        {
            m_size = -2;
            return;
        }
        const size_t skipped = m_feed.Damaged();
        if (skipped > m_skippedSaid)
            DayRead::ReportSkipped(m_context, m_kind, day, path, skipped - m_skippedSaid);
        m_skippedSaid = std::max(m_skippedSaid, skipped);
    }

    // Records of the day file at this moment.
    size_t Count(const SYSTEMTIME& day) const
    {
        size_t count = 0, damaged = 0;
        DayRead::Read(m_context.host.Provider(), m_kind, day, m_location.DayFile(day), damaged,
                      [&count](const SYSTEMTIME&, const std::vector<Cell>&) { ++count; });
        return count;
    }

private:
    CommandContext& m_context;
    const CRecordKind& m_kind;
    CLogLocation m_location;
    CDayFeed m_feed;
    DWORD m_day = 0;
    long long m_size = -2; // at the last read; -1 while there is no file
    size_t m_skippedSaid = 0;
};

class CTail
{
public:
    CTail(CommandContext& context, const std::vector<const CRecordKind*>& kinds, const CRecordFilter& filter,
          CRecordWriter& writer, CCursor& cursor, size_t budget)
        : m_filter(filter), m_writer(writer), m_budget(budget)
    {
        for (const CRecordKind* kind : kinds)
            m_followed.push_back(std::make_unique<CFollowed>(context, *kind, cursor));
    }

    std::vector<std::unique_ptr<CFollowed>>& Followed() { return m_followed; }

    // Hands on what the kinds' files of the day gained, in time order; newest: only the last ones of
    // today's first look.
    void Look(const SYSTEMTIME& day, size_t newest = kAll)
    {
        std::vector<Pending> pending;
        auto room = [&] { return !m_budget || m_written + pending.size() < m_budget; };
        for (auto& followed : m_followed)
        {
            size_t skip = 0;
            if (newest != kAll)
            {
                const size_t count = followed->Count(day);
                skip = count - std::min(newest, count);
            }
            followed->Look(day, skip, m_filter, room, pending);
        }
        std::stable_sort(pending.begin(), pending.end(),
                         [](const Pending& a, const Pending& b) { return a.key < b.key; });
        for (size_t i = pending.size() - std::min(newest, pending.size()); i < pending.size();
             ++i, ++m_written)
            m_writer.Write({*pending[i].kind, pending[i].time, pending[i].fields, pending[i].id});
    }

    bool Done() const { return m_budget && m_written >= m_budget; }
    size_t Written() const { return m_written; }

    static constexpr size_t kAll = static_cast<size_t>(-1);

private:
    const CRecordFilter& m_filter;
    CRecordWriter& m_writer;
    size_t m_budget; // 0: no limit
    size_t m_written = 0;
    std::vector<std::unique_ptr<CFollowed>> m_followed;
};

std::wstring Following(CTail& tail, const SYSTEMTIME& day)
{
    auto& followed = tail.Followed();
    if (followed.size() == 1)
        return followed[0]->Location().DayFile(day);
    return Text::Format(L"today's files of %u kinds in %s", static_cast<unsigned>(followed.size()),
                        followed[0]->Location().Folder().c_str());
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
    const WriterChoice choice = ParseWriterChoice(line, line.Has(L"json") ? L"jsonl" : L"text", true);
    CRecordWriter::Check(choice, kinds);
    const CRecordFilter filter(line, kinds);
    context.output.ReportToStderr();

    CCursor cursor(line.Option(L"cursor"));
    std::wstring problem;
    if (!cursor.Load(problem))
        return context.output.Failure(problem);
    COutputStream stream;
    std::unique_ptr<CRecordWriter> writer = CRecordWriter::Create(choice, stream, kinds);
    CTail tail(context, kinds, filter, *writer, cursor, maxRecords);
    for (auto& followed : tail.Followed())
        if (!followed->Location().Find(context, followed->Kind()) ||
            !CLogLocation::Usable(context.output, followed->Location().Folder()))
            return;
    CStopSignal stop;
    // Delivered only once flushed; a failed save stops the follow, which could not resume.
    auto deliver = [&] { return stream.Flush() && SaveCursor(context, cursor); };

    SYSTEMTIME today = Text::Today();
    DWORD resumed = 0;
    for (const CRecordKind* kind : kinds)
        resumed =
            resumed ? std::min(resumed, cursor.LatestDay(kind->Name())) : cursor.LatestDay(kind->Name());
    if (resumed)
    {
        // Every day since the one the cursor reached, what came in while nothing followed.
        for (SYSTEMTIME day = Text::DayFromKey(resumed); Text::DayKey(day) < Text::DayKey(today);
             day = Text::NextDay(day))
            tail.Look(day);
        tail.Look(today);
    }
    else
    {
        tail.Look(today, lines);
        // A restart before the day's first event must not take --lines again and miss what came since.
        for (const CRecordKind* kind : kinds)
            if (!cursor.Has(kind->Name(), Text::DayKey(today)))
                cursor.Set(kind->Name(), Text::DayKey(today), {});
    }
    bool going = deliver();
    SYSTEMTIME day = today;
    context.output.Message(L"following " + Following(tail, day) + L" (Ctrl-C ends)");
    const DWORD start = GetTickCount();
    while (going && !tail.Done() && !stop.Wait(kPollMs))
    {
        if (seconds && GetTickCount() - start >= seconds * 1000ull)
            break;
        today = Text::Today();
        if (Text::DayKey(today) != Text::DayKey(day))
        {
            tail.Look(day); // what came in just before midnight
            day = today;
            context.output.Message(L"following " + Following(tail, day));
        }
        tail.Look(day);
        going = deliver();
    }
    deliver();
    context.output.Value(L"records", static_cast<long long>(tail.Written()));
}
} // namespace Commands
} // namespace NqHost

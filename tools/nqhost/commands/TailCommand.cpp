// tail: the last records of today, then every new one as it arrives, until interrupted; several kinds
// make one timeline.
#include "Commands.h"

#include "DayFeed.h"
#include "DayRead.h"
#include "DayWalk.h"
#include "LogLocation.h"
#include "LogOrigin.h"
#include "RecordFilter.h"
#include "RecordKindTable.h"
#include "RecordWriter.h"
#include "ResultCodes.h"
#include "StopSignal.h"
#include "Text.h"

#include <algorithm>
#include <map>

namespace NqHost
{
namespace Commands
{
namespace
{
// Often enough for a person watching; each look is one attribute query a kind unless a file grew.
constexpr DWORD kPollMs = 250;
// A writer takes the day file's name from its clock, then waits up to 2 s for a holder of the file: the
// previous day is followed this long after midnight, and only then known to be whole.
constexpr ULONGLONG kLateWriterMs = 5000;

long long FileSize(const std::wstring& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data))
        return -1;
    return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

ULONGLONG Ticks(const SYSTEMTIME& t)
{
    FILETIME file{};
    SystemTimeToFileTime(&t, &file);
    return (static_cast<ULONGLONG>(file.dwHighDateTime) << 32) | file.dwLowDateTime;
}

// No writer can add to the day any more.
bool Settled(const SYSTEMTIME& day, const SYSTEMTIME& now)
{
    SYSTEMTIME midnight = Text::NextDay(day);
    midnight.wHour = midnight.wMinute = midnight.wSecond = midnight.wMilliseconds = 0;
    return Ticks(now) >= Ticks(midnight) + kLateWriterMs * 10000;
}

SYSTEMTIME DayBefore(const SYSTEMTIME& day)
{
    const ULONGLONG before = Ticks(day) - 24ull * 3600 * 10000000;
    const FILETIME file{static_cast<DWORD>(before), static_cast<DWORD>(before >> 32)};
    SYSTEMTIME t{};
    FileTimeToSystemTime(&file, &t);
    return t;
}

// A record handed on by a feed, kept until the look has put every kind's in time order.
struct Pending
{
    unsigned long long key;
    const CRecordKind* kind;
    SYSTEMTIME time;
    std::vector<Cell> fields;
    std::string id;
    bool shortened;
    bool fresh; // of a kind that starts without a cursor: only the newest are shown
};

// One kind's day files, as they grow.
class CFollowed
{
public:
    CFollowed(CommandContext& context, const CRecordKind& kind, CCursor& cursor, unsigned long long seed)
        : m_context(context), m_kind(kind), m_feed(context.host.Provider(), cursor, seed),
          m_from(cursor.ResumeDay(kind.Name()))
    {
    }

    const CRecordKind& Kind() const { return m_kind; }
    CLogLocation& Location() { return m_location; }
    // The first day this kind reads: where its cursor entry stands; 0 for a kind without one.
    DWORD From() const { return m_from; }

    // What the day's file gained since the last look that the filter keeps, leaving out its first `skip`
    // records; taken: false once the budget is spent. settled: the day can gain nothing more.
    void Look(const SYSTEMTIME& day, bool settled, size_t skip, const CRecordFilter& filter,
              const std::function<bool()>& room, std::vector<Pending>& pending)
    {
        const DWORD key = Text::DayKey(day);
        if (key < m_from)
            return;
        const std::wstring path = m_location.DayFile(day);
        const long long size = FileSize(path);
        auto seen = m_sizes.find(key);
        if (seen != m_sizes.end() && size == seen->second && !settled)
            return;
        m_sizes[key] = size;
        if (m_sizes.size() > 2) // only today and yesterday are looked at
            m_sizes.erase(m_sizes.begin());
        if (size < 0)
            return;
        const bool fresh = !m_from;
        ULONG result = m_feed.Read(
            m_kind, day, path, skip,
            [&](const EventRecord& record)
            {
                if (!filter.Accepts(m_kind, record.time, record.fields))
                    return true;
                if (!room())
                    return false;
                pending.push_back({CRecordFilter::Key(record.time), &m_kind, record.time, record.fields,
                                   record.id, record.shortened, fresh});
                return true;
            },
            settled);
        // The file exists, so a failed read means a writer holds it: look again next time.
        if (SrvFrwk::Failed(result))
        {
            m_sizes[key] = -2;
            return;
        }
        const size_t skipped = m_feed.Damaged();
        size_t& said = m_skippedSaid[key];
        if (skipped > said)
            DayRead::ReportSkipped(m_context, m_kind, day, path, skipped - said);
        said = std::max(said, skipped);
        if (m_skippedSaid.size() > 2)
            m_skippedSaid.erase(m_skippedSaid.begin());
    }

    // Records of the day file at this moment.
    size_t Count(const SYSTEMTIME& day) const
    {
        size_t count = 0, damaged = 0;
        DayRead::Read(m_context.host.Provider(), m_kind, day, m_location.DayFile(day), damaged,
                      [&count](const SYSTEMTIME&, const std::vector<Cell>&) { ++count; });
        return count;
    }

    // From now on the kind is followed as one with a cursor.
    void Started(const SYSTEMTIME& today) { m_from = m_from ? m_from : Text::DayKey(today); }

private:
    CommandContext& m_context;
    const CRecordKind& m_kind;
    CLogLocation m_location;
    CDayFeed m_feed;
    DWORD m_from;
    std::map<DWORD, long long> m_sizes; // at the last read, by day; -1 while there is no file
    std::map<DWORD, size_t> m_skippedSaid;
};

class CTail
{
public:
    CTail(CommandContext& context, const std::vector<const CRecordKind*>& kinds, const CRecordFilter& filter,
          CRecordWriter& writer, CCursor& cursor, size_t budget, unsigned long long seed)
        : m_filter(filter), m_writer(writer), m_budget(budget)
    {
        for (const CRecordKind* kind : kinds)
            m_followed.push_back(std::make_unique<CFollowed>(context, *kind, cursor, seed));
    }

    std::vector<std::unique_ptr<CFollowed>>& Followed() { return m_followed; }

    // Hands on what the kinds' files of the day gained, in time order; newest: of kinds that start
    // without a cursor, only the last ones of today's first look.
    void Look(const SYSTEMTIME& day, bool settled, size_t newest = kAll)
    {
        std::vector<Pending> pending;
        auto room = [&] { return !m_budget || m_written + pending.size() < m_budget; };
        for (auto& followed : m_followed)
        {
            size_t skip = 0;
            if (newest != kAll && !followed->From())
            {
                const size_t count = followed->Count(day);
                skip = count - std::min(newest, count);
            }
            followed->Look(day, settled, skip, m_filter, room, pending);
        }
        std::stable_sort(pending.begin(), pending.end(),
                         [](const Pending& a, const Pending& b) { return a.key < b.key; });
        size_t fresh = 0;
        for (const Pending& record : pending)
            fresh += record.fresh ? 1 : 0;
        for (const Pending& record : pending)
        {
            if (record.fresh && newest != kAll && fresh-- > newest)
                continue;
            m_writer.Write({*record.kind, record.time, record.fields, record.id, record.shortened});
            ++m_written;
        }
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
// Every day since the one each kind's cursor reached, what came in while nothing followed, then today's
// records; a kind the cursor does not know gets today's newest.
void CatchUp(CTail& tail, CCursor& cursor, const SYSTEMTIME& now, size_t newest)
{
    DWORD from = Text::DayKey(now);
    for (auto& followed : tail.Followed())
        from = followed->From() ? std::min(from, followed->From()) : from;
    for (SYSTEMTIME day = Text::DayFromKey(from); Text::DayKey(day) < Text::DayKey(now);
         day = Text::NextDay(day))
        tail.Look(day, Settled(day, now));
    tail.Look(now, false, newest);
    // A restart before the day's first event must not take --lines again and miss what came since.
    for (auto& followed : tail.Followed())
    {
        if (!cursor.Has(followed->Kind().Name(), Text::DayKey(now)))
            cursor.Set(followed->Kind().Name(), Text::DayKey(now), {});
        followed->Started(now);
    }
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

    const CLogOrigin origin(line);
    CCursor cursor(line.Option(L"cursor"));
    std::wstring problem;
    if (!cursor.Load(problem))
        return context.output.Failure(problem);
    COutputStream stream;
    std::unique_ptr<CRecordWriter> writer = CRecordWriter::Create(choice, stream, kinds, origin);
    CTail tail(context, kinds, filter, *writer, cursor, maxRecords, origin.Seed());
    for (auto& followed : tail.Followed())
        if (!followed->Location().Find(context, followed->Kind()) ||
            !CLogLocation::Usable(context.output, followed->Location().Folder()))
            return;
    CStopSignal stop;
    // Delivered only once written; a failed save stops the follow, which could not resume.
    bool written = true;
    auto deliver = [&] { return (written = stream.Sync()) && SaveCursor(context, cursor); };

    SYSTEMTIME now = Text::Today();
    CatchUp(tail, cursor, now, lines);
    bool going = deliver();
    SYSTEMTIME day = now;
    // The day before, while a writer may still add to it.
    const SYSTEMTIME yesterday = DayBefore(now);
    DWORD previous = Settled(yesterday, now) ? 0 : Text::DayKey(yesterday);
    context.output.Message(L"following " + Following(tail, day) + L" (Ctrl-C ends)");
    const DWORD start = GetTickCount();
    while (going && !tail.Done() && !stop.Wait(kPollMs))
    {
        if (seconds && GetTickCount() - start >= seconds * 1000ull)
            break;
        now = Text::Today();
        if (Text::DayKey(now) != Text::DayKey(day))
        {
            previous = Text::DayKey(day);
            day = now;
            context.output.Message(L"following " + Following(tail, day));
        }
        if (previous)
        {
            const bool settled = Settled(Text::DayFromKey(previous), now);
            tail.Look(Text::DayFromKey(previous), settled);
            previous = settled ? 0 : previous;
        }
        tail.Look(day, false);
        going = deliver();
    }
    if (going)
        deliver();
    if (!written)
        return context.output.Failure(L"writing standard output failed: " +
                                      ResultCodes::Describe(stream.Error()));
    context.output.Value(L"records", static_cast<long long>(tail.Written()));
}
} // namespace Commands
} // namespace NqHost

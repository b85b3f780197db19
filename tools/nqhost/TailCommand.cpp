// tail: the last records of today, then every new one as it arrives, until interrupted.
#include "Commands.h"

#include "DayFeed.h"
#include "LogLocation.h"
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
// Often enough for a person watching; each look is one attribute query unless the file grew.
constexpr DWORD kPollMs = 250;

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
    CTail(CommandContext& context, const CRecordKind& kind, CRecordWriter& writer, CCursor& cursor,
          size_t budget)
        : m_context(context), m_kind(kind), m_writer(writer), m_feed(context.host.Provider(), cursor),
          m_budget(budget)
    {
    }

    // Hands on what the day's file gained since the last look, leaving out its first `skip` records.
    void Look(const SYSTEMTIME& day, const std::wstring& path, size_t skip = 0)
    {
        long long size = FileSize(path);
        if (size == m_size && Text::DayKey(day) == m_day)
            return;
        m_day = Text::DayKey(day);
        m_size = size;
        if (size < 0)
            return;
        // The file exists, so a failed read means a writer holds it: look again next time.
        if (SrvFrwk::Failed(m_feed.Read(m_kind, day, skip,
                                        [this](const EventRecord& record)
                                        {
                                            if (Done())
                                                return false;
                                            m_writer.Write(record);
                                            ++m_written;
                                            return true;
                                        })))
            m_size = -2;
    }

    // Records of the day file at this moment.
    size_t Count(const SYSTEMTIME& day) const
    {
        size_t count = 0;
        m_kind.Read(m_context.host.Provider(), day,
                    [&count](const SYSTEMTIME&, const std::vector<Cell>&) { ++count; });
        return count;
    }

    bool Done() const { return m_budget && m_written >= m_budget; }
    size_t Written() const { return m_written; }

private:
    CommandContext& m_context;
    const CRecordKind& m_kind;
    CRecordWriter& m_writer;
    CDayFeed m_feed;
    size_t m_budget; // 0: no limit
    size_t m_written = 0;
    DWORD m_day = 0;
    long long m_size = -2; // at the last read; -1 while there is no file
};
} // namespace

void Tail(CommandContext& context, const CommandArgs& args)
{
    ExpectArgs(args, 1, 1, L"tail");
    const CRecordKind& kind = RecordKindTable::Find(args[0]);
    const CCommandLine& line = context.line;
    DWORD lines = line.Has(L"lines") ? ParseDword(L"--lines", line.Option(L"lines"), 1000000) : 10;
    DWORD seconds = line.Has(L"for") ? ParseDword(L"--for", line.Option(L"for"), 31 * 24 * 3600) : 0;
    DWORD maxRecords =
        line.Has(L"max-records") ? ParseDword(L"--max-records", line.Option(L"max-records"), 0xFFFFFFFF) : 0;
    const WriterChoice choice = ParseWriterChoice(line, L"text", true);
    CRecordWriter::Check(choice, {&kind});
    context.output.ReportToStderr();

    CLogLocation location;
    if (!location.Find(context, kind))
        return;
    CCursor cursor(line.Option(L"cursor"));
    std::wstring problem;
    if (!cursor.Load(problem))
        return context.output.Failure(problem);
    COutputStream stream;
    std::unique_ptr<CRecordWriter> writer = CRecordWriter::Create(choice, stream, {&kind});
    CTail tail(context, kind, *writer, cursor, maxRecords);
    CStopSignal stop;
    // Delivered only once flushed; a failed save stops the follow, which could not resume.
    auto deliver = [&] { return stream.Flush() && SaveCursor(context, cursor); };

    SYSTEMTIME today = Text::Today();
    if (DWORD resumed = cursor.LatestDay(kind.Name()))
    {
        // Every day since the one the cursor reached, what came in while nothing followed.
        for (SYSTEMTIME day = Text::DayFromKey(resumed); Text::DayKey(day) < Text::DayKey(today);
             day = Text::NextDay(day))
            tail.Look(day, location.DayFile(day));
        tail.Look(today, location.DayFile(today));
    }
    else
    {
        const size_t count = tail.Count(today);
        tail.Look(today, location.DayFile(today), count - std::min<size_t>(lines, count));
        // A restart before the day's first event must not take --lines again and miss what came since.
        if (!cursor.Has(kind.Name(), Text::DayKey(today)))
            cursor.Set(kind.Name(), Text::DayKey(today), {});
    }
    bool going = deliver();
    SYSTEMTIME day = today;
    context.output.Message(L"following " + location.DayFile(day) + L" (Ctrl-C ends)");
    const DWORD start = GetTickCount();
    while (going && !tail.Done() && !stop.Wait(kPollMs))
    {
        if (seconds && GetTickCount() - start >= seconds * 1000ull)
            break;
        today = Text::Today();
        if (Text::DayKey(today) != Text::DayKey(day))
        {
            tail.Look(day, location.DayFile(day)); // what came in just before midnight
            day = today;
            context.output.Message(L"following " + location.DayFile(day));
        }
        tail.Look(day, location.DayFile(day));
        going = deliver();
    }
    deliver();
    context.output.Value(L"records", static_cast<long long>(tail.Written()));
}
} // namespace Commands
} // namespace NqHost

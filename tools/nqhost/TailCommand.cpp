// tail: the last records of today, then every new one as it arrives, until interrupted.
#include "Commands.h"

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
constexpr DWORD kPollMs = 500;
constexpr size_t kAll = static_cast<size_t>(-1);

struct Followed
{
    SYSTEMTIME day;
    std::wstring path;
    long long size = -1; // at the last read; -1 while there is no file
    size_t seen = 0;     // records of the file already looked at
};

struct Record
{
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
    CTail(CommandContext& context, const CRecordKind& kind, CRecordWriter& writer, size_t budget)
        : m_context(context), m_kind(kind), m_writer(writer), m_budget(budget)
    {
    }

    // Writes the records the file gained since the last look, at most the newest `newest` of them.
    void Look(Followed& file, size_t newest)
    {
        long long size = FileSize(file.path);
        if (size == file.size)
            return;
        if (size < 0)
        {
            file = Followed{file.day, file.path};
            return;
        }
        std::vector<Record> records;
        ULONG result = m_kind.Read(m_context.host.Provider(), file.day,
                                   [&records](const SYSTEMTIME& time, const std::vector<Cell>& fields) {
                                       records.push_back({time, fields});
                                   });
        // The file exists, so a failed read means a writer holds it: look again next time.
        if (SrvFrwk::Failed(result))
            return;
        if (records.size() < file.seen)
            file.seen = 0; // deleted and begun anew since the last look
        size_t from = std::max(file.seen, records.size() - std::min(newest, records.size()));
        for (size_t i = from; i < records.size() && !Done(); ++i, ++m_written)
            m_writer.Write(m_kind, records[i].time, records[i].fields);
        file.seen = records.size();
        file.size = size;
    }

    bool Done() const { return m_budget && m_written >= m_budget; }
    size_t Written() const { return m_written; }

private:
    CommandContext& m_context;
    const CRecordKind& m_kind;
    CRecordWriter& m_writer;
    size_t m_budget; // 0: no limit
    size_t m_written = 0;
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
    const std::wstring format = line.Has(L"format") ? line.Option(L"format") : L"text";
    CRecordWriter::Check(format, true, {&kind});
    context.output.ReportToStderr();

    CLogLocation location;
    if (!location.Find(context, kind))
        return;
    COutputStream stream;
    std::unique_ptr<CRecordWriter> writer = CRecordWriter::Create(format, true, stream, {&kind});
    CTail tail(context, kind, *writer, maxRecords);
    CStopSignal stop;

    SYSTEMTIME today = Text::Today();
    Followed file{today, location.DayFile(today)};
    tail.Look(file, lines);
    stream.Flush();
    context.output.Message(L"following " + file.path + L" (Ctrl-C ends)");
    const DWORD start = GetTickCount();
    while (!tail.Done() && !stream.Failed() && !stop.Wait(kPollMs))
    {
        if (seconds && GetTickCount() - start >= seconds * 1000ull)
            break;
        today = Text::Today();
        if (Text::DayKey(today) != Text::DayKey(file.day))
        {
            tail.Look(file, kAll); // what came in just before midnight
            file = Followed{today, location.DayFile(today)};
            context.output.Message(L"following " + file.path);
        }
        tail.Look(file, kAll);
        stream.Flush();
    }
    stream.Flush();
    context.output.Value(L"records", static_cast<long long>(tail.Written()));
}
} // namespace Commands
} // namespace NqHost

// export: records of a range of days handed to other tools, one day of one kind in memory at a time.
#include "Commands.h"

#include "DayFeed.h"
#include "DayRead.h"
#include "DayWalk.h"
#include "Progress.h"
#include "RecordFilter.h"
#include "RecordWriter.h"
#include "ResultCodes.h"
#include "Text.h"
#include "UsageError.h"

namespace NqHost
{
namespace Commands
{
void Export(CommandContext& context, const CommandArgs& args)
{
    std::vector<const CRecordKind*> kinds = ParseKinds(args);
    const WriterChoice choice = ParseWriterChoice(context.line, L"jsonl", false);
    CRecordWriter::Check(choice, kinds);
    const std::wstring outputPath = context.line.Option(L"output");
    const CRecordFilter filter(context.line, kinds);
    const CLogOrigin origin(context.line);
    if (outputPath.empty())
        context.output.ReportToStderr();
    const DWORD attributes =
        outputPath.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(outputPath.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        throw UsageError{L"--output " + outputPath + L" is a folder; it takes a file"};

    CDayWalk walk(kinds);
    if (!walk.Prepare(context))
        return;
    walk.SetRange(context.line);
    if (!walk.Usable(context.output))
        return;
    CCursor cursor(context.line.Option(L"cursor"));
    std::wstring problem;
    if (!cursor.Load(problem))
        return context.output.Failure(problem);
    COutputStream stream;
    // With a cursor the output is the stream the cursor counts: what an earlier run wrote stays.
    if (!outputPath.empty() && !stream.Open(outputPath, cursor.Persistent()))
        return context.output.Failure(L"cannot open " + outputPath + L": " +
                                      ResultCodes::Describe(stream.Error()));
    std::unique_ptr<CRecordWriter> writer = CRecordWriter::Create(choice, stream, kinds, origin);

    CDayFeed feed(context.host.Provider(), cursor, origin.Seed());
    CProgress progress(L"export", walk.Days());
    long long records = 0;
    walk.ForEachFile(
        [&](const SYSTEMTIME& day, size_t dayIndex, const CRecordKind& kind, const std::wstring& path)
        {
            progress.Show(dayIndex + 1);
            ULONG result = feed.Read(kind, day, path, 0,
                                     [&](const EventRecord& record)
                                     {
                                         if (!filter.Accepts(kind, record.time, record.fields))
                                             return true;
                                         writer->Write(record);
                                         ++records;
                                         return true;
                                     });
            DayRead::ReportSkipped(context, kind, day, path, feed.Damaged());
            // A day file that exists but cannot be read (a writer holds it) is a failure, not a gap.
            if (SrvFrwk::Failed(result))
                context.output.Result(Text::Format(L"QueryData(%lu, %lu = %s) for %s",
                                                   SrvFrwk::EventLog::TYPE_EVENTLOG, kind.SubType(),
                                                   kind.Name().c_str(), Text::DateText(day).c_str()),
                                      result);
            return !stream.Failed();
        });
    progress.Done();
    if (!stream.Sync())
        return context.output.Failure(L"writing " +
                                      (outputPath.empty() ? std::wstring(L"standard output") : outputPath) +
                                      L" failed: " + ResultCodes::Describe(stream.Error()));
    // Only what reached the output counts as delivered.
    SaveCursor(context, cursor);
    walk.Report(context.output);
    context.output.Value(L"records", records);
    if (!outputPath.empty())
        context.output.Value(L"output", outputPath);
}
} // namespace Commands
} // namespace NqHost

// A day read through the plug-in, its records matched in order to the lines the day-file check takes for
// events; the damaged lines counted and said.
#include "DayRead.h"

#include "DayFileCheck.h"
#include "Text.h"

#include <memory>

namespace NqHost
{
namespace DayRead
{
namespace
{
// The file's bytes and their judgement, read after the plug-in's read: the file holds at least the lines
// its records came from.
struct Judged
{
    Judged(const CRecordKind& kind, const std::wstring& path) : check((Load(path, bytes), bytes), kind.Name())
    {
    }
    static void Load(const std::wstring& path, std::vector<BYTE>& bytes)
    {
        DWORD error = 0;
        CDayFileCheck::ReadBytes(path, bytes, error);
    }

    std::vector<BYTE> bytes;
    CDayFileCheck check;
};
} // namespace

ULONG ReadLines(SrvFrwk::Interface::IEnforceProvider* provider, const CRecordKind& kind,
                const SYSTEMTIME& day, const std::wstring& path, size_t& damaged, const LineSink& sink)
{
    std::unique_ptr<Judged> judged;
    size_t record = 0;
    ULONG result = kind.Read(
        provider, day,
        [&](const SYSTEMTIME& time, const std::vector<Cell>& fields)
        {
            if (!judged)
                judged = std::make_unique<Judged>(kind, path);
            const CDayFileCheck::RecordLine* line = judged->check.Record(record++);
            if (line && !line->damaged)
                sink(time, fields, {line->offset, line->length, judged->bytes.data() + line->offset});
        });
    damaged = 0;
    if (SrvFrwk::Failed(result))
        return result;
    if (!judged)
        judged = std::make_unique<Judged>(kind, path);
    damaged = judged->check.DamagedLines();
    return result;
}

ULONG Read(SrvFrwk::Interface::IEnforceProvider* provider, const CRecordKind& kind, const SYSTEMTIME& day,
           const std::wstring& path, size_t& damaged, const RecordSink& sink)
{
    return ReadLines(provider, kind, day, path, damaged,
                     [&](const SYSTEMTIME& time, const std::vector<Cell>& fields, const DayLine&)
                     { sink(time, fields); });
}

void ReportSkipped(CommandContext& context, const CRecordKind& kind, const SYSTEMTIME& day,
                   const std::wstring& path, size_t skipped)
{
    if (skipped == 0)
        return;
    context.output.Damaged(kind.Name(), Text::DateText(day), path, skipped);
}
} // namespace DayRead
} // namespace NqHost

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
// Read after the plug-in's read: the file holds at least the lines its records came from.
std::unique_ptr<CDayFileCheck> Judge(const CRecordKind& kind, const std::wstring& path)
{
    std::vector<BYTE> bytes;
    DWORD error = 0;
    CDayFileCheck::ReadBytes(path, bytes, error);
    return std::make_unique<CDayFileCheck>(bytes, kind.Name());
}
} // namespace

ULONG Read(SrvFrwk::Interface::IEnforceProvider* provider, const CRecordKind& kind, const SYSTEMTIME& day,
           const std::wstring& path, size_t& damaged, const RecordSink& sink)
{
    std::unique_ptr<CDayFileCheck> lines;
    size_t record = 0;
    ULONG result = kind.Read(provider, day,
                             [&](const SYSTEMTIME& time, const std::vector<Cell>& fields)
                             {
                                 if (!lines)
                                     lines = Judge(kind, path);
                                 if (!lines->RecordDamaged(record++))
                                     sink(time, fields);
                             });
    damaged = 0;
    if (SrvFrwk::Failed(result))
        return result;
    if (!lines)
        lines = Judge(kind, path);
    damaged = lines->DamagedLines();
    return result;
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

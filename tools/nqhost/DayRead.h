#pragma once
// A day of one kind read through the plug-in, with the damaged lines its reader skipped counted: the
// reader drops them without a word, so the lines of the file are counted beside it.
#include "Commands.h"

namespace NqHost
{
namespace DayRead
{
// Lines of a day file as the reader takes them: each one ending in CR LF after the mark, and a last one
// without its end. 0 when the file cannot be read.
size_t CountLines(const std::wstring& path);

// QueryData for the day (CRecordKind::Read); skipped: lines of the file that gave no record.
ULONG Read(CommandContext& context, const CRecordKind& kind, const SYSTEMTIME& day, const std::wstring& path,
           const RecordSink& sink, size_t& skipped);

// Says the skipped lines on standard error, or as "damagedLines" in --json; nothing for none.
void ReportSkipped(CommandContext& context, const CRecordKind& kind, const SYSTEMTIME& day,
                   const std::wstring& path, size_t skipped);
} // namespace DayRead
} // namespace NqHost

#pragma once
// A day of one kind read through the plug-in, with its damaged lines left out and counted: the reader
// skips some of them without a word and makes records of others, which would show made-up events.
#include "CommandContext.h"
#include "RecordKind.h"

#include <functional>

namespace NqHost
{
namespace DayRead
{
// Where a record's line stands in its day file, and its bytes while the sink runs.
struct DayLine
{
    ULONGLONG offset; // in bytes from the start of the file, the byte-order mark included
    size_t length;    // in UTF-16 units, the line end included
    const void* bytes;
};
using LineSink =
    std::function<void(const SYSTEMTIME& time, const std::vector<Cell>& fields, const DayLine& line)>;

// QueryData for the day (CRecordKind::Read); the sink sees the records of the lines that are events
// (CDayFileCheck), in file order, each with its line. damaged: the lines of the file that are no event, 0
// after a failure. A record the file no longer holds (it was replaced meanwhile) is left to the next read.
ULONG ReadLines(SrvFrwk::Interface::IEnforceProvider* provider, const CRecordKind& kind,
                const SYSTEMTIME& day, const std::wstring& path, size_t& damaged, const LineSink& sink);
// The same without the lines.
ULONG Read(SrvFrwk::Interface::IEnforceProvider* provider, const CRecordKind& kind, const SYSTEMTIME& day,
           const std::wstring& path, size_t& damaged, const RecordSink& sink);

// Says the damaged lines on standard error, or as "damagedLines" in --json; nothing for none.
void ReportSkipped(CommandContext& context, const CRecordKind& kind, const SYSTEMTIME& day,
                   const std::wstring& path, size_t skipped);
} // namespace DayRead
} // namespace NqHost

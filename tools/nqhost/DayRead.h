#pragma once
// A day of one kind read through the plug-in, with its damaged lines left out and counted: the reader
// skips some of them without a word and makes records of others, which would show made-up events.
#include "Commands.h"

namespace NqHost
{
namespace DayRead
{
// QueryData for the day (CRecordKind::Read); the sink sees the records of the lines that are events
// (CDayFileCheck), in file order. damaged: the lines of the file that are no event, 0 after a failure.
ULONG Read(SrvFrwk::Interface::IEnforceProvider* provider, const CRecordKind& kind, const SYSTEMTIME& day,
           const std::wstring& path, size_t& damaged, const RecordSink& sink);

// Says the damaged lines on standard error, or as "damagedLines" in --json; nothing for none.
void ReportSkipped(CommandContext& context, const CRecordKind& kind, const SYSTEMTIME& day,
                   const std::wstring& path, size_t skipped);
} // namespace DayRead
} // namespace NqHost

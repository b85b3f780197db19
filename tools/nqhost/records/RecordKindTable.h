#pragma once
// The ten kinds of event by the names a person types, and the log types by name or number.
#include "RecordKind.h"

#include <memory>
#include <string>
#include <vector>

namespace NqHost
{
namespace RecordKindTable
{
const std::vector<std::unique_ptr<CRecordKind>>& All();
// Throws UsageError listing the kinds when the name is unknown.
const CRecordKind& Find(const std::wstring& name);
// A log type by kind name, "pfw", "asg", "all" or its number (0 to 11, 100); throws UsageError.
ULONG ParseLogType(const std::wstring& text);
std::wstring LogTypeName(ULONG logType);
std::wstring KindNames();
} // namespace RecordKindTable
} // namespace NqHost

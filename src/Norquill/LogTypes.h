#pragma once
// What the plug-in looks up in the kind table (LogKindTable.h), and the one rule for a day file's name.
#include "LogBase.h"
#include "LogKindTable.h"

#include <string>
#include <vector>

namespace Norquill
{
// Extension of a type the log-path query answers for; null for any other code.
const wchar_t* GetPathQueryExtension(DWORD logType);

// Clears the list and fills in the extensions one purge searches: the type's own, or for 100 every
// type's in the order other components expect. False (list empty) for a code that names no type.
bool GetPurgeExtensions(DWORD logType, std::vector<std::wstring>& list);

// The stamps Install writes after "MostRecentThreatTime", in their order.
std::vector<const wchar_t*> GetInstallStampNames();

// Folder, YYYYMMDD, ".", extension: the name of a day's file for the writer, the reader and the path
// query alike. Empty when it would not fit 519 characters: a cut name could be another file's.
std::wstring MakeDayFileName(const std::wstring& folder, const SYSTEMTIME& day, const wchar_t* extension);

// The constants of a record class, from its row: its traces name sourceFile.
constexpr LogKindInfo MakeLogKindInfo(const char* sourceFile, ULONG subType)
{
    const LogKindRow& row = *FindSubType(subType); // a sub-type without a row does not compile
    return {sourceFile, row.className, row.extension, row.stampsNewFile ? row.lastDateName : nullptr,
            row.traceNullRecord};
}
} // namespace Norquill

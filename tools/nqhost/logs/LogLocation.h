#pragma once
// Where a kind's day files are, as the plug-in itself names them (QueryData 16), and which days have one.
#include "CommandContext.h"
#include "RecordKind.h"

#include <windows.h>

#include <map>
#include <string>
#include <vector>

namespace NqHost
{
class CLogLocation
{
public:
    // Asks the provider for today's file of the kind; false after a failure, which has been reported.
    bool Find(CommandContext& context, const CRecordKind& kind);

    const std::wstring& Folder() const { return m_folder; }
    // The log folder exists, is a folder and can be listed; false after saying why, with the system's
    // reason.
    static bool Usable(COutput& output, const std::wstring& folder);
    std::wstring DayFile(const SYSTEMTIME& day) const;
    // The kind's day files in the folder by Text::DayKey; names that are no real day are not day files:
    // those with the kind's extension go to misnamed (full paths), since the plug-in never reads them.
    std::map<DWORD, std::wstring> ListDayFiles(std::vector<std::wstring>* misnamed = nullptr) const;

private:
    std::wstring m_folder; // ends in "\"
    std::wstring m_extension;
};
} // namespace NqHost

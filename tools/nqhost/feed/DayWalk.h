#pragma once
// The day files of some kinds over a range of days, day by day: what query, export and check go through.
#include "CommandContext.h"
#include "RecordKind.h"
#include "LogLocation.h"

#include <functional>
#include <map>
#include <vector>

namespace NqHost
{
class CDayWalk
{
public:
    // Returns false when a visit asks to stop.
    using Visit = std::function<bool(const SYSTEMTIME& day, size_t dayIndex, const CRecordKind& kind,
                                     const std::wstring& path)>;

    explicit CDayWalk(std::vector<const CRecordKind*> kinds) : m_kinds(std::move(kinds)) {}

    // Finds each kind's files; false after a failure, which has been reported.
    bool Prepare(CommandContext& context);
    // The range of --from and --to. An open start is the oldest day file of the kinds, an open end today
    // or the newest day file, whichever is later. Throws UsageError for a start after the end.
    void SetRange(const CCommandLine& line);
    void SetRange(const SYSTEMTIME& first, const SYSTEMTIME& last);
    const SYSTEMTIME& First() const { return m_first; }
    const SYSTEMTIME& Last() const { return m_last; }
    size_t Days() const { return m_days; }

    // Visits every day file in the range, day by day and by kind within a day.
    void ForEachFile(const Visit& visit);
    size_t FilesVisited() const { return m_filesVisited; }
    size_t DaysWithoutFile() const { return m_daysWithoutFile; }
    // Days, day files and days without one, as values of the output, and the misnamed files.
    void Report(COutput& output) const;
    // The log folder the plug-in names, ending in "\\".
    const std::wstring& Folder() const { return m_folder; }
    // One folder serves every kind: false once a missing or unusable one has been said.
    bool Usable(COutput& output) const { return CLogLocation::Usable(output, m_folder); }
    // Files with a kind's extension whose names are no day, which the plug-in never reads.
    const std::vector<std::wstring>& Misnamed() const { return m_misnamed; }

private:
    std::vector<const CRecordKind*> m_kinds;
    std::vector<std::map<DWORD, std::wstring>> m_files; // per kind, by day
    std::vector<std::wstring> m_misnamed;
    std::wstring m_folder;
    SYSTEMTIME m_first{};
    SYSTEMTIME m_last{};
    size_t m_days = 0;
    size_t m_filesVisited = 0;
    size_t m_daysWithoutFile = 0;
};

namespace Commands
{
// The kinds named by the words (a kind's name or "all"); all of them when there is none.
std::vector<const CRecordKind*> ParseKinds(const CommandArgs& words);
} // namespace Commands
} // namespace NqHost

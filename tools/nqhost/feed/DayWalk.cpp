// CDayWalk: each kind's day files found through the plug-in, the range of days set and walked day by day;
// and the kinds a command's words name.
#include "DayWalk.h"

#include "RecordFilter.h"
#include "RecordKindTable.h"
#include "Text.h"
#include "UsageError.h"

#include <algorithm>

namespace NqHost
{
bool CDayWalk::Prepare(CommandContext& context)
{
    m_files.clear();
    m_misnamed.clear();
    for (const CRecordKind* kind : m_kinds)
    {
        CLogLocation location;
        // One folder serves every kind: a missing one is said once.
        if (!location.Find(context, *kind))
            return false;
        m_folder = location.Folder();
        m_files.push_back(location.ListDayFiles(&m_misnamed));
    }
    std::sort(m_misnamed.begin(), m_misnamed.end());
    return true;
}

void CDayWalk::SetRange(const CCommandLine& line)
{
    SYSTEMTIME today = Text::Today();
    DWORD oldest = 0, newest = 0;
    for (const auto& files : m_files)
        if (!files.empty())
        {
            oldest = oldest ? std::min(oldest, files.begin()->first) : files.begin()->first;
            newest = std::max(newest, files.rbegin()->first);
        }
    SYSTEMTIME first = line.Has(L"from") ? CRecordFilter::ParseMoment(line.Option(L"from"), false)
                       : oldest          ? Text::DayFromKey(oldest)
                                         : today;
    SYSTEMTIME last = line.Has(L"to")                ? CRecordFilter::ParseMoment(line.Option(L"to"), true)
                      : newest > Text::DayKey(today) ? Text::DayFromKey(newest)
                                                     : today;
    if (CRecordFilter::Key(first) > CRecordFilter::Key(last))
        throw UsageError{L"--from " + Text::DateText(first) + L" is after --to " + Text::DateText(last)};
    SetRange(first, last);
}

void CDayWalk::SetRange(const SYSTEMTIME& first, const SYSTEMTIME& last)
{
    m_first = first;
    m_last = last;
    m_days = 0;
    for (SYSTEMTIME day = m_first; Text::DayKey(day) <= Text::DayKey(m_last); day = Text::NextDay(day))
        ++m_days;
}

void CDayWalk::ForEachFile(const Visit& visit)
{
    m_filesVisited = m_daysWithoutFile = 0;
    size_t index = 0;
    for (SYSTEMTIME day = m_first; index < m_days; day = Text::NextDay(day), ++index)
    {
        bool any = false;
        for (size_t k = 0; k < m_kinds.size(); ++k)
        {
            auto file = m_files[k].find(Text::DayKey(day));
            if (file == m_files[k].end())
                continue;
            any = true;
            ++m_filesVisited;
            if (!visit(day, index, *m_kinds[k], file->second))
                return;
        }
        m_daysWithoutFile += any ? 0 : 1;
    }
}

void CDayWalk::Report(COutput& output) const
{
    output.Value(L"from", Text::DateText(m_first));
    output.Value(L"to", Text::DateText(m_last));
    output.Value(L"days", static_cast<long long>(m_days));
    output.Value(L"dayFiles", static_cast<long long>(m_filesVisited));
    output.Value(L"daysWithoutFile", static_cast<long long>(m_daysWithoutFile));
    if (output.Json())
    {
        std::vector<std::vector<Cell>> rows;
        for (const std::wstring& path : m_misnamed)
            rows.push_back({Cell::Text(path)});
        output.Table(L"misnamedFiles", {L"path"}, rows);
    }
    else
        for (const std::wstring& path : m_misnamed)
            output.Message(L"not a day's name, so never read by the plug-in: " + path);
}

namespace Commands
{
std::vector<const CRecordKind*> ParseKinds(const CommandArgs& words)
{
    std::vector<const CRecordKind*> kinds;
    bool all = words.empty();
    for (const std::wstring& word : words)
    {
        if (Text::EqualsNoCase(word, L"all"))
        {
            all = true;
            continue;
        }
        const CRecordKind* kind = &RecordKindTable::Find(word);
        if (std::find(kinds.begin(), kinds.end(), kind) == kinds.end())
            kinds.push_back(kind);
    }
    if (all)
    {
        kinds.clear();
        for (const auto& kind : RecordKindTable::All())
            kinds.push_back(kind.get());
    }
    return kinds;
}
} // namespace Commands
} // namespace NqHost

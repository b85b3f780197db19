#pragma once
// Which records a person asked for: --where FIELD=VALUE (each must hold), --match TEXT (some text field
// holds it, whatever the case) and the times of day of --from and --to.
#include "CommandLine.h"
#include "RecordKind.h"

#include <string>
#include <vector>

namespace NqHost
{
class CRecordFilter
{
public:
    // Throws UsageError for a --where without "=", on a field none of the kinds reads back (whatever its
    // case) or with no number for a number field, and for a --from/--to that is no moment.
    CRecordFilter(const CCommandLine& line, const std::vector<const CRecordKind*>& kinds);

    bool Accepts(const CRecordKind& kind, const SYSTEMTIME& time, const std::vector<Cell>& fields) const;
    // True when no record can be refused: no --where, no --match, no time of day.
    bool Empty() const { return m_where.empty() && m_match.empty() && !m_first && m_last == kOpen; }

    // "YYYY-MM-DD", "YYYY-MM-DDTHH:MM[:SS]" or with a space for the "T"; a day alone is its first second,
    // or with end its last, as is a time without seconds. Throws UsageError.
    static SYSTEMTIME ParseMoment(const std::wstring& text, bool end);
    // The moment as one sortable number, YYYYMMDDHHMMSS.
    static unsigned long long Key(const SYSTEMTIME& time);

private:
    // The field's own name and whether it is a number; throws UsageError listing the fields.
    static std::pair<std::wstring, bool> Resolve(const std::wstring& name,
                                                 const std::vector<const CRecordKind*>& kinds);

    static constexpr unsigned long long kOpen = ~0ull;
    struct Condition
    {
        std::wstring field;
        std::wstring value;
    };

    std::vector<Condition> m_where;
    std::wstring m_match;
    unsigned long long m_first = 0;
    unsigned long long m_last = kOpen;
};
} // namespace NqHost

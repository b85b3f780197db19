// CDayFeed: a day's records past the cursor handed on with their ids and seals, the cursor moved after
// them, and a day begun anew handed on whole.
#include "DayFeed.h"

#include "DayFileCheck.h"
#include "DaySeals.h"
#include "DayRead.h"
#include "EventId.h"
#include "Text.h"

#include <algorithm>

namespace NqHost
{
ULONG CDayFeed::Pass(const CRecordKind& kind, const SYSTEMTIME& day, const std::wstring& path, size_t skip,
                     const CCursor::Entry& from, const Deliver& deliver, bool settled, bool& begunAnew)
{
    const DWORD dayKey = Text::DayKey(day);
    CCursor::Entry reached = from;
    size_t number = 0;
    bool taking = true;
    begunAnew = false;
    const CDaySeals seals(path);
    ULONG result = DayRead::ReadLines(
        m_provider, kind, day, path, m_damaged,
        [&](const SYSTEMTIME& time, const std::vector<Cell>& fields, const DayRead::DayLine& line)
        {
            ++number;
            if (!taking || begunAnew || number < std::max(from.count, skip))
                return;
            std::string id = EventId::Make(kind.Name(), day, line.offset,
                                           EventId::Hash(m_seed, line.bytes, line.length * sizeof(wchar_t)));
            if (number == from.count && !from.lastId.empty() && (begunAnew = id != from.lastId))
                return;
            if (number <= std::max(from.count, skip))
            {
                reached = {number, std::move(id)}; // skipped, but covered from now on
                return;
            }
            // A line at the reader's limit, or one short of it where a pair or an escape was kept whole.
            const bool shortened = line.length + 1 >= CDayFileCheck::kLongestLine;
            if (!(taking = deliver({kind, time, fields, id, shortened, seals.At(line.offset)})))
                return;
            reached = {number, std::move(id)};
        });
    if (SrvFrwk::Failed(result))
        return result;
    begunAnew = begunAnew || number < from.count;
    reached.whole = from.whole || (settled && taking && reached.count == number);
    if (!begunAnew &&
        (reached.count != from.count || reached.whole != from.whole || !m_cursor.Has(kind.Name(), dayKey)))
        m_cursor.Set(kind.Name(), dayKey, reached);
    return result;
}

ULONG CDayFeed::Read(const CRecordKind& kind, const SYSTEMTIME& day, const std::wstring& path, size_t skip,
                     const Deliver& deliver, bool settled)
{
    bool begunAnew = false;
    ULONG result =
        Pass(kind, day, path, skip, m_cursor.At(kind.Name(), Text::DayKey(day)), deliver, settled, begunAnew);
    if (begunAnew)
        result = Pass(kind, day, path, 0, CCursor::Entry{}, deliver, settled, begunAnew);
    return result;
}
} // namespace NqHost

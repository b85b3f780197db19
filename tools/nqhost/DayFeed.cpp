#include "DayFeed.h"

#include "DayRead.h"
#include "EventId.h"
#include "Text.h"

#include <algorithm>

namespace NqHost
{
namespace Day = DayRead;

ULONG CDayFeed::Pass(const CRecordKind& kind, const SYSTEMTIME& day, const std::wstring& path, size_t skip,
                     const CCursor::Entry& from, const Deliver& deliver, bool& begunAnew)
{
    const DWORD dayKey = Text::DayKey(day);
    CCursor::Entry reached = from;
    size_t number = 0;
    bool taking = true;
    begunAnew = false;
    ULONG result = Day::Read(m_provider, kind, day, path, m_damaged,
                             [&](const SYSTEMTIME& time, const std::vector<Cell>& fields)
                             {
                                 ++number;
                                 if (!taking || begunAnew || number < std::max(from.count, skip))
                                     return;
                                 std::string id = EventId::Make(kind.Name(), day, number, time, fields);
                                 if (number == from.count && (begunAnew = id != from.lastId))
                                     return;
                                 if (number <= std::max(from.count, skip))
                                 {
                                     reached = {number, std::move(id)}; // skipped, but covered from now on
                                     return;
                                 }
                                 if (!(taking = deliver({kind, time, fields, id})))
                                     return;
                                 reached = {number, std::move(id)};
                             });
    if (SrvFrwk::Failed(result))
        return result;
    begunAnew = begunAnew || number < from.count;
    if (!begunAnew && (reached.count != from.count || !m_cursor.Has(kind.Name(), dayKey)))
        m_cursor.Set(kind.Name(), dayKey, reached);
    return result;
}

ULONG CDayFeed::Read(const CRecordKind& kind, const SYSTEMTIME& day, const std::wstring& path, size_t skip,
                     const Deliver& deliver)
{
    bool begunAnew = false;
    ULONG result =
        Pass(kind, day, path, skip, m_cursor.At(kind.Name(), Text::DayKey(day)), deliver, begunAnew);
    if (begunAnew)
        result = Pass(kind, day, path, 0, CCursor::Entry{}, deliver, begunAnew);
    return result;
}
} // namespace NqHost

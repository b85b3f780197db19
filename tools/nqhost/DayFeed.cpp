#include "DayFeed.h"

#include "DayLines.h"
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
    CDayLines lines(m_seed);
    bool linesRead = false;
    size_t number = 0;
    bool taking = true;
    begunAnew = false;
    ULONG result =
        kind.Read(m_provider, day,
                  [&](const SYSTEMTIME& time, const std::vector<Cell>& fields)
                  {
                      ++number;
                      if (!taking || begunAnew || number < std::max(from.count, skip))
                          return;
                      // Read after the plug-in's read, so the file holds at least its lines.
                      if (!linesRead)
                      {
                          lines.Read(path); // none when it cannot be read: nothing is handed on
                          linesRead = true;
                      }
                      // Fewer lines: the file was replaced meanwhile; the next read sees it.
                      if (number > lines.Lines().size())
                      {
                          taking = false;
                          return;
                      }
                      const DayLine& line = lines.Lines()[number - 1];
                      std::string id = EventId::Make(kind.Name(), day, line);
                      if (number == from.count && !from.lastId.empty() && (begunAnew = id != from.lastId))
                          return;
                      if (number <= std::max(from.count, skip))
                      {
                          reached = {number, std::move(id)}; // skipped, but covered from now on
                          return;
                      }
                      if (!(taking = deliver({kind, time, fields, id, line.length == CDayLines::kLongest})))
                          return;
                      reached = {number, std::move(id)};
                  });
    m_records = number;
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

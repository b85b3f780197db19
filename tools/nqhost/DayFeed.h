#pragma once
// Hands on the records of day files that a cursor does not cover yet, each with its id, and moves the
// cursor past the ones handed on: what export and tail share.
#include "Cursor.h"
#include "RecordWriter.h"

#include <functional>

namespace NqHost
{
class CDayFeed
{
public:
    // False: the record was not taken (a budget ran out); nothing more is handed on from that day.
    using Deliver = std::function<bool(const EventRecord& record)>;

    CDayFeed(SrvFrwk::Interface::IEnforceProvider* provider, CCursor& cursor)
        : m_provider(provider), m_cursor(cursor)
    {
    }

    // QueryData for the day; hands on the records after those the cursor covers and after the first
    // `skip`. A day whose record at the cursor has another id was begun anew: it is handed on whole.
    // Returns the QueryData result.
    // Only the lines of the day file at path that are events count (DayRead).
    ULONG Read(const CRecordKind& kind, const SYSTEMTIME& day, const std::wstring& path, size_t skip,
               const Deliver& deliver);
    // Lines of the day file that were no event at the last Read.
    size_t Damaged() const { return m_damaged; }

private:
    ULONG Pass(const CRecordKind& kind, const SYSTEMTIME& day, const std::wstring& path, size_t skip,
               const CCursor::Entry& from, const Deliver& deliver, bool& begunAnew);

    SrvFrwk::Interface::IEnforceProvider* m_provider;
    CCursor& m_cursor;
    size_t m_damaged = 0;
};
} // namespace NqHost

#pragma once
// Writes records read back from day files in one of the formats other tools read.
#include "LogOrigin.h"
#include "OutputStream.h"
#include "RecordKind.h"

#include <memory>
#include <string>
#include <vector>

namespace NqHost
{
// One event read back from a day file, with its id (EventId).
struct EventRecord
{
    const CRecordKind& kind;
    const SYSTEMTIME& time;
    const std::vector<Cell>& fields;
    const std::string& id;
    // The line has the longest length the reader takes: the writer shortened its texts to fit.
    bool shortened = false;
    // The event's seal (hex) where sealing was on when it was stored; null otherwise.
    const std::string* seal = nullptr;
};

// How records are written: the format, and for JSON Lines the schema ("" for the records' own names).
struct WriterChoice
{
    std::wstring format;
    std::wstring schema;
    bool allowText = false;
    // CSV cells that a spreadsheet would take as a formula are written as they are.
    bool csvRaw = false;
};

class CRecordWriter
{
public:
    virtual ~CRecordWriter() = default;
    virtual void Write(const EventRecord& record) = 0;

    // "jsonl", "csv" or "text" (when allowed), schema "ecs" with jsonl only; throws UsageError otherwise,
    // and for CSV of several kinds, whose columns differ.
    static void Check(const WriterChoice& choice, const std::vector<const CRecordKind*>& kinds);
    // Check()ed first; a CSV writer writes its header at once.
    static std::unique_ptr<CRecordWriter> Create(const WriterChoice& choice, COutputStream& out,
                                                 const std::vector<const CRecordKind*>& kinds,
                                                 const CLogOrigin& origin);

protected:
    CRecordWriter(COutputStream& out, const CLogOrigin& origin)
        : m_out(out), m_origin(origin), m_zone(origin.Zone())
    {
    }

    COutputStream& m_out;
    const CLogOrigin& m_origin;
    CZonedTime& m_zone;
};
} // namespace NqHost

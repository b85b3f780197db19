#pragma once
// Writes records read back from day files in one of the formats other tools read.
#include "OutputStream.h"
#include "RecordKind.h"

#include <memory>
#include <string>
#include <vector>

namespace NqHost
{
class CRecordWriter
{
public:
    virtual ~CRecordWriter() = default;
    virtual void Write(const CRecordKind& kind, const SYSTEMTIME& time, const std::vector<Cell>& fields) = 0;

    // "jsonl", "csv" or "text" (when allowed); throws UsageError for another format, and for CSV of
    // several kinds, whose columns differ.
    static void Check(const std::wstring& format, bool allowText,
                      const std::vector<const CRecordKind*>& kinds);
    // Check()ed first; a CSV writer writes its header at once. csvRaw: CSV cells that a spreadsheet would
    // take as a formula are written as they are.
    static std::unique_ptr<CRecordWriter> Create(const std::wstring& format, bool allowText,
                                                 COutputStream& out,
                                                 const std::vector<const CRecordKind*>& kinds,
                                                 bool csvRaw = false);

protected:
    explicit CRecordWriter(COutputStream& out) : m_out(out) {}

    COutputStream& m_out;
};
} // namespace NqHost

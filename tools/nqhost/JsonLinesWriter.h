#pragma once
// One JSON object a line: kind, time (ISO 8601, local) and the kept fields, numbers as numbers.
#include "RecordWriter.h"

namespace NqHost
{
class CJsonLinesWriter : public CRecordWriter
{
public:
    explicit CJsonLinesWriter(COutputStream& out) : CRecordWriter(out) {}
    void Write(const CRecordKind& kind, const SYSTEMTIME& time, const std::vector<Cell>& fields) override;
};
} // namespace NqHost

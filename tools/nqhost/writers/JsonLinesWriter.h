#pragma once
// One JSON object a line: kind, id, time (RFC 3339, local with its offset) and the kept fields,
// numbers as numbers.
#include "RecordWriter.h"

namespace NqHost
{
class CJsonLinesWriter : public CRecordWriter
{
public:
    CJsonLinesWriter(COutputStream& out, const CLogOrigin& origin) : CRecordWriter(out, origin) {}
    void Write(const EventRecord& record) override;
};
} // namespace NqHost

#pragma once
// For a person watching: the time, the kind and field=value pairs on one line.
#include "RecordWriter.h"

namespace NqHost
{
class CTextLineWriter : public CRecordWriter
{
public:
    CTextLineWriter(COutputStream& out, const CLogOrigin& origin) : CRecordWriter(out, origin) {}
    void Write(const EventRecord& record) override;
};
} // namespace NqHost

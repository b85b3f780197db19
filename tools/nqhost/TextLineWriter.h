#pragma once
// For a person watching: the time, the kind and field=value pairs on one line.
#include "RecordWriter.h"

namespace NqHost
{
class CTextLineWriter : public CRecordWriter
{
public:
    explicit CTextLineWriter(COutputStream& out) : CRecordWriter(out) {}
    void Write(const EventRecord& record) override;
};
} // namespace NqHost

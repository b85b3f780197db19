#pragma once
// RFC 4180: a header line, CRLF line ends, fields quoted when they hold a quote, comma or line break.
#include "RecordWriter.h"

namespace NqHost
{
class CCsvWriter : public CRecordWriter
{
public:
    CCsvWriter(COutputStream& out, const CRecordKind& kind);
    void Write(const EventRecord& record) override;
    static std::string Quote(const std::string& text);
};
} // namespace NqHost

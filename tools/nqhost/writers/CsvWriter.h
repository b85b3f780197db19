#pragma once
// RFC 4180: a header line, CRLF line ends, fields quoted when they hold a quote, comma or line break.
// A text cell that begins with "=", "+", "-", "@", tab or CR would run as a formula in a spreadsheet: it
// gets a leading "'" and quotes, as injection guidance recommends, unless the writer is raw.
#include "RecordWriter.h"

namespace NqHost
{
class CCsvWriter : public CRecordWriter
{
public:
    CCsvWriter(COutputStream& out, const CLogOrigin& origin, const CRecordKind& kind, bool raw = false);
    void Write(const EventRecord& record) override;
    static std::string Quote(const std::string& text);
    // The cell as a spreadsheet may read it safely: a formula's first character turned into text.
    static std::string Neutralise(const std::string& text);

private:
    bool m_raw;
};
} // namespace NqHost

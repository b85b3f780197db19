// CCsvWriter: one kind's records as RFC 4180 rows, cells a spreadsheet would run as formulas neutralised
// unless raw.
#include "CsvWriter.h"

#include "Text.h"

namespace NqHost
{
CCsvWriter::CCsvWriter(COutputStream& out, const CLogOrigin& origin, const CRecordKind& kind, bool raw)
    : CRecordWriter(out, origin), m_raw(raw)
{
    std::string header = "id,time";
    for (const std::wstring& name : kind.FieldNames())
        header += "," + Quote(Text::ToUtf8(name));
    if (m_out.StartedEmpty()) // a file appended to has its header
        m_out.Write(header + "\r\n");
}

void CCsvWriter::Write(const EventRecord& record)
{
    std::string line = Quote(record.id) + "," + m_zone.Local(record.time);
    for (const Cell& field : record.fields)
    {
        const std::string text = Text::ToUtf8(field.text);
        line += "," + (field.numeric || m_raw ? Quote(text) : Neutralise(text));
    }
    m_out.Write(line + "\r\n");
}

std::string CCsvWriter::Neutralise(const std::string& text)
{
    if (text.empty() || std::string("=+-@\t\r").find(text[0]) == std::string::npos)
        return Quote(text);
    std::string quoted = "\"'";
    for (char c : text)
        quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

std::string CCsvWriter::Quote(const std::string& text)
{
    if (text.find_first_of("\",\r\n") == std::string::npos)
        return text;
    std::string quoted = "\"";
    for (char c : text)
        quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}
} // namespace NqHost

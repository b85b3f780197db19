#include "CsvWriter.h"

#include "Text.h"

namespace NqHost
{
CCsvWriter::CCsvWriter(COutputStream& out, const CRecordKind& kind) : CRecordWriter(out)
{
    std::string header = "id,time";
    for (const std::wstring& name : kind.FieldNames())
        header += "," + Quote(Text::ToUtf8(name));
    m_out.Write(header + "\r\n");
}

void CCsvWriter::Write(const EventRecord& record)
{
    std::string line = Quote(record.id) + "," + m_zone.Local(record.time);
    for (const Cell& field : record.fields)
        line += "," + Quote(Text::ToUtf8(field.text));
    m_out.Write(line + "\r\n");
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

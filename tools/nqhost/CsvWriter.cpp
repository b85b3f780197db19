#include "CsvWriter.h"

#include "Text.h"

namespace NqHost
{
CCsvWriter::CCsvWriter(COutputStream& out, const CRecordKind& kind) : CRecordWriter(out)
{
    std::string header = "time";
    for (const std::wstring& name : kind.FieldNames())
        header += "," + Quote(Text::ToUtf8(name));
    m_out.Write(header + "\r\n");
}

void CCsvWriter::Write(const CRecordKind&, const SYSTEMTIME& time, const std::vector<Cell>& fields)
{
    std::string line = Text::ToUtf8(Text::IsoTimeText(time));
    for (const Cell& field : fields)
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

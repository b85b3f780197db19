#include "CsvWriter.h"

#include "Text.h"

namespace NqHost
{
CCsvWriter::CCsvWriter(COutputStream& out, const CRecordKind& kind, bool raw) : CRecordWriter(out), m_raw(raw)
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

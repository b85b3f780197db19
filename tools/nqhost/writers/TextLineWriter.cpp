// CTextLineWriter: each record as its time, its kind and field=value pairs on one line.
#include "TextLineWriter.h"

#include "Text.h"

namespace NqHost
{
void CTextLineWriter::Write(const EventRecord& record)
{
    const CRecordKind& kind = record.kind;
    const std::vector<Cell>& fields = record.fields;
    std::wstring line = Text::DateTimeText(record.time) + L"  " + kind.Name();
    const std::vector<std::wstring>& names = kind.FieldNames();
    for (size_t i = 0; i < names.size() && i < fields.size(); ++i)
        line += L"  " + names[i] + L"=" + Text::VisibleText(fields[i].text);
    m_out.Write(Text::ToUtf8(line) + "\n");
}
} // namespace NqHost

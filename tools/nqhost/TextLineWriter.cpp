#include "TextLineWriter.h"

#include "Text.h"

namespace NqHost
{
void CTextLineWriter::Write(const CRecordKind& kind, const SYSTEMTIME& time, const std::vector<Cell>& fields)
{
    std::wstring line = Text::DateTimeText(time) + L"  " + kind.Name();
    const std::vector<std::wstring>& names = kind.FieldNames();
    for (size_t i = 0; i < names.size() && i < fields.size(); ++i)
        line += L"  " + names[i] + L"=" + Text::Visible(fields[i].text);
    m_out.Write(Text::ToUtf8(line) + "\n");
}
} // namespace NqHost

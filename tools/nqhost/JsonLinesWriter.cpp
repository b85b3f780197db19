#include "JsonLinesWriter.h"

#include "Text.h"

#include <nlohmann/json.hpp>

namespace NqHost
{
void CJsonLinesWriter::Write(const CRecordKind& kind, const SYSTEMTIME& time, const std::vector<Cell>& fields)
{
    nlohmann::ordered_json record{{"kind", Text::ToUtf8(kind.Name())},
                                  {"time", Text::ToUtf8(Text::IsoTimeText(time))}};
    const std::vector<std::wstring>& names = kind.FieldNames();
    for (size_t i = 0; i < names.size() && i < fields.size(); ++i)
        record[Text::ToUtf8(names[i])] = fields[i].numeric
                                             ? nlohmann::ordered_json(fields[i].number)
                                             : nlohmann::ordered_json(Text::ToUtf8(fields[i].text));
    m_out.Write(record.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n");
}
} // namespace NqHost

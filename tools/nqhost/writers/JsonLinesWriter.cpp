// CJsonLinesWriter: each record as one JSON object of kind, id, time and kept fields.
#include "JsonLinesWriter.h"

#include "Text.h"

#include <nlohmann/json.hpp>

namespace NqHost
{
void CJsonLinesWriter::Write(const EventRecord& record)
{
    nlohmann::ordered_json line{
        {"kind", Text::ToUtf8(record.kind.Name())}, {"id", record.id}, {"time", m_zone.Local(record.time)}};
    const std::vector<std::wstring>& names = record.kind.FieldNames();
    const std::vector<Cell>& fields = record.fields;
    for (size_t i = 0; i < names.size() && i < fields.size(); ++i)
        line[Text::ToUtf8(names[i])] = fields[i].numeric
                                           ? nlohmann::ordered_json(fields[i].number)
                                           : nlohmann::ordered_json(Text::ToUtf8(fields[i].text));
    if (record.seal)
        line["seal"] = *record.seal;
    if (record.shortened) // the writer shortened a text to fit the line: the record is not whole
        line["shortened"] = true;
    m_out.Write(line.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n");
}
} // namespace NqHost

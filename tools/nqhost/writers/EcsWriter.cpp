// CEcsWriter: each record as one ECS document, its fields placed by EcsTable's dotted names.
#include "EcsWriter.h"

#include "EcsTable.h"
#include "Text.h"

#include <nlohmann/json.hpp>

namespace NqHost
{
namespace
{
using Json = nlohmann::ordered_json;

std::vector<std::string> Split(const std::string& dotted)
{
    std::vector<std::string> parts;
    for (size_t start = 0;;)
    {
        size_t dot = dotted.find('.', start);
        parts.push_back(dotted.substr(start, dot - start));
        if (dot == std::string::npos)
            return parts;
        start = dot + 1;
    }
}

Json& At(Json& document, const std::vector<std::string>& path)
{
    Json* node = &document;
    for (const std::string& key : path)
        node = &(*node)[key];
    return *node;
}
} // namespace

CEcsWriter::CEcsWriter(COutputStream& out, const CLogOrigin& origin) : CRecordWriter(out, origin) {}

const CEcsWriter::KindLayout& CEcsWriter::LayoutOf(const CRecordKind& kind)
{
    auto known = m_layouts.find(&kind);
    if (known != m_layouts.end())
        return known->second;
    const EcsTable::KindMapping& mapping = EcsTable::Of(kind.Name());
    KindLayout layout;
    for (const std::wstring& field : kind.FieldNames())
    {
        layout.paths.push_back(Split(EcsTable::FieldName(kind.Name(), field)));
        layout.shapes.push_back(EcsTable::ShapeOf(kind.Name(), field));
    }
    layout.kind = mapping.eventKind;
    layout.dataset = "norquill." + Text::ToUtf8(kind.Name());
    layout.action = mapping.action;
    layout.code = std::to_string(kind.SubType());
    layout.categories.assign(mapping.categories.begin(), mapping.categories.end());
    layout.types.assign(mapping.types.begin(), mapping.types.end());
    return m_layouts.emplace(&kind, std::move(layout)).first->second;
}

void CEcsWriter::Write(const EventRecord& record)
{
    const KindLayout& layout = LayoutOf(record.kind);
    Json document{{"@timestamp", m_zone.Utc(record.time)},
                  {"ecs", {{"version", EcsTable::kVersion}}},
                  {"event",
                   {{"id", record.id},
                    {"kind", layout.kind},
                    {"category", layout.categories},
                    {"type", layout.types},
                    {"action", layout.action},
                    {"dataset", layout.dataset},
                    {"module", "norquill"},
                    {"code", layout.code},
                    {"timezone", m_zone.Offset(record.time)}}},
                  {"host", {{"name", m_origin.HostName()}}}};
    if (record.seal)
        document["event"]["hash"] = *record.seal;
    for (size_t i = 0; i < layout.paths.size() && i < record.fields.size(); ++i)
    {
        const Cell& cell = record.fields[i];
        const bool ecsField = layout.paths[i][0] != "norquill";
        std::wstring path, detail;
        if (layout.shapes[i] == EcsTable::Shape::Location && EcsTable::IsRegistryLocation(cell.text))
            document["registry"]["path"] = Text::ToUtf8(cell.text);
        else if (layout.shapes[i] == EcsTable::Shape::PathDetail &&
                 EcsTable::SplitDetail(cell.text, path, detail))
        {
            At(document, layout.paths[i]) = Text::ToUtf8(path);
            document["norquill"][layout.dataset.substr(9)]["szDetail"] = Text::ToUtf8(detail);
        }
        else
            At(document, layout.paths[i]) =
                cell.numeric && !ecsField ? Json(cell.number) : Json(Text::ToUtf8(cell.text));
    }
    if (record.shortened)
        document["tags"] = Json::array({EcsTable::kShortenedTag});
    m_out.Write(document.dump(-1, ' ', false, Json::error_handler_t::replace) + "\n");
}
} // namespace NqHost

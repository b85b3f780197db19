#include "EcsTable.h"

#include "Text.h"

#include <stdexcept>

namespace NqHost
{
namespace EcsTable
{
const std::vector<KindMapping>& All()
{
    // The producers fix the meaning of few members; what has no ECS meaning stays under norquill.
    static const std::vector<KindMapping> table = {
        {L"virus",
         "alert",
         {"malware"},
         {"info"},
         "virus-detected",
         {{L"dwNumber", nullptr},
          {L"szThreatName", "rule.name"},
          {L"nValue1", nullptr},
          {L"nValue2", nullptr},
          {L"nValue3", nullptr},
          {L"nValue4", nullptr},
          {L"szFilePath", "file.path"}}},
        {L"spyware",
         "alert",
         {"malware"},
         {"info"},
         "spyware-detected",
         {{L"nType", nullptr},
          {L"szText1", nullptr},
          {L"nValue1", nullptr},
          {L"szPath", "file.path"},
          {L"szText2", nullptr},
          {L"szItem", nullptr},
          {L"szText3", nullptr},
          {L"szText4", nullptr},
          {L"nValue3", nullptr}}},
        {L"vulnerability",
         "event",
         {"vulnerability"},
         {"info"},
         "vulnerability-found",
         {{L"szName", "vulnerability.id"},
          {L"nValue1", nullptr},
          {L"nValue2", nullptr},
          {L"szText1", "vulnerability.description"}}},
        {L"tsc", "event", {"host"}, {"info"}, "tsc-event", {{L"szText1", "message"}, {L"nValue1", nullptr}}},
        {L"update",
         "event",
         {"package"},
         {"change"},
         "update",
         {{L"nValue1", nullptr},
          {L"nValue2", nullptr},
          {L"nValue3", nullptr},
          {L"nValue4", nullptr},
          {L"szText1", nullptr},
          {L"szText2", nullptr}}},
        {L"history",
         "event",
         {"file"},
         {"deletion"},
         "history-cleaned",
         {{L"dwKind", nullptr}, {L"dwCount", nullptr}, {L"qwAmount", nullptr}, {L"dwValue", nullptr}}},
        {L"url",
         "event",
         {"web"},
         {"access"},
         "url-filtered",
         {{L"dwCode", nullptr},
          {L"tsText1", "url.original"},
          {L"nValue", nullptr},
          {L"tsText2", nullptr},
          {L"tsText4", nullptr}}},
        {L"privacy",
         "event",
         {"host"},
         {"info"},
         "privacy-event",
         {{L"dwType", nullptr},
          {L"nValue1", nullptr},
          {L"tsText1", nullptr},
          {L"nValue2", nullptr},
          {L"tsText2", nullptr},
          {L"tsText4", nullptr},
          {L"tsText5", nullptr},
          {L"tsText6", nullptr}}},
        {L"phishing",
         "alert",
         {"web"},
         {"info"},
         "phishing-alert",
         {{L"nValue1", nullptr},
          {L"dwCode", nullptr},
          {L"nValue2", nullptr},
          {L"tsText1", "url.original"},
          {L"tsText2", nullptr},
          {L"tsText3", nullptr}}},
        {L"change",
         "event",
         {"configuration"},
         {"change"},
         "suspicious-change",
         {{L"nType", nullptr},
          {L"szText1", nullptr},
          {L"nValue1", nullptr},
          {L"szPath", nullptr},
          {L"szText2", nullptr},
          {L"szItem", nullptr},
          {L"szText3", nullptr},
          {L"szText4", nullptr},
          {L"nValue3", nullptr}}},
    };
    return table;
}

const KindMapping& Of(const std::wstring& kind)
{
    for (const KindMapping& mapping : All())
        if (kind == mapping.kind)
            return mapping;
    throw std::logic_error("a kind without a row in the ECS table");
}

std::string FieldName(const std::wstring& kind, const std::wstring& field)
{
    for (const FieldMapping& mapping : Of(kind).fields)
        if (field == mapping.field && mapping.ecs)
            return mapping.ecs;
    return "norquill." + Text::ToUtf8(kind) + "." + Text::ToUtf8(field);
}
} // namespace EcsTable
} // namespace NqHost

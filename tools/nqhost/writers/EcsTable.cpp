// The ECS mapping of the ten kinds, and the look-ups and splits the ECS writer makes with it.
#include "EcsTable.h"

#include "Text.h"

#include <cwchar>
#include <stdexcept>

namespace NqHost
{
namespace EcsTable
{
const std::vector<KindMapping>& All()
{
    // A change is read at the spyware indexes, so the two share their members.
    static const std::vector<FieldMapping> kSpywareFields = {
        {L"nType", nullptr},   {L"szText1", kDetectionName},
        {L"nValue1", nullptr}, {L"szPath", "file.directory", Shape::Location},
        {L"szText2", nullptr}, {L"szItem", nullptr},
        {L"szText3", nullptr}, {L"szText4", nullptr},
        {L"nValue3", nullptr}};
    // The producers fix the meaning of few members; what has no ECS meaning stays under norquill.
    static const std::vector<KindMapping> table = {
        {L"virus",
         "alert",
         {"malware"},
         {"info"},
         "virus-detected",
         {{L"dwNumber", nullptr},
          {L"szThreatName", kDetectionName},
          {L"nValue1", nullptr},
          {L"nValue2", nullptr},
          {L"nValue3", nullptr},
          {L"nValue4", nullptr},
          {L"szFilePath", "file.path", Shape::PathDetail}}},
        {L"spyware", "alert", {"malware"}, {"info"}, "spyware-detected", kSpywareFields},
        {L"vulnerability",
         "event",
         {"vulnerability"},
         {"info"},
         "vulnerability-found",
         {{L"szName", kDetectionName},
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
        {L"change", "event", {"configuration"}, {"change"}, "suspicious-change", kSpywareFields},
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

Shape ShapeOf(const std::wstring& kind, const std::wstring& field)
{
    for (const FieldMapping& mapping : Of(kind).fields)
        if (field == mapping.field)
            return mapping.shape;
    return Shape::Plain;
}

bool IsRegistryLocation(const std::wstring& location)
{
    static const wchar_t* const hives[] = {L"HKEY_", L"HKLM\\", L"HKCU\\", L"HKU\\", L"HKCR\\", L"HKCC\\"};
    for (const wchar_t* hive : hives)
        if (_wcsnicmp(location.c_str(), hive, wcslen(hive)) == 0)
            return true;
    return false;
}

bool SplitDetail(const std::wstring& value, std::wstring& path, std::wstring& detail)
{
    // The last " (" whose ")" ends the value; a detail is what was done, never a path of its own.
    const size_t open = value.rfind(L" (");
    if (open == std::wstring::npos || value.empty() || value.back() != L')' ||
        value.find(L'\\', open) != std::wstring::npos)
        return false;
    path = value.substr(0, open);
    detail = value.substr(open + 2, value.size() - open - 3);
    return true;
}
} // namespace EcsTable
} // namespace NqHost

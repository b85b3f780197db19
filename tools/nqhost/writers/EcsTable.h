#pragma once
// The one mapping of the ten kinds onto the Elastic Common Schema: how each kind is classified and
// which ECS field each record field fills. docs/ECS.md shows the same table to people.
#include <string>
#include <vector>

namespace NqHost
{
namespace EcsTable
{
constexpr const char* kVersion = "9.4.0";

// How a member's value is spread over ECS fields.
enum class Shape
{
    Plain,      // the whole value in one field
    Location,   // "where": registry.path when it names a registry hive, else file.directory
    PathDetail, // "PATH (DETAIL)": file.path, and the detail in norquill.<kind>.szDetail
};

struct FieldMapping
{
    const wchar_t* field; // the record member, as FieldNames() names it
    const char* ecs;      // a text field's ECS field; nullptr: "norquill.<kind>.<field>"
    Shape shape = Shape::Plain;
};

// The field all detections' names go to, whatever the kind.
constexpr const char* kDetectionName = "rule.name";
// In tags of an event whose line has the longest length the reader takes: the writer shortened its texts.
constexpr const char* kShortenedTag = "norquill-shortened";

struct KindMapping
{
    const wchar_t* kind;
    const char* eventKind;
    std::vector<const char*> categories;
    std::vector<const char*> types;
    const char* action;
    std::vector<FieldMapping> fields;
};

const std::vector<KindMapping>& All();
// Throws std::logic_error for a kind without a row: the table must cover every kind.
const KindMapping& Of(const std::wstring& kind);
// The dotted ECS name of one field of the kind (for a Location: its file.directory).
std::string FieldName(const std::wstring& kind, const std::wstring& field);
Shape ShapeOf(const std::wstring& kind, const std::wstring& field);
// Whether a location names a registry key (HKEY_LOCAL_MACHINE\..., HKLM\...).
bool IsRegistryLocation(const std::wstring& location);
// Splits "PATH (DETAIL)" as the virus writer joins them; false when the value has no detail.
bool SplitDetail(const std::wstring& value, std::wstring& path, std::wstring& detail);
} // namespace EcsTable
} // namespace NqHost

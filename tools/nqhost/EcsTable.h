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

struct FieldMapping
{
    const wchar_t* field; // the record member, as FieldNames() names it
    const char* ecs;      // a text field's ECS field; nullptr: "norquill.<kind>.<field>"
};

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
// The dotted ECS name of one field of the kind.
std::string FieldName(const std::wstring& kind, const std::wstring& field);
} // namespace EcsTable
} // namespace NqHost

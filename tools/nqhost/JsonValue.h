#pragma once
// A JSON document built in memory and written out once, so that --json output is always complete.
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace NqHost
{
class JsonValue
{
public:
    enum class Kind
    {
        Null,
        Bool,
        Number,
        String,
        Array,
        Object
    };

    JsonValue() = default;
    static JsonValue Bool(bool value);
    static JsonValue Number(long long value);
    static JsonValue String(const std::wstring& value);
    static JsonValue Array();
    static JsonValue Object();

    Kind GetKind() const { return m_kind; }
    // Appends to an array; returns the stored element.
    JsonValue& Push(JsonValue value);
    // Sets a member of an object (replacing one of the same name); returns the stored member.
    JsonValue& Set(const std::wstring& name, JsonValue value);
    // The member of that name, created as the given kind when missing.
    JsonValue& Member(const std::wstring& name, Kind kind);

    std::wstring Serialize() const;

private:
    void Write(std::wstring& out) const;
    static void WriteString(std::wstring& out, const std::wstring& text);

    Kind m_kind = Kind::Null;
    bool m_bool = false;
    long long m_number = 0;
    std::wstring m_string;
    std::vector<JsonValue> m_items;
    std::vector<std::pair<std::wstring, JsonValue>> m_members;
};
} // namespace NqHost

#include "JsonValue.h"

#include "Text.h"

namespace NqHost
{
JsonValue JsonValue::Bool(bool value)
{
    JsonValue v;
    v.m_kind = Kind::Bool;
    v.m_bool = value;
    return v;
}

JsonValue JsonValue::Number(long long value)
{
    JsonValue v;
    v.m_kind = Kind::Number;
    v.m_number = value;
    return v;
}

JsonValue JsonValue::String(const std::wstring& value)
{
    JsonValue v;
    v.m_kind = Kind::String;
    v.m_string = value;
    return v;
}

JsonValue JsonValue::Array()
{
    JsonValue v;
    v.m_kind = Kind::Array;
    return v;
}

JsonValue JsonValue::Object()
{
    JsonValue v;
    v.m_kind = Kind::Object;
    return v;
}

JsonValue& JsonValue::Push(JsonValue value)
{
    m_items.push_back(std::move(value));
    return m_items.back();
}

JsonValue& JsonValue::Set(const std::wstring& name, JsonValue value)
{
    for (auto& member : m_members)
        if (member.first == name)
            return member.second = std::move(value);
    m_members.emplace_back(name, std::move(value));
    return m_members.back().second;
}

JsonValue& JsonValue::Member(const std::wstring& name, Kind kind)
{
    for (auto& member : m_members)
        if (member.first == name)
            return member.second;
    JsonValue fresh;
    fresh.m_kind = kind;
    return Set(name, std::move(fresh));
}

std::wstring JsonValue::Serialize() const
{
    std::wstring out;
    Write(out);
    return out;
}

void JsonValue::Write(std::wstring& out) const
{
    switch (m_kind)
    {
    case Kind::Null:
        out += L"null";
        break;
    case Kind::Bool:
        out += m_bool ? L"true" : L"false";
        break;
    case Kind::Number:
        out += Text::Format(L"%lld", m_number);
        break;
    case Kind::String:
        WriteString(out, m_string);
        break;
    case Kind::Array:
        out += L'[';
        for (size_t i = 0; i < m_items.size(); ++i)
        {
            if (i)
                out += L',';
            m_items[i].Write(out);
        }
        out += L']';
        break;
    case Kind::Object:
        out += L'{';
        for (size_t i = 0; i < m_members.size(); ++i)
        {
            if (i)
                out += L',';
            WriteString(out, m_members[i].first);
            out += L':';
            m_members[i].second.Write(out);
        }
        out += L'}';
        break;
    }
}

void JsonValue::WriteString(std::wstring& out, const std::wstring& text)
{
    out += L'"';
    for (wchar_t c : text)
    {
        switch (c)
        {
        case L'"':
            out += L"\\\"";
            break;
        case L'\\':
            out += L"\\\\";
            break;
        case L'\n':
            out += L"\\n";
            break;
        case L'\r':
            out += L"\\r";
            break;
        case L'\t':
            out += L"\\t";
            break;
        default:
            if (c < 0x20)
                out += Text::Format(L"\\u%04x", static_cast<unsigned>(c));
            else
                out += c;
        }
    }
    out += L'"';
}
} // namespace NqHost

#pragma once
// A small strict JSON parser, so that tests check nqhost's --json output as data, not as text.
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace NqHostTest
{
struct JsonNode
{
    char kind = 'n'; // how the value is written: '{', '[', '"', 't', 'f', 'n' (null) or '0' for a number
    bool boolean = false;
    double number = 0;
    std::string text; // UTF-8
    std::vector<JsonNode> items;
    std::map<std::string, JsonNode> members;

    bool Has(const std::string& name) const { return members.count(name) != 0; }
    // A missing member or item throws std::runtime_error naming it, so a test fails with the reason.
    const JsonNode& operator[](const std::string& n) const { return Has(n) ? members.at(n) : Missing(n); }
    const JsonNode& operator[](size_t i) const
    {
        return i < items.size() ? items[i] : Missing(std::to_string(i));
    }
    static const JsonNode& Missing(const std::string& what);
};

// Throws std::runtime_error with the offset of the first error and the text.
JsonNode ParseJson(const std::string& text);
std::string Utf8(const std::wstring& text);
} // namespace NqHostTest

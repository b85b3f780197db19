#pragma once
// A small strict JSON parser, so that tests check nqhost's --json output as data, not as text.
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace NqHostTest
{
struct JsonNode
{
    enum class Kind
    {
        Null,
        Bool,
        Number,
        String,
        Array,
        Object
    };
    Kind kind = Kind::Null;
    bool boolean = false;
    double number = 0;
    std::string text; // UTF-8
    std::vector<JsonNode> items;
    std::map<std::string, JsonNode> members;

    bool Has(const std::string& name) const { return members.count(name) != 0; }
    // Throws std::runtime_error for a missing member or index, so a test fails with the path named.
    const JsonNode& operator[](const std::string& name) const;
    const JsonNode& operator[](size_t index) const;
};

// Throws std::runtime_error with the offset of the first error; trailing blanks only after the value.
JsonNode ParseJson(const std::string& text);
} // namespace NqHostTest

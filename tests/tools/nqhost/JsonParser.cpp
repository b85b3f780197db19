#include "JsonParser.h"

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace NqHostTest
{
namespace
{
struct Parser
{
    const std::string& text;
    size_t pos = 0;

    [[noreturn]] void Fail(const char* what) const
    {
        throw std::runtime_error(std::string(what) + " at " + std::to_string(pos) + " of JSON: " + text);
    }

    // The next character after blanks, -1 at the end.
    int Peek()
    {
        pos = std::min(text.find_first_not_of(" \t\r\n", pos), text.size());
        return pos < text.size() ? static_cast<unsigned char>(text[pos]) : -1;
    }
    bool Take(char c) { return Peek() == c && ++pos; }
    bool Word(const std::string& w) { return text.compare(pos, w.size(), w) == 0 && (pos += w.size()); }
    void Expect(char c) { Take(c) ? void() : Fail("unexpected character"); }

    JsonNode Value()
    {
        JsonNode node;
        const int first = Peek();
        node.kind = first != 0 && strchr("{[\"tfn", first) ? static_cast<char>(first) : '0';
        if (Take('{') || Take('['))
            Items(node, first == '{' ? '}' : ']');
        else if (first == '"')
            node.text = String();
        else if (Word("true") || Word("false"))
            node.boolean = first == 't';
        else if (!Word("null"))
            node.number = Number();
        return node;
    }

    void Items(JsonNode& node, char close)
    {
        if (Take(close))
            return;
        do
            close == ']' ? node.items.push_back(Value()) : Member(node);
        while (Take(','));
        Expect(close);
    }

    void Member(JsonNode& node)
    {
        std::string name = String();
        Expect(':');
        node.members[name] = Value();
    }

    double Number()
    {
        const char* start = text.c_str() + pos;
        char* end = nullptr;
        const double number = strtod(start, &end);
        const size_t size = end - start;
        if (size == 0 || !strchr("-0123456789", *start) ||
            text.find_first_not_of("0123456789+-.eE", pos) < pos + size)
            Fail("not a value");
        pos += size;
        return number;
    }

    char Next() { return pos < text.size() ? text[pos++] : (Fail("unterminated string"), '\0'); }

    std::string String()
    {
        if (!Take('"'))
            Fail("expected a string");
        std::string out;
        for (char c; (c = Next()) != '"';)
        {
            if (static_cast<unsigned char>(c) < 0x20)
                Fail("control character in a string");
            out += c == '\\' ? Escape() : std::string(1, c);
        }
        return out;
    }

    std::string Escape()
    {
        static const std::string names = "\"\\/bfnrt", chars = "\"\\/\b\f\n\r\t";
        const char e = Next();
        if (names.find(e) != names.npos)
            return std::string(1, chars[names.find(e)]);
        const std::string hex = text.substr(pos, 4);
        if (e != 'u' || hex.size() != 4 || hex.find_first_not_of("0123456789abcdefABCDEF") != hex.npos)
            Fail("bad escape");
        pos += 4;
        return Utf8(std::wstring(1, static_cast<wchar_t>(strtoul(hex.c_str(), nullptr, 16))));
    }
};
} // namespace

const JsonNode& JsonNode::Missing(const std::string& what)
{
    throw std::runtime_error("JSON: no " + what);
}

JsonNode ParseJson(const std::string& text)
{
    Parser parser{text};
    JsonNode node = parser.Value();
    if (parser.Peek() != -1)
        parser.Fail("text after the value");
    return node;
}

std::string Utf8(const std::wstring& text)
{
    const int size = static_cast<int>(text.size());
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), size, nullptr, 0, nullptr, nullptr);
    std::string out(bytes, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), size, &out[0], bytes, nullptr, nullptr);
    return out;
}
} // namespace NqHostTest

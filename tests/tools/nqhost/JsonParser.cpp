#include "JsonParser.h"

#include <cstdlib>

namespace NqHostTest
{
namespace
{
class Parser
{
public:
    explicit Parser(const std::string& text) : m_text(text) {}

    JsonNode Document()
    {
        JsonNode node = Value();
        SkipBlanks();
        if (m_pos != m_text.size())
            Fail("text after the value");
        return node;
    }

private:
    [[noreturn]] void Fail(const std::string& what) const
    {
        throw std::runtime_error("JSON: " + what + " at offset " + std::to_string(m_pos));
    }

    void SkipBlanks()
    {
        while (m_pos < m_text.size() && (m_text[m_pos] == ' ' || m_text[m_pos] == '\t' ||
                                         m_text[m_pos] == '\n' || m_text[m_pos] == '\r'))
            ++m_pos;
    }

    bool Take(char c)
    {
        SkipBlanks();
        if (m_pos < m_text.size() && m_text[m_pos] == c)
        {
            ++m_pos;
            return true;
        }
        return false;
    }

    void Expect(char c)
    {
        if (!Take(c))
            Fail(std::string("expected '") + c + "'");
    }

    bool Word(const char* word)
    {
        std::string w(word);
        if (m_text.compare(m_pos, w.size(), w) != 0)
            return false;
        m_pos += w.size();
        return true;
    }

    JsonNode Value()
    {
        SkipBlanks();
        if (m_pos >= m_text.size())
            Fail("unexpected end");
        JsonNode node;
        char c = m_text[m_pos];
        if (c == '{')
            return Object();
        if (c == '[')
            return Array();
        if (c == '"')
        {
            node.kind = JsonNode::Kind::String;
            node.text = String();
        }
        else if (Word("true") || Word("false"))
        {
            node.kind = JsonNode::Kind::Bool;
            node.boolean = c == 't';
        }
        else if (Word("null"))
            node.kind = JsonNode::Kind::Null;
        else
        {
            node.kind = JsonNode::Kind::Number;
            node.number = Number();
        }
        return node;
    }

    JsonNode Object()
    {
        JsonNode node;
        node.kind = JsonNode::Kind::Object;
        Expect('{');
        if (Take('}'))
            return node;
        do
        {
            SkipBlanks();
            std::string name = String();
            Expect(':');
            node.members[name] = Value();
        } while (Take(','));
        Expect('}');
        return node;
    }

    JsonNode Array()
    {
        JsonNode node;
        node.kind = JsonNode::Kind::Array;
        Expect('[');
        if (Take(']'))
            return node;
        do
            node.items.push_back(Value());
        while (Take(','));
        Expect(']');
        return node;
    }

    double Number()
    {
        size_t start = m_pos;
        if (m_pos < m_text.size() && m_text[m_pos] == '-')
            ++m_pos;
        size_t digits = m_pos;
        while (m_pos < m_text.size() &&
               (isdigit(static_cast<unsigned char>(m_text[m_pos])) || m_text[m_pos] == '.' ||
                m_text[m_pos] == 'e' || m_text[m_pos] == 'E' || m_text[m_pos] == '+' || m_text[m_pos] == '-'))
            ++m_pos;
        if (m_pos == digits)
            Fail("not a value");
        return strtod(m_text.substr(start, m_pos - start).c_str(), nullptr);
    }

    void AppendUtf8(std::string& out, unsigned code)
    {
        if (code < 0x80)
            out += static_cast<char>(code);
        else if (code < 0x800)
        {
            out += static_cast<char>(0xC0 | (code >> 6));
            out += static_cast<char>(0x80 | (code & 0x3F));
        }
        else
        {
            out += static_cast<char>(0xE0 | (code >> 12));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        }
    }

    std::string String()
    {
        if (m_pos >= m_text.size() || m_text[m_pos] != '"')
            Fail("expected a string");
        ++m_pos;
        std::string out;
        while (m_pos < m_text.size() && m_text[m_pos] != '"')
        {
            char c = m_text[m_pos++];
            if (static_cast<unsigned char>(c) < 0x20)
                Fail("control character in a string");
            if (c != '\\')
            {
                out += c;
                continue;
            }
            if (m_pos >= m_text.size())
                Fail("unfinished escape");
            char e = m_text[m_pos++];
            switch (e)
            {
            case '"':
            case '\\':
            case '/':
                out += e;
                break;
            case 'n':
                out += '\n';
                break;
            case 'r':
                out += '\r';
                break;
            case 't':
                out += '\t';
                break;
            case 'b':
                out += '\b';
                break;
            case 'f':
                out += '\f';
                break;
            case 'u':
                if (m_pos + 4 > m_text.size())
                    Fail("short \\u escape");
                AppendUtf8(out, static_cast<unsigned>(strtoul(m_text.substr(m_pos, 4).c_str(), nullptr, 16)));
                m_pos += 4;
                break;
            default:
                Fail("unknown escape");
            }
        }
        if (m_pos >= m_text.size())
            Fail("unterminated string");
        ++m_pos;
        return out;
    }

    const std::string& m_text;
    size_t m_pos = 0;
};
} // namespace

const JsonNode& JsonNode::operator[](const std::string& name) const
{
    auto it = members.find(name);
    if (kind != Kind::Object || it == members.end())
        throw std::runtime_error("JSON: no member '" + name + "'");
    return it->second;
}

const JsonNode& JsonNode::operator[](size_t index) const
{
    if (kind != Kind::Array || index >= items.size())
        throw std::runtime_error("JSON: no item " + std::to_string(index));
    return items[index];
}

JsonNode ParseJson(const std::string& text)
{
    return Parser(text).Document();
}
} // namespace NqHostTest

// The layouts of each kind's day lines, and a line's fields checked against them (dates and times by
// arithmetic).
#include "LineLayout.h"

#include "Text.h"

#include <cwctype>

namespace NqHost
{
namespace LineLayout
{
namespace
{
// One letter a field: D date, T time, d decimal, x hexadecimal, X "0x" and hexadecimal, t text, e empty.
// A kind whose line ends by what its event holds has a form for each ending.
struct Layout
{
    const wchar_t* kind;
    const wchar_t* forms[2];
};

const Layout kLayouts[] = {
    {L"virus", {L"DTxxddttdddd", nullptr}},   {L"spyware", {L"DTXdtttetdtddt", nullptr}},
    {L"vulnerability", {L"DTtddt", nullptr}}, {L"tsc", {L"DTtd", nullptr}},
    {L"update", {L"DTddddtt", nullptr}},      {L"history", {L"DTddd", L"DTe"}},
    {L"url", {L"DTdxdttt", L"DTdxttee"}},     {L"privacy", {L"DTddtdtt", L"DTddtdt"}},
    {L"phishing", {L"DTddttte", L"DTdddte"}}, {L"change", {L"DTXdttdtettddt", nullptr}},
};

bool Digits(const std::wstring& text, size_t from, bool hex)
{
    if (from >= text.size())
        return false;
    for (size_t i = from; i < text.size(); ++i)
        if (hex ? !iswxdigit(text[i]) || text[i] > 0x7F : text[i] < L'0' || text[i] > L'9')
            return false;
    return true;
}

bool Number(const std::wstring& text, bool hex)
{
    return Digits(text, !text.empty() && text[0] == L'-' ? 1 : 0, hex);
}

// Two digits at a place, as a number; the caller has checked that they are digits.
int Pair(const std::wstring& text, size_t at)
{
    return (text[at] - L'0') * 10 + (text[at + 1] - L'0');
}

// Checked by arithmetic: every line of a day has one, and a call into the system for each costs more than
// the rest of the judgement.
bool Date(const std::wstring& text)
{
    if (text.size() != 8 || !Digits(text, 0, false))
        return false;
    const int year = Pair(text, 0) * 100 + Pair(text, 2), month = Pair(text, 4), day = Pair(text, 6);
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return year >= 1601 && month >= 1 && month <= 12 && day >= 1 &&
           day <= kDays[month - 1] + (month == 2 && leap ? 1 : 0);
}

bool Time(const std::wstring& text)
{
    return text.size() == 6 && Digits(text, 0, false) && Pair(text, 0) < 24 && Pair(text, 2) < 60 &&
           Pair(text, 4) < 60;
}

// Why the field is not what its letter asks, or nullptr.
const wchar_t* FieldProblem(wchar_t letter, const std::wstring& field)
{
    switch (letter)
    {
    case L'D':
        return Date(field) ? nullptr : L"is no date YYYYMMDD";
    case L'T':
        return Time(field) ? nullptr : L"is no time HHMMSS";
    case L'd':
        return Number(field, false) ? nullptr : L"is not a decimal number";
    case L'x':
        return Number(field, true) ? nullptr : L"is not a hexadecimal number";
    case L'X':
        return field.size() > 2 && field[0] == L'0' && field[1] == L'x' && Digits(field, 2, true)
                   ? nullptr
                   : L"is not a 0x hexadecimal number";
    case L'e':
        return field.empty() ? nullptr : L"is not empty";
    default:
        return nullptr;
    }
}

std::wstring FormProblem(const wchar_t* form, const std::vector<std::wstring>& fields)
{
    for (size_t i = 0; i < fields.size(); ++i)
        if (const wchar_t* problem = FieldProblem(form[i], fields[i]))
            return Text::Format(L"field %llu \"%s\" %s", static_cast<unsigned long long>(i + 1),
                                fields[i].substr(0, 40).c_str(), problem);
    return std::wstring();
}
} // namespace

void Split(const wchar_t* line, size_t length, std::vector<std::wstring>& fields)
{
    size_t count = 0;
    auto add = [&](size_t from, size_t to)
    {
        if (count == fields.size())
            fields.emplace_back();
        fields[count++].assign(line + from, to - from);
    };
    size_t start = length > 0 && line[0] == L'|' ? 1 : 0;
    for (size_t at = start; at < length; ++at)
        if (line[at] == L'|')
        {
            add(start, at);
            start = at + 1;
        }
    add(start, length);
    fields.resize(count);
}

std::wstring Problem(const std::wstring& kind, const std::vector<std::wstring>& fields)
{
    for (const Layout& layout : kLayouts)
    {
        if (kind != layout.kind)
            continue;
        std::wstring problem, counts;
        for (const wchar_t* form : layout.forms)
            if (form && wcslen(form) == fields.size())
            {
                std::wstring why = FormProblem(form, fields);
                if (why.empty())
                    return why;
                problem = problem.empty() ? why : problem;
            }
        if (!problem.empty())
            return problem + L": not a " + kind + L" line";
        for (const wchar_t* form : layout.forms)
            if (form)
                counts += (counts.empty() ? L"" : L" or ") + std::to_wstring(wcslen(form));
        return Text::Format(L"%llu fields where a %s line has %s",
                            static_cast<unsigned long long>(fields.size()), kind.c_str(), counts.c_str());
    }
    return std::wstring();
}
} // namespace LineLayout
} // namespace NqHost

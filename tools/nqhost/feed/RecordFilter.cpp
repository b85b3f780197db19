// CRecordFilter: --where, --match, --from and --to held against each record, with the system's comparison
// that ignores case.
#include "RecordFilter.h"

#include "CommandLine.h"
#include "Text.h"
#include "UsageError.h"

#include <algorithm>
#include <cwctype>
#include <utility>

namespace NqHost
{
namespace
{
// The system's ordinal comparison without case, which folds every script's capitals, not ASCII alone.
bool EqualNoCase(const wchar_t* a, size_t aLength, const wchar_t* b, size_t bLength)
{
    return CompareStringOrdinal(a, static_cast<int>(aLength), b, static_cast<int>(bLength), TRUE) ==
           CSTR_EQUAL;
}

bool ContainsNoCase(const std::wstring& text, const std::wstring& part)
{
    for (size_t at = 0; at + part.size() <= text.size(); ++at)
        if (EqualNoCase(text.data() + at, part.size(), part.data(), part.size()))
            return true;
    return false;
}

// A number matches by value (18 and 0x12 alike), a text by its whole, whatever the case.
bool Matches(const Cell& cell, const std::wstring& value)
{
    long long number = 0;
    if (cell.numeric && Text::ParseInteger(value, -0x7FFFFFFFFFFFFFFFLL, 0x7FFFFFFFFFFFFFFFLL, number))
        return cell.number == number;
    return EqualNoCase(cell.text.data(), cell.text.size(), value.data(), value.size());
}

bool ParseTwoDigits(const std::wstring& text, size_t at, WORD max, WORD& value)
{
    if (at + 2 > text.size() || !iswdigit(text[at]) || !iswdigit(text[at + 1]))
        return false;
    value = static_cast<WORD>((text[at] - L'0') * 10 + (text[at + 1] - L'0'));
    return value <= max;
}
} // namespace

CRecordFilter::CRecordFilter(const CCommandLine& line, const std::vector<const CRecordKind*>& kinds)
    : m_match(line.Option(L"match"))
{
    for (const std::wstring& where : line.Options(L"where"))
    {
        size_t equals = where.find(L'=');
        if (equals == std::wstring::npos || equals == 0)
            throw UsageError{L"--where takes FIELD=VALUE, not '" + where + L"'"};
        const auto field = Resolve(where.substr(0, equals), kinds);
        const std::wstring value = where.substr(equals + 1);
        long long number = 0;
        if (field.second && !Text::ParseInteger(value, -0x7FFFFFFFFFFFFFFFLL, 0x7FFFFFFFFFFFFFFFLL, number))
            throw UsageError{L"--where " + field.first + L" is a number field; '" + value +
                             L"' is no number (decimal or 0x hexadecimal)"};
        m_where.push_back({field.first, value});
    }
    if (line.Has(L"from") && line.Option(L"from").size() > 10)
        m_first = Key(ParseMoment(line.Option(L"from"), false));
    if (line.Has(L"to") && line.Option(L"to").size() > 10)
        m_last = Key(ParseMoment(line.Option(L"to"), true));
}

bool CRecordFilter::Accepts(const CRecordKind& kind, const SYSTEMTIME& time,
                            const std::vector<Cell>& fields) const
{
    const unsigned long long key = Key(time);
    if (key < m_first || key > m_last)
        return false;
    const std::vector<std::wstring>& names = kind.FieldNames();
    for (const Condition& condition : m_where)
    {
        if (condition.field == L"kind")
        {
            if (!Text::EqualsNoCase(kind.Name(), condition.value))
                return false;
            continue;
        }
        auto name = std::find(names.begin(), names.end(), condition.field);
        if (name == names.end() || !Matches(fields[name - names.begin()], condition.value))
            return false;
    }
    if (m_match.empty())
        return true;
    return std::any_of(fields.begin(), fields.end(),
                       [&](const Cell& cell) { return !cell.numeric && ContainsNoCase(cell.text, m_match); });
}

std::pair<std::wstring, bool> CRecordFilter::Resolve(const std::wstring& name,
                                                     const std::vector<const CRecordKind*>& kinds)
{
    if (Text::EqualsNoCase(name, L"kind"))
        return {L"kind", false};
    std::wstring known = L"kind";
    for (const CRecordKind* kind : kinds)
        for (const RecordField& field : kind->Fields())
        {
            if (!field.readBack)
                continue;
            if (EqualNoCase(field.name.data(), field.name.size(), name.data(), name.size()))
                return {field.name, field.type.compare(0, 4, L"text") != 0};
            if ((L", " + known + L",").find(L", " + field.name + L",") == std::wstring::npos)
                known += L", " + field.name;
        }
    throw UsageError{L"--where " + name + L": no such field in " +
                     (kinds.size() == 1 ? L"a " + kinds[0]->Name() + L" record" : std::wstring(L"any kind")) +
                     L" (fields: " + known + L")"};
}

SYSTEMTIME CRecordFilter::ParseMoment(const std::wstring& text, bool end)
{
    SYSTEMTIME moment = ParseDay(text.substr(0, 10));
    moment.wHour = end ? 23 : 0;
    moment.wMinute = moment.wSecond = end ? 59 : 0;
    moment.wMilliseconds = 0;
    if (text.size() == 10)
        return moment;
    const bool separator = text[10] == L'T' || text[10] == L't' || text[10] == L' ';
    const bool withSeconds = text.size() == 19 && text[16] == L':';
    if (!separator || (text.size() != 16 && !withSeconds) || text[13] != L':' ||
        !ParseTwoDigits(text, 11, 23, moment.wHour) || !ParseTwoDigits(text, 14, 59, moment.wMinute) ||
        (withSeconds && !ParseTwoDigits(text, 17, 59, moment.wSecond)))
        throw UsageError{L"'" + text + L"' is not a moment of the form YYYY-MM-DD[THH:MM[:SS]]"};
    if (!withSeconds)
        moment.wSecond = end ? 59 : 0;
    return moment;
}

unsigned long long CRecordFilter::Key(const SYSTEMTIME& time)
{
    return Text::DayKey(time) * 1000000ull + time.wHour * 10000ull + time.wMinute * 100ull + time.wSecond;
}
} // namespace NqHost

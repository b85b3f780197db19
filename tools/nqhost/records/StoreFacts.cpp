// The table of what a day file keeps of each field of each kind, and the warnings and help texts made
// from it.
#include "StoreFacts.h"

#include "Text.h"

#include <algorithm>

namespace NqHost
{
namespace StoreFacts
{
std::wstring Condition(const FieldFact& fact);
} // namespace StoreFacts

namespace
{
// The reader's longest line, its CR LF included; a longer one has its longest texts shortened.
constexpr size_t kReaderLineLimit = 2046;
constexpr size_t kTimePrefixAndEnd = 18; // "YYYYMMDD|HHMMSS|" and CR LF

FieldFact Kept(const wchar_t* kind, const wchar_t* field, const wchar_t* meaning, size_t readLimit = 0,
               Conversion conversion = Conversion::None)
{
    return {kind, field, meaning, Keep::Always, nullptr, {}, nullptr, readLimit, conversion};
}

FieldFact Dropped(const wchar_t* kind, const wchar_t* field, const wchar_t* meaning, const wchar_t* note)
{
    return {kind, field, meaning, Keep::Never, nullptr, {}, note, 0, Conversion::None};
}

// Kept when the decider's value is one of the values; the note says what happens otherwise.
FieldFact KeptWhen(const wchar_t* kind, const wchar_t* field, const wchar_t* meaning, const wchar_t* decider,
                   std::vector<long long> values, const wchar_t* note = nullptr, size_t readLimit = 0,
                   Conversion conversion = Conversion::None)
{
    return {kind, field, meaning, Keep::When, decider, std::move(values), note, readLimit, conversion};
}

FieldFact KeptUnless(const wchar_t* kind, const wchar_t* field, const wchar_t* meaning,
                     const wchar_t* decider, std::vector<long long> values)
{
    return {kind, field, meaning, Keep::Unless, decider, std::move(values), nullptr, 0, Conversion::None};
}

// Kept as given only while the decider, a text, is empty; the note says what changes it.
FieldFact KeptAlone(const wchar_t* kind, const wchar_t* field, const wchar_t* meaning, const wchar_t* decider,
                    const wchar_t* note, size_t readLimit)
{
    return {kind, field, meaning, Keep::WhenEmpty, decider, {}, note, readLimit, Conversion::None};
}

const std::vector<FieldFact>& Table()
{
    using C = Conversion;
    static const std::vector<FieldFact> facts = {
        Kept(L"virus", L"dwNumber", L"number of the detection", 0, C::DecimalReadAsHex),
        Dropped(L"virus", L"dwCode", L"detection code", L"written, but the reader skips it"),
        Kept(L"virus", L"szThreatName", L"name of the threat; also the most recent threat", 126,
             C::EmptyAsDashes),
        Kept(L"virus", L"nValue1", L"first value of the detection"),
        Kept(L"virus", L"nValue2", L"second value of the detection"),
        Kept(L"virus", L"nValue3", L"third value of the detection"),
        Kept(L"virus", L"nValue4", L"fourth value of the detection"),
        KeptAlone(L"virus", L"szFilePath", L"the file the threat was found in", L"szDetail",
                  L"szDetail is appended to it as \" (DETAIL)\"", 258),
        Dropped(L"virus", L"szDetail", L"what was done, appended to the file path",
                L"it comes back inside szFilePath as \" (DETAIL)\""),

        Kept(L"spyware", L"nType", L"type of the item"),
        Kept(L"spyware", L"szText1", L"name of the spyware", 259),
        Kept(L"spyware", L"nValue1", L"first value of the item"),
        Kept(L"spyware", L"szPath", L"where the item was found", 259),
        Kept(L"spyware", L"szText2", L"what was done", 259),
        Kept(L"spyware", L"szItem", L"the item: file, key or value", 387),
        Dropped(L"spyware", L"szText3", L"third text", L"its place in the line is always empty"),
        Kept(L"spyware", L"szText4", L"kind of the item", 259),
        Dropped(L"spyware", L"dwCode", L"detection code", L"written, but the reader skips it"),
        Dropped(L"spyware", L"nValue2", L"second value", L"not written"),
        Kept(L"spyware", L"nValue3", L"third value of the item"),
        Dropped(L"spyware", L"szText5", L"fifth text", L"written, but the reader skips it"),
        Dropped(L"spyware", L"dwFlag", L"flag", L"not written"),
        Dropped(L"spyware", L"dwValue", L"value", L"written, but the reader skips it"),

        Kept(L"vulnerability", L"szName", L"name of the vulnerability", 30),
        Kept(L"vulnerability", L"nValue1", L"first value", 0, C::FirstSeven),
        Kept(L"vulnerability", L"nValue2", L"second value", 0, C::FirstSeven),
        Kept(L"vulnerability", L"szText1", L"description", 2046),

        Kept(L"tsc", L"szText1", L"what the scan reports", 126),
        Kept(L"tsc", L"nValue1", L"value of the scan"),

        Kept(L"update", L"nValue1", L"first value of the update"),
        Kept(L"update", L"nValue2", L"second value"),
        Kept(L"update", L"nValue3", L"third value"),
        Kept(L"update", L"nValue4", L"fourth value"),
        Kept(L"update", L"szText1", L"version", 30),
        Kept(L"update", L"szText2", L"what was updated", 30),

        KeptWhen(L"history", L"dwKind", L"0: a count of items was cleaned, 1: an amount", L"dwKind", {0, 1},
                 L"any other kind writes an empty line, which reads back as kind 0"),
        KeptWhen(L"history", L"dwCount", L"how many items were cleaned", L"dwKind", {0}, nullptr, 0,
                 C::Clamped),
        KeptWhen(L"history", L"qwAmount", L"the amount cleaned", L"dwKind", {1}, nullptr, 0, C::Low32Clamped),
        KeptWhen(L"history", L"dwValue", L"what was cleaned", L"dwKind", {0, 1}, nullptr, 0, C::Clamped),

        Dropped(L"url", L"dwNumber", L"number of the event", L"written, but the reader skips it"),
        Kept(L"url", L"dwCode", L"0x80: a blocked page with its own text, else a filtered page", 0,
             C::HexClamped),
        Kept(L"url", L"tsText1", L"the address"),
        KeptUnless(L"url", L"nValue", L"the rule's value", L"dwCode", {0x80}),
        KeptUnless(L"url", L"tsText2", L"the category", L"dwCode", {0x80}),
        Dropped(L"url", L"tsText3", L"third text", L"not written"),
        Dropped(L"url", L"dwExtra1", L"first extra value", L"not written"),
        Dropped(L"url", L"dwExtra2", L"second extra value", L"not written"),
        KeptWhen(L"url", L"tsText4", L"the blocked page's text", L"dwCode", {0x80}),

        Kept(L"privacy", L"dwType", L"2: two texts, 3: the fourth text, 0x100003: the fifth text, else none"),
        Kept(L"privacy", L"nValue1", L"first value"),
        Kept(L"privacy", L"tsText1", L"what was protected"),
        Kept(L"privacy", L"nValue2", L"second value"),
        KeptWhen(L"privacy", L"tsText2", L"the program", L"dwType", {2}),
        Dropped(L"privacy", L"tsText3", L"third text", L"not written"),
        KeptWhen(L"privacy", L"tsText4", L"fourth text", L"dwType", {3}),
        KeptWhen(L"privacy", L"tsText5", L"fifth text", L"dwType", {0x100003}),
        KeptWhen(L"privacy", L"tsText6", L"what was done", L"dwType", {2}),

        Kept(L"phishing", L"nValue1", L"first value"),
        Kept(L"phishing", L"dwCode", L"128: a page with a second value, else one with three texts"),
        KeptWhen(L"phishing", L"nValue2", L"second value", L"dwCode", {128}),
        Kept(L"phishing", L"tsText1", L"the address"),
        KeptUnless(L"phishing", L"tsText2", L"second text", L"dwCode", {128}),
        KeptUnless(L"phishing", L"tsText3", L"third text", L"dwCode", {128}),

        Dropped(L"change", L"nType", L"type of the change",
                L"its number comes back as szItem, and nType is read from szText4's place"),
        Kept(L"change", L"szText1", L"what changed", 259),
        Kept(L"change", L"nValue1", L"first value"),
        Kept(L"change", L"szPath", L"where it changed", 259),
        Kept(L"change", L"szText2", L"what was done", 259),
        Dropped(L"change", L"szItem", L"the changed item",
                L"it goes into szText3, with szPath before it unless dwFlag is 1 and nType 4, 16, 32 or 64"),
        Dropped(L"change", L"szText3", L"third text",
                L"szText3 comes back as the target made of szPath, szItem or nValue2"),
        Dropped(L"change", L"szText4", L"fourth text", L"its place in the line is always empty"),
        Dropped(L"change", L"dwCode", L"code of the change", L"written, but the reader skips it"),
        Dropped(L"change", L"nValue2", L"second value",
                L"it comes back in szText3 when dwFlag is 1 and nType 1 or 2"),
        Kept(L"change", L"nValue3", L"third value"),
        Dropped(L"change", L"szText5", L"fifth text", L"written, but the reader skips it"),
        Dropped(L"change", L"dwFlag", L"1: the target follows nType",
                L"it decides szText3 and is not written"),
        Dropped(L"change", L"dwValue", L"value", L"written, but the reader skips it"),
    };
    return facts;
}

std::wstring ValueText(long long value)
{
    return value >= 10 ? Text::Format(L"%lld (0x%llx)", value, value) : Text::Format(L"%lld", value);
}

std::wstring ValuesText(const std::vector<long long>& values)
{
    std::wstring text;
    for (size_t i = 0; i < values.size(); ++i)
        text += (i == 0 ? L"" : i + 1 == values.size() ? L" or " : L", ") + ValueText(values[i]);
    return text;
}

bool IsKept(const FieldFact& fact, const CRecordKind& kind, const void* record)
{
    if (fact.keep == Keep::Always || fact.keep == Keep::Never)
        return fact.keep == Keep::Always;
    Cell decider = kind.Show(record, fact.decider);
    if (fact.keep == Keep::WhenEmpty)
        return decider.text.empty();
    bool listed = std::find(fact.values.begin(), fact.values.end(), decider.number) != fact.values.end();
    return fact.keep == Keep::When ? listed : !listed;
}

// The hexadecimal reading of a decimal text: its digits taken as hex, the sign kept, clamped to 32 bits.
long long DecimalAsHex(long long value)
{
    std::wstring digits = Text::Format(L"%lld", value < 0 ? -value : value);
    long long back = 0;
    for (wchar_t c : digits)
        back = std::min(back * 16 + (c - L'0'), 0x80000000LL);
    return value < 0 ? -back : std::min(back, 0x7FFFFFFFLL);
}

// The value that comes back for a number, by the field's conversion.
long long Converted(Conversion conversion, long long value)
{
    switch (conversion)
    {
    case Conversion::DecimalReadAsHex:
        return DecimalAsHex(value);
    case Conversion::HexClamped:
    case Conversion::Clamped:
        return std::min(value, 0x7FFFFFFFLL);
    case Conversion::Low32Clamped:
        return std::min(value & 0xFFFFFFFFLL, 0x7FFFFFFFLL);
    case Conversion::FirstSeven:
        return _wtoi(Text::Format(L"%lld", value).substr(0, 7).c_str());
    default:
        return value;
    }
}

const wchar_t* ConversionReason(Conversion conversion)
{
    switch (conversion)
    {
    case Conversion::DecimalReadAsHex:
        return L"it is written in decimal and read as hexadecimal";
    case Conversion::HexClamped:
        return L"it is read as a signed hexadecimal number, which stops at 0x7fffffff";
    case Conversion::Clamped:
        return L"it is read as a signed number, which stops at 2147483647";
    case Conversion::Low32Clamped:
        return L"only its low 32 bits are written, read as a signed number that stops at 2147483647";
    case Conversion::FirstSeven:
        return L"the written number is cut to 7 characters";
    default:
        return L"";
    }
}

std::wstring Warning(const FieldFact& fact, const CRecordKind& kind, const void* record)
{
    const std::wstring name = fact.field;
    if (!IsKept(fact, kind, record) && fact.keep == Keep::WhenEmpty)
        return name + L" comes back changed: " + fact.note;
    if (!IsKept(fact, kind, record))
    {
        std::wstring reason = fact.note ? fact.note : StoreFacts::Condition(fact);
        if (fact.decider)
            reason += Text::Format(L", and %s is %s", fact.decider,
                                   ValueText(kind.Show(record, fact.decider).number).c_str());
        return name + L" is not kept: " + reason;
    }
    const Cell cell = kind.Show(record, name);
    if (!cell.numeric && fact.conversion == Conversion::EmptyAsDashes && cell.text.empty())
        return name + L" comes back as \"---\": an empty one is written so";
    if (!cell.numeric && fact.readLimit && cell.text.size() > fact.readLimit)
        return Text::Format(L"%s is cut to %u characters on reading (the value has %u)", fact.field,
                            static_cast<unsigned>(fact.readLimit), static_cast<unsigned>(cell.text.size()));
    if (cell.numeric && Converted(fact.conversion, cell.number) != cell.number)
        return Text::Format(L"%s comes back as %lld, not %lld: %s", fact.field,
                            Converted(fact.conversion, cell.number), cell.number,
                            ConversionReason(fact.conversion));
    return std::wstring();
}

// About the length of the line the plug-in writes: the time, the kept fields and their separators.
size_t LineLength(const CRecordKind& kind, const void* record)
{
    size_t length = kTimePrefixAndEnd;
    for (const RecordField& field : kind.Fields())
    {
        const FieldFact* fact = StoreFacts::Find(kind.Name(), field.name);
        if (fact && IsKept(*fact, kind, record))
            length += field.show(record).text.size() + 1;
    }
    return length;
}
} // namespace

namespace StoreFacts
{
const FieldFact* Find(const std::wstring& kind, const std::wstring& field)
{
    for (const FieldFact& fact : Table())
        if (kind == fact.kind && field == fact.field)
            return &fact;
    return nullptr;
}

std::wstring Condition(const FieldFact& fact)
{
    std::wstring text;
    switch (fact.keep)
    {
    case Keep::Always:
        text = L"kept";
        break;
    case Keep::Never:
        text = std::wstring(L"not kept: ") + fact.note;
        break;
    case Keep::When:
        text = Text::Format(L"kept only when %s is %s", fact.decider, ValuesText(fact.values).c_str());
        break;
    case Keep::Unless:
        text = Text::Format(L"kept only when %s is not %s", fact.decider, ValuesText(fact.values).c_str());
        break;
    case Keep::WhenEmpty:
        text = Text::Format(L"kept as given only without %s: %s", fact.decider, fact.note);
        break;
    }
    if (fact.readLimit)
        text += Text::Format(L"; read back up to %u characters", static_cast<unsigned>(fact.readLimit));
    if (fact.conversion == Conversion::EmptyAsDashes)
        text += L"; an empty one comes back as \"---\"";
    else if (fact.conversion != Conversion::None)
        text += std::wstring(L"; ") + ConversionReason(fact.conversion);
    return text;
}

std::vector<std::wstring> Warnings(const CRecordKind& kind, const void* record,
                                   const std::vector<std::wstring>& givenFields)
{
    std::vector<std::wstring> warnings;
    for (const std::wstring& field : givenFields)
        if (const FieldFact* fact = Find(kind.Name(), field))
        {
            std::wstring warning = Warning(*fact, kind, record);
            if (!warning.empty())
                warnings.push_back(warning);
        }
    size_t length = LineLength(kind, record);
    if (length > kReaderLineLimit)
        warnings.push_back(Text::Format(L"the line would be about %u characters with its end, more than the "
                                        L"reader's %u: its longest texts are shortened to fit",
                                        static_cast<unsigned>(length),
                                        static_cast<unsigned>(kReaderLineLimit)));
    return warnings;
}
} // namespace StoreFacts
} // namespace NqHost

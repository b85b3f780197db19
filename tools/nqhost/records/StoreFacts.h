#pragma once
// What the day file does with each field of each kind: kept, kept only under a layout some other field
// decides, never kept; cut on reading; changed by the way it is written and read. The one table behind
// the warnings of 'store' and the field list of 'store KIND --help'.
#include "RecordKind.h"

#include <string>
#include <vector>

namespace NqHost
{
enum class Keep
{
    Always,
    Never,
    When,      // the decider's value is one of the values
    Unless,    // the decider's value is none of the values
    WhenEmpty, // the decider (a text) is empty
};

enum class Conversion
{
    None,
    DecimalReadAsHex, // written "%08d", read as hexadecimal
    HexClamped,       // written "%08x", read as a signed hexadecimal number: 0x80000000 and up clamp
    Clamped,          // written "%u", read as a signed number: above 2147483647 clamps
    Low32Clamped,     // only the low 32 bits are written, then read as Clamped
    FirstSeven,       // the written number is cut to its first seven characters
    EmptyAsDashes,    // an empty text is written as "---"
};

struct FieldFact
{
    const wchar_t* kind;
    const wchar_t* field;
    const wchar_t* meaning;
    Keep keep = Keep::Always;
    const wchar_t* decider = nullptr;
    std::vector<long long> values;
    const wchar_t* note = nullptr; // where a field that is not kept goes instead, or why
    size_t readLimit = 0;          // characters a text keeps on reading; 0: its whole length
    Conversion conversion = Conversion::None;
};

namespace StoreFacts
{
// The row of the kind's field; null when the table has none.
const FieldFact* Find(const std::wstring& kind, const std::wstring& field);
// "kept", "kept only when dwCode is 0x80", ... for --help.
std::wstring Condition(const FieldFact& fact);
// The warnings for the given fields of a built record: one text per field the log drops, cuts or changes,
// and one when the line would pass the reader's limit.
std::vector<std::wstring> Warnings(const CRecordKind& kind, const void* record,
                                   const std::vector<std::wstring>& givenFields);
} // namespace StoreFacts
} // namespace NqHost

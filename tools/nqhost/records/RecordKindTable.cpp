// The ten kinds made from the plug-in's LogKindTable.h, with the names people type and the fields they
// set.
#include "RecordKindTable.h"

#include "LogKindTable.h"

#include <algorithm>
#include <stdexcept>

namespace NqHost
{
namespace RecordKindTable
{
namespace
{
using namespace SrvFrwk::EventLog;

// The fields a person can set, by record type; a record type serves every kind that uses it.
template <class R> std::vector<RecordField> FieldsOf();

template <> std::vector<RecordField> FieldsOf<VirusLogRecord>()
{
    using R = VirusLogRecord;
    return {Field(L"dwNumber", &R::dwNumber, true),         Field(L"dwCode", &R::dwCode, false),
            Field(L"szThreatName", &R::szThreatName, true), Field(L"nValue1", &R::nValue1, true),
            Field(L"nValue2", &R::nValue2, true),           Field(L"nValue3", &R::nValue3, true),
            Field(L"nValue4", &R::nValue4, true),           Field(L"szFilePath", &R::szFilePath, true),
            Field(L"szDetail", &R::szDetail, false)};
}

template <> std::vector<RecordField> FieldsOf<SpyLogRecord>()
{
    using R = SpyLogRecord;
    return {Field(L"nType", &R::nType, true),     Field(L"szText1", &R::szText1, true),
            Field(L"nValue1", &R::nValue1, true), Field(L"szPath", &R::szPath, true),
            Field(L"szText2", &R::szText2, true), Field(L"szItem", &R::szItem, true),
            Field(L"szText3", &R::szText3, true), Field(L"szText4", &R::szText4, true),
            Field(L"dwCode", &R::dwCode, false),  Field(L"nValue2", &R::nValue2, false),
            Field(L"nValue3", &R::nValue3, true), Field(L"szText5", &R::szText5, false),
            Field(L"dwFlag", &R::dwFlag, false),  Field(L"dwValue", &R::dwValue, false)};
}

template <> std::vector<RecordField> FieldsOf<VaLogRecord>()
{
    using R = VaLogRecord;
    return {Field(L"szName", &R::szName, true), Field(L"nValue1", &R::nValue1, true),
            Field(L"nValue2", &R::nValue2, true), Field(L"szText1", &R::szText1, true)};
}

template <> std::vector<RecordField> FieldsOf<TscLogRecord>()
{
    using R = TscLogRecord;
    return {Field(L"szText1", &R::szText1, true), Field(L"nValue1", &R::nValue1, true)};
}

template <> std::vector<RecordField> FieldsOf<AuLogRecord>()
{
    using R = AuLogRecord;
    return {Field(L"nValue1", &R::nValue1, true), Field(L"nValue2", &R::nValue2, true),
            Field(L"nValue3", &R::nValue3, true), Field(L"nValue4", &R::nValue4, true),
            Field(L"szText1", &R::szText1, true), Field(L"szText2", &R::szText2, true)};
}

template <> std::vector<RecordField> FieldsOf<HisCleanLogRecord>()
{
    using R = HisCleanLogRecord;
    return {Field(L"dwKind", &R::dwKind, true), Field(L"dwCount", &R::dwCount, true),
            Field(L"qwAmount", &R::qwAmount, true), Field(L"dwValue", &R::dwValue, true)};
}

template <> std::vector<RecordField> FieldsOf<UrlFilterLogRecord>()
{
    using R = UrlFilterLogRecord;
    return {Field(L"dwNumber", &R::dwNumber, false), Field(L"dwCode", &R::dwCode, true),
            Field(L"tsText1", &R::tsText1, true),    Field(L"nValue", &R::nValue, true),
            Field(L"tsText2", &R::tsText2, true),    Field(L"tsText3", &R::tsText3, false),
            Field(L"dwExtra1", &R::dwExtra1, false), Field(L"dwExtra2", &R::dwExtra2, false),
            Field(L"tsText4", &R::tsText4, true)};
}

template <> std::vector<RecordField> FieldsOf<PvyLogRecord>()
{
    using R = PvyLogRecord;
    return {Field(L"dwType", &R::dwType, true),   Field(L"nValue1", &R::nValue1, true),
            Field(L"tsText1", &R::tsText1, true), Field(L"nValue2", &R::nValue2, true),
            Field(L"tsText2", &R::tsText2, true), Field(L"tsText3", &R::tsText3, false),
            Field(L"tsText4", &R::tsText4, true), Field(L"tsText5", &R::tsText5, true),
            Field(L"tsText6", &R::tsText6, true)};
}

template <> std::vector<RecordField> FieldsOf<PhishAlertLogRecord>()
{
    using R = PhishAlertLogRecord;
    return {Field(L"nValue1", &R::nValue1, true), Field(L"dwCode", &R::dwCode, true),
            Field(L"nValue2", &R::nValue2, true), Field(L"tsText1", &R::tsText1, true),
            Field(L"tsText2", &R::tsText2, true), Field(L"tsText3", &R::tsText3, true)};
}

// The words a person types and reads for each kind, by sub-type.
struct KindWords
{
    ULONG subType;
    const wchar_t* name;
    const wchar_t* description;
};
const KindWords kWords[] = {
    {DATA_VIRUS, L"virus", L"virus detections"},
    {DATA_SPYWARE, L"spyware", L"spyware detections"},
    {DATA_VULNERABILITY, L"vulnerability", L"vulnerability findings"},
    {DATA_TSC, L"tsc", L"Tsc events"},
    {DATA_UPDATE, L"update", L"update events"},
    {DATA_HISTORY_CLEAN, L"history", L"history-cleaner events"},
    {DATA_URL_FILTER, L"url", L"URL-filter events"},
    {DATA_PRIVACY, L"privacy", L"privacy events"},
    {DATA_PHISH_ALERT, L"phishing", L"phishing alerts"},
    {DATA_SUSPICIOUS_CHANGE, L"change", L"suspicious changes"},
};

const KindWords& WordsOf(ULONG subType)
{
    for (const KindWords& words : kWords)
        if (words.subType == subType)
            return words;
    throw std::logic_error("a kind of the plug-in's table without a name in nqhost");
}

// A kind of the plug-in's table, with the record type the table gives it; types without a record
// class of this program are no kind to store or query.
template <class R>
void AddKind(std::vector<std::unique_ptr<CRecordKind>>& kinds, ULONG subType, ULONG logType)
{
    const KindWords& words = WordsOf(subType);
    kinds.push_back(
        std::make_unique<TRecordKind<R>>(words.name, words.description, subType, logType, FieldsOf<R>()));
}
template <> void AddKind<void>(std::vector<std::unique_ptr<CRecordKind>>&, ULONG, ULONG) {}

std::vector<std::unique_ptr<CRecordKind>> MakeKinds()
{
    std::vector<std::unique_ptr<CRecordKind>> kinds;
#define NQHOST_KIND(logType, extension, lastDate, subType, Class, Record, ...)                               \
    AddKind<Record>(kinds, subType, logType);
    NQ_LOG_KINDS(NQHOST_KIND)
#undef NQHOST_KIND
    std::sort(kinds.begin(), kinds.end(),
              [](const auto& a, const auto& b) { return a->SubType() < b->SubType(); });
    return kinds;
}

struct NamedLogType
{
    ULONG logType;
    const wchar_t* name;
};

// Log types without a record class of their own still have files the path query and purge know.
const NamedLogType kExtraLogTypes[] = {{LOG_PFW, L"pfw"}, {LOG_ASG, L"asg"}, {LOG_ALL, L"all"}};
} // namespace

const std::vector<std::unique_ptr<CRecordKind>>& All()
{
    static const std::vector<std::unique_ptr<CRecordKind>> kinds = MakeKinds();
    return kinds;
}

std::wstring KindNames()
{
    std::wstring names;
    for (const auto& kind : All())
        names += (names.empty() ? L"" : L", ") + kind->Name();
    return names;
}

const CRecordKind& Find(const std::wstring& name)
{
    long long logType = -1;
    Text::ParseInteger(name, 0, 0xFFFFFFFFLL, logType);
    for (const auto& kind : All())
        if (Text::EqualsNoCase(kind->Name(), name) || static_cast<long long>(kind->LogType()) == logType)
            return *kind;
    throw UsageError{L"unknown kind '" + name + L"' (kinds: " + KindNames() + L"; or their LogType numbers)"};
}

ULONG ParseLogType(const std::wstring& text)
{
    for (const auto& kind : All())
        if (Text::EqualsNoCase(kind->Name(), text))
            return kind->LogType();
    for (const NamedLogType& entry : kExtraLogTypes)
        if (Text::EqualsNoCase(entry.name, text))
            return entry.logType;
    long long number = 0;
    if (Text::ParseInteger(text, 0, 0xFFFFFFFFLL, number))
        return static_cast<ULONG>(number);
    throw UsageError{L"unknown log type '" + text + L"' (a kind: " + KindNames() +
                     L"; pfw, asg, all; or a LogType number)"};
}

std::wstring LogTypeName(ULONG logType)
{
    for (const auto& kind : All())
        if (kind->LogType() == logType)
            return kind->Name();
    for (const NamedLogType& entry : kExtraLogTypes)
        if (entry.logType == logType)
            return entry.name;
    return Text::Format(L"%lu", logType);
}
} // namespace RecordKindTable
} // namespace NqHost

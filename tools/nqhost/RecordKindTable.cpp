#include "RecordKindTable.h"

namespace NqHost
{
namespace RecordKindTable
{
namespace
{
using namespace SrvFrwk::EventLog;

template <class R>
std::unique_ptr<CRecordKind> Kind(const wchar_t* name, const wchar_t* description, ULONG subType,
                                  ULONG logType, std::vector<RecordField> fields)
{
    return std::make_unique<TRecordKind<R>>(name, description, subType, logType, std::move(fields));
}

std::vector<RecordField> SpyFields()
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

std::vector<std::unique_ptr<CRecordKind>> MakeKinds()
{
    std::vector<std::unique_ptr<CRecordKind>> kinds;
    {
        using R = VirusLogRecord;
        kinds.push_back(
            Kind<R>(L"virus", L"virus detections", DATA_VIRUS, LOG_VIRUS,
                    {Field(L"dwNumber", &R::dwNumber, true), Field(L"dwCode", &R::dwCode, false),
                     Field(L"szThreatName", &R::szThreatName, true), Field(L"nValue1", &R::nValue1, true),
                     Field(L"nValue2", &R::nValue2, true), Field(L"nValue3", &R::nValue3, true),
                     Field(L"nValue4", &R::nValue4, true), Field(L"szFilePath", &R::szFilePath, true),
                     Field(L"szDetail", &R::szDetail, false)}));
    }
    kinds.push_back(
        Kind<SpyLogRecord>(L"spyware", L"spyware detections", DATA_SPYWARE, LOG_SPYWARE, SpyFields()));
    {
        using R = VaLogRecord;
        kinds.push_back(
            Kind<R>(L"vulnerability", L"vulnerability findings", DATA_VULNERABILITY, LOG_VULNERABILITY,
                    {Field(L"szName", &R::szName, true), Field(L"nValue1", &R::nValue1, true),
                     Field(L"nValue2", &R::nValue2, true), Field(L"szText1", &R::szText1, true)}));
    }
    {
        using R = TscLogRecord;
        kinds.push_back(
            Kind<R>(L"tsc", L"Tsc events", DATA_TSC, LOG_TSC,
                    {Field(L"szText1", &R::szText1, true), Field(L"nValue1", &R::nValue1, true)}));
    }
    {
        using R = AuLogRecord;
        kinds.push_back(
            Kind<R>(L"update", L"update events", DATA_UPDATE, LOG_UPDATE,
                    {Field(L"nValue1", &R::nValue1, true), Field(L"nValue2", &R::nValue2, true),
                     Field(L"nValue3", &R::nValue3, true), Field(L"nValue4", &R::nValue4, true),
                     Field(L"szText1", &R::szText1, true), Field(L"szText2", &R::szText2, true)}));
    }
    {
        using R = HisCleanLogRecord;
        kinds.push_back(
            Kind<R>(L"history", L"history-cleaner events", DATA_HISTORY_CLEAN, LOG_HISTORY_CLEAN,
                    {Field(L"dwKind", &R::dwKind, true), Field(L"dwCount", &R::dwCount, true),
                     Field(L"qwAmount", &R::qwAmount, true), Field(L"dwValue", &R::dwValue, true)}));
    }
    {
        using R = UrlFilterLogRecord;
        kinds.push_back(
            Kind<R>(L"url", L"URL-filter events", DATA_URL_FILTER, LOG_URL_FILTER,
                    {Field(L"dwNumber", &R::dwNumber, false), Field(L"dwCode", &R::dwCode, true),
                     Field(L"tsText1", &R::tsText1, true), Field(L"nValue", &R::nValue, true),
                     Field(L"tsText2", &R::tsText2, true), Field(L"tsText3", &R::tsText3, false),
                     Field(L"dwExtra1", &R::dwExtra1, false), Field(L"dwExtra2", &R::dwExtra2, false),
                     Field(L"tsText4", &R::tsText4, true)}));
    }
    {
        using R = PvyLogRecord;
        kinds.push_back(Kind<R>(L"privacy", L"privacy events", DATA_PRIVACY, LOG_PRIVACY,
                                {Field(L"dwType", &R::dwType, true), Field(L"nValue1", &R::nValue1, true),
                                 Field(L"tsText1", &R::tsText1, true), Field(L"nValue2", &R::nValue2, true),
                                 Field(L"tsText2", &R::tsText2, true), Field(L"tsText3", &R::tsText3, false),
                                 Field(L"tsText4", &R::tsText4, true), Field(L"tsText5", &R::tsText5, true),
                                 Field(L"tsText6", &R::tsText6, true)}));
    }
    {
        using R = PhishAlertLogRecord;
        kinds.push_back(
            Kind<R>(L"phishing", L"phishing alerts", DATA_PHISH_ALERT, LOG_PHISH_ALERT,
                    {Field(L"nValue1", &R::nValue1, true), Field(L"dwCode", &R::dwCode, true),
                     Field(L"nValue2", &R::nValue2, true), Field(L"tsText1", &R::tsText1, true),
                     Field(L"tsText2", &R::tsText2, true), Field(L"tsText3", &R::tsText3, true)}));
    }
    kinds.push_back(Kind<SpyLogRecord>(L"change", L"suspicious changes", DATA_SUSPICIOUS_CHANGE,
                                       LOG_SUSPICIOUS, SpyFields()));
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
    for (const auto& kind : All())
        if (Text::EqualsNoCase(kind->Name(), name))
            return *kind;
    throw UsageError{L"unknown kind '" + name + L"' (kinds: " + KindNames() + L")"};
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

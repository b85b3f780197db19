#include "PhishAlertLog.h"

#include "LogTypes.h"

using SrvFrwk::EventLog::PhishAlertLogRecord;

namespace
{
constexpr LONG kAlternativeCode = 128; // the layout with the second value
} // namespace

const LogKindInfo kPhishAlertLogKind =
    Norquill::MakeLogKindInfo(KV_SOURCE_FILE, SrvFrwk::EventLog::DATA_PHISH_ALERT);

void CPhishAlertLog::MakeLine(const PhishAlertLogRecord& r, const SYSTEMTIME&, LogLine& line)
{
    line.Field(LineFields::FormatNumber(L"%d", r.nValue1)).Field(LineFields::FormatNumber(L"%d", r.dwCode));
    if (r.dwCode == kAlternativeCode)
        line.Field(LineFields::FormatNumber(L"%d", r.nValue2)).Text(r.tsText1);
    else
        line.Text(r.tsText2).Text(r.tsText1).Text(r.tsText3);
    line.Field(L"");
}

void CPhishAlertLog::PutKindField(ULONG index, const wchar_t* text, PhishAlertLogRecord& r)
{
    const bool alternative = r.dwCode == kAlternativeCode;
    switch (index)
    {
    case 2:
        r.nValue1 = _wtol(text);
        break;
    case 3:
        r.dwCode = _wtol(text);
        break;
    case 4:
        if (alternative)
            r.nValue2 = _wtol(text);
        else
            r.tsText2 = text;
        break;
    case 5:
        r.tsText1 = text;
        break;
    case 6:
        if (!alternative)
            r.tsText3 = text;
        break;
    default:
        break;
    }
}

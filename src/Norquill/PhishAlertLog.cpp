#include "PhishAlertLog.h"

#include "LogTypes.h"

using SrvFrwk::EventLog::PhishAlertLogRecord;

namespace
{
constexpr LONG kAlternativeCode = 128; // the layout with the second value
} // namespace

const LogKindInfo kPhishAlertLogKind =
    Norquill::MakeLogKindInfo(KV_SOURCE_FILE, SrvFrwk::EventLog::DATA_PHISH_ALERT);

std::wstring CPhishAlertLog::MakeLine(const PhishAlertLogRecord& r, const SYSTEMTIME& now)
{
    std::wstring line = MakeTimePrefix(now);
    line += FormatNumber(L"%d", r.nValue1) + L"|" + FormatNumber(L"%d", r.dwCode) + L"|";
    if (r.dwCode == kAlternativeCode)
        line += FormatNumber(L"%d", r.nValue2) + L"|" + Text(r.tsText1) + L"|";
    else
        line += Text(r.tsText2) + L"|" + Text(r.tsText1) + L"|" + Text(r.tsText3) + L"|";
    line += L"\r\n";
    return line;
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

#include "PhishAlertLog.h"

#include "KvComn_Clock.h"
#include "KvComn_DebugLog.h"

using SrvFrwk::EventLog::PhishAlertLogRecord;

namespace
{
constexpr LONG kAlternativeCode = 128; // the layout with the second value
} // namespace

const LogKindInfo kPhishAlertLogKind = {KV_SOURCE_FILE, L"CPhishAlertLog", L"HLG", L"PHALastDate", true};

std::wstring CPhishAlertLog::MakeRecode(void* _pPropertyData)
{
    KV_TRACE_FUNC(L"[Enter] CPhishAlertLog::MakeRecode()...");
    std::wstring line;
    if (!_pPropertyData)
        return line;
    const PhishAlertLogRecord& r = *static_cast<const PhishAlertLogRecord*>(_pPropertyData);
    SYSTEMTIME now;
    KvCommon::Clock::GetLocalTime(&now);
    line = MakeTimePrefix(now);
    line += FormatNumber(L"%d", r.nValue1) + L"|" + FormatNumber(L"%d", r.dwCode) + L"|";
    if (r.dwCode == kAlternativeCode)
        line += FormatNumber(L"%d", r.nValue2) + L"|" + r.tsText1 + L"|";
    else
        line += r.tsText2 + L"|" + r.tsText1 + L"|" + r.tsText3 + L"|";
    line += L"\r\n";
    KV_TRACE_FUNC(L"[Leave] CPhishAlertLog::MakeRecode()...");
    return line;
}

void CPhishAlertLog::PutField(ULONG index, const wchar_t* text, void* record)
{
    if (!record || !text)
        return;
    PhishAlertLogRecord& r = *static_cast<PhishAlertLogRecord*>(record);
    const bool alternative = r.dwCode == kAlternativeCode;
    switch (index)
    {
    case 0:
    case 1:
        PutTimeField(index, text);
        break;
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

#include "UrlFilterLog.h"

#include "LogTypes.h"

using SrvFrwk::EventLog::UrlFilterLogRecord;

namespace
{
constexpr DWORD kAlternativeCode = 0x80; // the layout without value and ER
} // namespace

const LogKindInfo kUrlFilterLogKind =
    Norquill::MakeLogKindInfo(KV_SOURCE_FILE, SrvFrwk::EventLog::DATA_URL_FILTER);

void CUrlFilterLog::MakeLine(const UrlFilterLogRecord& r, const SYSTEMTIME&, LogLine& line)
{
    line.Field(LineFields::FormatNumber(L"%08d", r.dwNumber))
        .Field(LineFields::FormatNumber(L"%08x", static_cast<LONG>(r.dwCode)));
    if (r.dwCode == kAlternativeCode)
        line.Text(r.tsText1).Text(r.tsText4).Field(L"").Field(L"");
    else
        line.Field(LineFields::FormatNumber(L"%d", r.nValue)).Text(r.tsText1).Text(r.tsText2).Field(L"ER");
}

void CUrlFilterLog::PutKindField(ULONG index, const wchar_t* text, UrlFilterLogRecord& r)
{
    const bool alternative = r.dwCode == kAlternativeCode;
    switch (index)
    {
    case 3:
        r.dwCode = static_cast<DWORD>(wcstol(text, nullptr, 16));
        break;
    case 4:
        if (alternative)
            r.tsText1 = text;
        else
            r.nValue = _wtoi(text);
        break;
    case 5:
        (alternative ? r.tsText4 : r.tsText1) = text;
        break;
    case 6:
        if (!alternative)
            r.tsText2 = text;
        break;
    default:
        break;
    }
}

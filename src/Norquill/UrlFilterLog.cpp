#include "UrlFilterLog.h"

#include "LogTypes.h"

using SrvFrwk::EventLog::UrlFilterLogRecord;

namespace
{
constexpr DWORD kAlternativeCode = 0x80; // the layout without value and ER
} // namespace

const LogKindInfo kUrlFilterLogKind =
    Norquill::MakeLogKindInfo(KV_SOURCE_FILE, SrvFrwk::EventLog::DATA_URL_FILTER);

std::wstring CUrlFilterLog::MakeLine(const UrlFilterLogRecord& r, const SYSTEMTIME& now)
{
    std::wstring line = MakeTimePrefix(now);
    line += FormatNumber(L"%08d", r.dwNumber) + L"|";
    line += FormatNumber(L"%08x", static_cast<LONG>(r.dwCode)) + L"|";
    if (r.dwCode == kAlternativeCode)
        line += Text(r.tsText1) + L"|" + Text(r.tsText4) + L"||";
    else
        line += FormatNumber(L"%d", r.nValue) + L"|" + Text(r.tsText1) + L"|" + Text(r.tsText2) + L"|ER";
    line += L"\r\n";
    return line;
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

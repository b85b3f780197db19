#include "SpyLog.h"

#include "LogTypes.h"

using SrvFrwk::EventLog::SpyLogRecord;

const LogKindInfo kSpyLogKind = Norquill::MakeLogKindInfo(KV_SOURCE_FILE, SrvFrwk::EventLog::DATA_SPYWARE);

void CSpyLog::MakeLine(const SpyLogRecord& r, const SYSTEMTIME&, LogLine& line)
{
    line.Field(LineFields::FormatNumber(L"0x%08x", static_cast<LONG>(r.dwCode), 10))
        .Field(LineFields::FormatNumber(L"%d", r.nValue3, 15));
    line.Text(r.szPath).Text(r.szText2).Text(r.szItem).Field(L"").Text(r.szText4);
    line.Field(LineFields::FormatNumber(L"%d", r.nType, 15))
        .Text(r.szText1)
        .Field(LineFields::FormatNumber(L"%d", r.nValue1, 15));
    line.Field(LineFields::FormatNumber(L"%u", static_cast<LONG>(r.dwValue), 15)).Text(r.szText5);
}

void CSpyLog::PutKindField(ULONG index, const wchar_t* text, SpyLogRecord& r)
{
    PutSpyField(r, index, text);
}

void CSpyLog::PutSpyField(SpyLogRecord& r, ULONG index, const wchar_t* text)
{
    switch (index)
    {
    case 3:
        r.nValue3 = _wtol(text);
        break;
    case 4:
        LineFields::CopyText(r.szPath, 260, text);
        break;
    case 5:
        LineFields::CopyText(r.szText2, 260, text);
        break;
    case 6:
        LineFields::CopyText(r.szItem, 388, text);
        break;
    case 7:
        LineFields::CopyText(r.szText3, 260, text);
        break;
    case 8:
        LineFields::CopyText(r.szText4, 260, text);
        break;
    case 9:
        r.nType = _wtol(text);
        break;
    case 10:
        LineFields::CopyText(r.szText1, 260, text);
        break;
    case 11:
        r.nValue1 = _wtol(text);
        break;
    default:
        break;
    }
}

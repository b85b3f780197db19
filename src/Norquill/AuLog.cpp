#include "AuLog.h"

#include "LogTypes.h"

using SrvFrwk::EventLog::AuLogRecord;

const LogKindInfo kAuLogKind = Norquill::MakeLogKindInfo(KV_SOURCE_FILE, SrvFrwk::EventLog::DATA_UPDATE);

void CAuLog::MakeLine(const AuLogRecord& r, const SYSTEMTIME&, LogLine& line)
{
    line.Field(LineFields::FormatNumber(L"%d", r.nValue1)).Field(LineFields::FormatNumber(L"%d", r.nValue2));
    line.Field(LineFields::FormatNumber(L"%d", r.nValue3)).Field(LineFields::FormatNumber(L"%d", r.nValue4));
    line.Text(r.szText1).Text(r.szText2);
}

void CAuLog::PutKindField(ULONG index, const wchar_t* text, AuLogRecord& r)
{
    switch (index)
    {
    case 2:
        r.nValue1 = _wtoi(text);
        break;
    case 3:
        r.nValue2 = _wtoi(text);
        break;
    case 4:
        r.nValue3 = _wtoi(text);
        break;
    case 5:
        r.nValue4 = _wtoi(text);
        break;
    case 6:
        LineFields::CopyText(r.szText1, 31, text);
        break;
    case 7:
        LineFields::CopyText(r.szText2, 31, text);
        break;
    default:
        break;
    }
}

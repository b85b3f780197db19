#include "VaLog.h"

#include "LogTypes.h"

using SrvFrwk::EventLog::VaLogRecord;

const LogKindInfo kVaLogKind =
    Norquill::MakeLogKindInfo(KV_SOURCE_FILE, SrvFrwk::EventLog::DATA_VULNERABILITY);

void CVaLog::MakeLine(const VaLogRecord& r, const SYSTEMTIME&, LogLine& line)
{
    line.Text(r.szName)
        .Field(LineFields::FormatNumber(L"%d", r.nValue1, 7))
        .Field(LineFields::FormatNumber(L"%d", r.nValue2, 7));
    line.Text(r.szText1);
}

void CVaLog::PutKindField(ULONG index, const wchar_t* text, VaLogRecord& r)
{
    switch (index)
    {
    case 2:
        LineFields::CopyText(r.szName, 31, text);
        break;
    case 3:
        r.nValue1 = _wtoi(text);
        break;
    case 4:
        r.nValue2 = _wtoi(text);
        break;
    case 5:
        LineFields::CopyText(r.szText1, 2047, text);
        break;
    default:
        break;
    }
}

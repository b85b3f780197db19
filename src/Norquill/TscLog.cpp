#include "TscLog.h"

#include "LogTypes.h"

using SrvFrwk::EventLog::TscLogRecord;

const LogKindInfo kTscLogKind = Norquill::MakeLogKindInfo(KV_SOURCE_FILE, SrvFrwk::EventLog::DATA_TSC);

void CTscLog::MakeLine(const TscLogRecord& r, const SYSTEMTIME&, LogLine& line)
{
    line.Text(r.szText1).Field(LineFields::FormatNumber(L"%d", r.nValue1, 11));
}

void CTscLog::PutKindField(ULONG index, const wchar_t* text, TscLogRecord& r)
{
    switch (index)
    {
    case 2:
        LineFields::CopyText(r.szText1, 127, text);
        break;
    case 3:
        r.nValue1 = _wtoi(text);
        break;
    default:
        break;
    }
}

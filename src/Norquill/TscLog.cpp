#include "TscLog.h"

#include "LogTypes.h"

using SrvFrwk::EventLog::TscLogRecord;

const LogKindInfo kTscLogKind = Norquill::MakeLogKindInfo(KV_SOURCE_FILE, SrvFrwk::EventLog::DATA_TSC);

std::wstring CTscLog::MakeLine(const TscLogRecord& r, const SYSTEMTIME& now)
{
    std::wstring line = FormatDate(now) + L"|" + FormatTime(now) + L"|" + ArrayText(r.szText1) + L"|";
    line += FormatNumber(L"%d", r.nValue1, 11) + L"\r\n";
    return line;
}

void CTscLog::PutKindField(ULONG index, const wchar_t* text, TscLogRecord& r)
{
    switch (index)
    {
    case 2:
        CopyText(r.szText1, 127, text);
        break;
    case 3:
        r.nValue1 = _wtoi(text);
        break;
    default:
        break;
    }
}

#include "VaLog.h"

#include "LogTypes.h"

using SrvFrwk::EventLog::VaLogRecord;

const LogKindInfo kVaLogKind =
    Norquill::MakeLogKindInfo(KV_SOURCE_FILE, SrvFrwk::EventLog::DATA_VULNERABILITY);

std::wstring CVaLog::MakeLine(const VaLogRecord& r, const SYSTEMTIME& now)
{
    std::wstring line = MakeTimePrefix(now);
    line += ArrayText(r.szName) + L"|";
    line += FormatNumber(L"%d", r.nValue1, 7) + L"|" + FormatNumber(L"%d", r.nValue2, 7) + L"|";
    line += ArrayText(r.szText1) + L"\r\n";
    return line;
}

void CVaLog::PutKindField(ULONG index, const wchar_t* text, VaLogRecord& r)
{
    switch (index)
    {
    case 2:
        CopyText(r.szName, 31, text);
        break;
    case 3:
        r.nValue1 = _wtoi(text);
        break;
    case 4:
        r.nValue2 = _wtoi(text);
        break;
    case 5:
        CopyText(r.szText1, 2047, text);
        break;
    default:
        break;
    }
}

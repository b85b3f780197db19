#include "AuLog.h"

#include "KvComn_Clock.h"
#include "KvComn_DebugLog.h"

using SrvFrwk::EventLog::AuLogRecord;

const LogKindInfo kAuLogKind = {KV_SOURCE_FILE, L"CAuLog", L"UPG", L"UPGLastDate", false};

std::wstring CAuLog::MakeRecode(void* _pPropertyData)
{
    KV_TRACE_FUNC(L"[Enter] CAuLog::MakeRecode()...");
    std::wstring line;
    if (!_pPropertyData)
        return line;
    const AuLogRecord& r = *static_cast<const AuLogRecord*>(_pPropertyData);
    SYSTEMTIME now;
    KvCommon::Clock::GetLocalTime(&now);
    line = MakeTimePrefix(now);
    line += FormatNumber(L"%d", r.nValue1) + L"|" + FormatNumber(L"%d", r.nValue2) + L"|";
    line += FormatNumber(L"%d", r.nValue3) + L"|" + FormatNumber(L"%d", r.nValue4) + L"|";
    line += ArrayText(r.szText1) + L"|" + ArrayText(r.szText2) + L"\r\n";
    KV_TRACE_FUNC(L"[Leave] CAuLog::MakeRecode()...");
    return line;
}

void CAuLog::PutField(ULONG index, const wchar_t* text, void* record)
{
    if (!record || !text)
        return;
    AuLogRecord& r = *static_cast<AuLogRecord*>(record);
    switch (index)
    {
    case 0:
    case 1:
        PutTimeField(index, text);
        break;
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
        CopyText(r.szText1, 31, text);
        break;
    case 7:
        CopyText(r.szText2, 31, text);
        break;
    default:
        break;
    }
}

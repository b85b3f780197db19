#include "TscLog.h"

#include "KvComn_Clock.h"
#include "KvComn_DebugLog.h"

using SrvFrwk::EventLog::TscLogRecord;

const LogKindInfo kTscLogKind = {KV_SOURCE_FILE, L"CTscLog", L"PTG", L"TSCLastDate", true};

std::wstring CTscLog::MakeRecode(void* _pPropertyData)
{
    KV_TRACE_FUNC(L"[Enter] CTscLog::MakeRecode()...");
    std::wstring line;
    if (!_pPropertyData)
        return line;
    const TscLogRecord& r = *static_cast<const TscLogRecord*>(_pPropertyData);
    SYSTEMTIME now;
    KvCommon::Clock::GetLocalTime(&now);
    line = FormatDate(now) + L"|" + FormatTime(now) + L"|" + ArrayText(r.szText1) + L"|";
    line += FormatNumber(L"%d", r.nValue1, 11) + L"\r\n";
    KV_TRACE_FUNC(L"[Leave] CTscLog::MakeRecode()...");
    return line;
}

void CTscLog::PutField(ULONG index, const wchar_t* text, void* record)
{
    if (!record || !text)
        return;
    TscLogRecord& r = *static_cast<TscLogRecord*>(record);
    switch (index)
    {
    case 0:
    case 1:
        PutTimeField(index, text);
        break;
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

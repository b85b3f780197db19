#include "VaLog.h"

#include "KvComn_Clock.h"
#include "KvComn_DebugLog.h"

using SrvFrwk::EventLog::VaLogRecord;

const LogKindInfo kVaLogKind = {KV_SOURCE_FILE, L"CVaLog", L"VAG", L"VLNLastDate", false};

std::wstring CVaLog::MakeRecode(void* _pPropertyData)
{
    KV_TRACE_FUNC(L"[Enter] CVaLog::MakeRecode()...");
    std::wstring line;
    if (!_pPropertyData)
        return line;
    const VaLogRecord& r = *static_cast<const VaLogRecord*>(_pPropertyData);
    SYSTEMTIME now;
    KvCommon::Clock::GetLocalTime(&now);
    line = MakeTimePrefix(now);
    line += ArrayText(r.szName) + L"|";
    line += FormatNumber(L"%d", r.nValue1, 7) + L"|" + FormatNumber(L"%d", r.nValue2, 7) + L"|";
    line += ArrayText(r.szText1) + L"\r\n";
    KV_TRACE_FUNC(L"[Leave] CVaLog::MakeRecode()...");
    return line;
}

void CVaLog::PutField(ULONG index, const wchar_t* text, void* record)
{
    if (!record || !text)
        return;
    VaLogRecord& r = *static_cast<VaLogRecord*>(record);
    switch (index)
    {
    case 0:
    case 1:
        PutTimeField(index, text);
        break;
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

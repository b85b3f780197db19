#include "HisCleanLog.h"

#include "LogTypes.h"

#include "KvComn_String.h"

using SrvFrwk::EventLog::HisCleanLogRecord;

const LogKindInfo kHisCleanLogKind =
    Norquill::MakeLogKindInfo(KV_SOURCE_FILE, SrvFrwk::EventLog::DATA_HISTORY_CLEAN);

void CHisCleanLog::MakeLine(const HisCleanLogRecord& r, const SYSTEMTIME&, LogLine& line)
{
    // One formatted piece that holds its own separators, as the fixed buffer it was made in.
    std::wstring amounts;
    if (r.dwKind == 0)
        KvCommon::String::Format(amounts, L"%u%s%u%s%u", r.dwValue, L"|", 0u, L"|", r.dwCount);
    else if (r.dwKind == 1)
        KvCommon::String::Format(amounts, L"%u%s%u%s%u", r.dwValue, L"|", 1u, L"|",
                                 static_cast<DWORD>(r.qwAmount & 0xFFFFFFFF));
    if (amounts.size() > 259)
        amounts.resize(259);
    line.Field(amounts);
}

void CHisCleanLog::PutKindField(ULONG index, const wchar_t* text, HisCleanLogRecord& r)
{
    switch (index)
    {
    case 2:
        r.dwValue = static_cast<DWORD>(_wtoi(text));
        break;
    case 3:
        r.dwKind = static_cast<DWORD>(_wtoi(text));
        break;
    case 4:
        if (r.dwKind == 0)
            r.dwCount = static_cast<DWORD>(_wtoi(text));
        else if (r.dwKind == 1)
            r.qwAmount = _wtoi(text);
        break;
    default:
        break;
    }
}

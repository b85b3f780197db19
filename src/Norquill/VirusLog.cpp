#include "VirusLog.h"

#include "KeptStoresKey.h"
#include "LogTypes.h"

#include "KvComn_DebugLog.h"
#include "EventLogKey.h"

using SrvFrwk::EventLog::VirusLogRecord;

namespace
{
// The detection also becomes the most recent threat, even if its line then fails to reach the file.
void StoreRecentThreat(const std::wstring& name, const std::wstring& file, const SYSTEMTIME& now)
{
    KeptStoresKey kept;
    KvCommon::Storage::Reg::Writer& key = kept.Key();
    DWORD error = 0;
    if (!key.StoreValue(L"MostRecentThreatName", name, &error))
        KV_TRACE_ERROR(L"KvCommon::Storage::Reg::StoreValue() failed: 0x%08X", error);
    if (!key.StoreValue(L"MostRecentThreatFile", file, &error))
        KV_TRACE_ERROR(L"KvCommon::Storage::Reg::StoreValue() failed: 0x%08X", error);
    EventLogKey::StoreTimeStamp(key, L"MostRecentThreatTime", now);
}
} // namespace

const LogKindInfo kVirusLogKind = Norquill::MakeLogKindInfo(KV_SOURCE_FILE, SrvFrwk::EventLog::DATA_VIRUS);

void CVirusLog::MakeLine(const VirusLogRecord& r, const SYSTEMTIME& now, LogLine& line)
{
    const std::wstring name = ArrayText(r.szThreatName);
    const std::wstring path = ArrayText(r.szFilePath);
    const std::wstring detail = ArrayText(r.szDetail);
    const std::wstring nameField = name.empty() ? L"---" : name;
    std::wstring fileField;
    int objectFlag = 1;
    if (name.empty() && path.empty())
        fileField = detail;
    else
    {
        fileField = detail.empty() ? path : path + L" (" + detail + L")";
        objectFlag = path.size() == 2 ? 0 : 1;
    }

    line.Field(LineFields::FormatNumber(L"%08d", r.dwNumber, 11))
        .Field(LineFields::FormatNumber(L"%08x", static_cast<LONG>(r.dwCode), 11));
    line.Field(L"2").Field(LineFields::FormatNumber(L"%d", objectFlag, 11)).Text(nameField).Text(fileField);
    line.Field(LineFields::FormatNumber(L"%d", r.nValue1, 11))
        .Field(LineFields::FormatNumber(L"%d", r.nValue2, 11));
    line.Field(LineFields::FormatNumber(L"%d", r.nValue3, 11))
        .Field(LineFields::FormatNumber(L"%d", r.nValue4, 11));
    StoreRecentThreat(nameField, fileField, now);
}

void CVirusLog::PutKindField(ULONG index, const wchar_t* text, VirusLogRecord& r)
{
    switch (index)
    {
    case 2:
        r.dwNumber = wcstol(text, nullptr, 16);
        break;
    case 6:
        LineFields::CopyText(r.szThreatName, 127, text);
        break;
    case 7:
        LineFields::CopyText(r.szFilePath, 259, text);
        break;
    case 8:
        r.nValue1 = LineFields::ToInt(text);
        break;
    case 9:
        r.nValue2 = LineFields::ToInt(text);
        break;
    case 10:
        r.nValue3 = LineFields::ToInt(text);
        break;
    case 11:
        r.nValue4 = LineFields::ToInt(text);
        break;
    default:
        break;
    }
}

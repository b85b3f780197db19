#include "SusChangeLog.h"

#include "LogTypes.h"

#include "SpyLog.h"

using SrvFrwk::EventLog::SpyLogRecord;

namespace
{
std::wstring Target(const SpyLogRecord& r, LONG type, const std::wstring& path, const std::wstring& item)
{
    if (r.dwFlag != 1)
        return path + L"\\" + item;
    switch (type)
    {
    case 1:
    case 2:
        return std::to_wstring(r.nValue2);
    case 3:
        return path + L"\\" + item;
    case 4:
    case 16:
    case 32:
    case 64:
        return item;
    default:
        return std::wstring();
    }
}
} // namespace

const LogKindInfo kSusChangeLogKind =
    Norquill::MakeLogKindInfo(KV_SOURCE_FILE, SrvFrwk::EventLog::DATA_SUSPICIOUS_CHANGE);

void CSusChangeLog::MakeLine(const SpyLogRecord& r, const SYSTEMTIME&, LogLine& line)
{
    const std::wstring type = LineFields::FormatNumber(L"%d", r.nType, 15);
    line.Field(LineFields::FormatNumber(L"0x%08x", static_cast<LONG>(r.dwCode), 10))
        .Field(LineFields::FormatNumber(L"%d", r.nValue3, 15));
    const std::wstring path = ArrayText(r.szPath);
    line.Text(path).Text(r.szText2).Field(type);
    line.Text(Target(r, _wtol(type.c_str()), path, ArrayText(r.szItem))).Field(L"");
    line.Text(r.szText4).Text(r.szText1).Field(LineFields::FormatNumber(L"%d", r.nValue1, 15));
    line.Field(LineFields::FormatNumber(L"%u", static_cast<LONG>(r.dwValue), 15)).Text(r.szText5);
}

void CSusChangeLog::PutKindField(ULONG index, const wchar_t* text, SpyLogRecord& r)
{
    CSpyLog::PutSpyField(r, index, text);
}

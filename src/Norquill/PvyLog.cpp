#include "PvyLog.h"

#include "LogTypes.h"

using SrvFrwk::EventLog::PvyLogRecord;

namespace
{
// The types whose lines end in texts of their own.
constexpr LONG kTypeTwoTexts = 2;
constexpr LONG kTypeText4 = 3;
constexpr LONG kTypeText5 = 0x100003;
} // namespace

const LogKindInfo kPvyLogKind = Norquill::MakeLogKindInfo(KV_SOURCE_FILE, SrvFrwk::EventLog::DATA_PRIVACY);

void CPvyLog::MakeLine(const PvyLogRecord& r, const SYSTEMTIME&, LogLine& line)
{
    line.Field(LineFields::FormatNumber(L"%d", r.dwType)).Field(LineFields::FormatNumber(L"%d", r.nValue1));
    line.Text(r.tsText1).Field(LineFields::FormatNumber(L"%d", r.nValue2));
    if (r.dwType == kTypeTwoTexts)
        line.Text(r.tsText2).Text(r.tsText6);
    else if (r.dwType == kTypeText4)
        line.Text(r.tsText4).Field(L"");
    else if (r.dwType == kTypeText5)
        line.Text(r.tsText5).Field(L"");
    else
        line.Field(L"").Field(L"");
}

void CPvyLog::PutKindField(ULONG index, const wchar_t* text, PvyLogRecord& r)
{
    switch (index)
    {
    case 2:
        r.dwType = _wtol(text);
        break;
    case 3:
        r.nValue1 = _wtol(text);
        break;
    case 4:
        r.tsText1 = text;
        break;
    case 5:
        r.nValue2 = _wtol(text);
        break;
    case 6:
        if (r.dwType == kTypeTwoTexts)
            r.tsText2 = text;
        else if (r.dwType == kTypeText4)
            r.tsText4 = text;
        else if (r.dwType == kTypeText5)
            r.tsText5 = text;
        break;
    case 7:
        if (r.dwType == kTypeTwoTexts)
            r.tsText6 = text;
        break;
    default:
        break;
    }
}

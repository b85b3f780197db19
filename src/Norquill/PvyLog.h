#pragma once
#include "LogKind.h"

extern const LogKindInfo kPvyLogKind;

class CPvyLog : public CLogKind<SrvFrwk::EventLog::PvyLogRecord, kPvyLogKind>
{
private:
    std::wstring MakeLine(const Record& r, const SYSTEMTIME& now) override;
    void PutKindField(ULONG index, const wchar_t* text, Record& r) override;
};

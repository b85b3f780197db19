#pragma once
#include "LogKind.h"

extern const LogKindInfo kPvyLogKind;

class CPvyLog : public CLogKind<SrvFrwk::EventLog::PvyLogRecord, kPvyLogKind>
{
private:
    void MakeLine(const Record& r, const SYSTEMTIME& now, LogLine& line) override;
    void PutKindField(ULONG index, const wchar_t* text, Record& r) override;
};

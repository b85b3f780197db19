#pragma once
#include "LogKind.h"

extern const LogKindInfo kAuLogKind;

class CAuLog : public CLogKind<SrvFrwk::EventLog::AuLogRecord, kAuLogKind>
{
private:
    void MakeLine(const Record& r, const SYSTEMTIME& now, LogLine& line) override;
    void PutKindField(ULONG index, const wchar_t* text, Record& r) override;
};

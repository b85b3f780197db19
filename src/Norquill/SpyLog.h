#pragma once
#include "LogKind.h"

extern const LogKindInfo kSpyLogKind;

class CSpyLog : public CLogKind<SrvFrwk::EventLog::SpyLogRecord, kSpyLogKind>
{
public:
    // Indexes 2 and up of a spyware record; the suspicious-change log reads its lines the same way.
    static void PutSpyField(SrvFrwk::EventLog::SpyLogRecord& record, ULONG index, const wchar_t* text);

private:
    void MakeLine(const Record& r, const SYSTEMTIME& now, LogLine& line) override;
    void PutKindField(ULONG index, const wchar_t* text, Record& r) override;
};

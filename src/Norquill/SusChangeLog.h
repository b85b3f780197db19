#pragma once
#include "LogKind.h"

extern const LogKindInfo kSusChangeLogKind;

class CSusChangeLog : public CLogKind<SrvFrwk::EventLog::SpyLogRecord, kSusChangeLogKind>
{
private:
    void MakeLine(const Record& r, const SYSTEMTIME& now, LogLine& line) override;
    void PutKindField(ULONG index, const wchar_t* text, Record& r) override;
};

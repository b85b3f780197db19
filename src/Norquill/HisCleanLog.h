#pragma once
#include "LogKind.h"

extern const LogKindInfo kHisCleanLogKind;

class CHisCleanLog : public CLogKind<SrvFrwk::EventLog::HisCleanLogRecord, kHisCleanLogKind>
{
private:
    void MakeLine(const Record& r, const SYSTEMTIME& now, LogLine& line) override;
    void PutKindField(ULONG index, const wchar_t* text, Record& r) override;
};

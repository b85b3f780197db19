#pragma once
#include "LogKind.h"

extern const LogKindInfo kVaLogKind;

class CVaLog : public CLogKind<SrvFrwk::EventLog::VaLogRecord, kVaLogKind>
{
private:
    void MakeLine(const Record& r, const SYSTEMTIME& now, LogLine& line) override;
    void PutKindField(ULONG index, const wchar_t* text, Record& r) override;
};

#pragma once
#include "LogKind.h"

extern const LogKindInfo kTscLogKind;

class CTscLog : public CLogKind<SrvFrwk::EventLog::TscLogRecord, kTscLogKind>
{
private:
    void MakeLine(const Record& r, const SYSTEMTIME& now, LogLine& line) override;
    void PutKindField(ULONG index, const wchar_t* text, Record& r) override;
};

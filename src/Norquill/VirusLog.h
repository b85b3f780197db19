#pragma once
#include "LogKind.h"

extern const LogKindInfo kVirusLogKind;

class CVirusLog : public CLogKind<SrvFrwk::EventLog::VirusLogRecord, kVirusLogKind>
{
private:
    void MakeLine(const Record& r, const SYSTEMTIME& now, LogLine& line) override;
    void PutKindField(ULONG index, const wchar_t* text, Record& r) override;
};

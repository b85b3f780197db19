#pragma once
#include "LogKind.h"

extern const LogKindInfo kVirusLogKind;

class CVirusLog : public CLogKind<SrvFrwk::EventLog::VirusLogRecord, kVirusLogKind>
{
private:
    std::wstring MakeLine(const Record& r, const SYSTEMTIME& now) override;
    void PutKindField(ULONG index, const wchar_t* text, Record& r) override;
};

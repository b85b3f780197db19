#pragma once
#include "LogKind.h"

extern const LogKindInfo kVaLogKind;

class CVaLog : public CLogKind<SrvFrwk::EventLog::VaLogRecord, kVaLogKind>
{
private:
    std::wstring MakeLine(const Record& r, const SYSTEMTIME& now) override;
    void PutKindField(ULONG index, const wchar_t* text, Record& r) override;
};

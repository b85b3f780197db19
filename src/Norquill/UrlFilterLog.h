#pragma once
#include "LogKind.h"

extern const LogKindInfo kUrlFilterLogKind;

class CUrlFilterLog : public CLogKind<SrvFrwk::EventLog::UrlFilterLogRecord, kUrlFilterLogKind>
{
private:
    void MakeLine(const Record& r, const SYSTEMTIME& now, LogLine& line) override;
    void PutKindField(ULONG index, const wchar_t* text, Record& r) override;
};

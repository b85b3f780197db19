#pragma once
#include "LogKind.h"

extern const LogKindInfo kUrlFilterLogKind;

class CUrlFilterLog : public CLogKind<SrvFrwk::EventLog::UrlFilterLogRecord, kUrlFilterLogKind>
{
private:
    std::wstring MakeLine(const Record& r, const SYSTEMTIME& now) override;
    void PutKindField(ULONG index, const wchar_t* text, Record& r) override;
};

#pragma once
#include "LogKind.h"

extern const LogKindInfo kPhishAlertLogKind;

class CPhishAlertLog : public CLogKind<SrvFrwk::EventLog::PhishAlertLogRecord, kPhishAlertLogKind>
{
private:
    void MakeLine(const Record& r, const SYSTEMTIME& now, LogLine& line) override;
    void PutKindField(ULONG index, const wchar_t* text, Record& r) override;
};

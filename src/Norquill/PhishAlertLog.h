#pragma once
#include "LogKind.h"

extern const LogKindInfo kPhishAlertLogKind;

class CPhishAlertLog : public CLogKind<SrvFrwk::EventLog::PhishAlertLogRecord, kPhishAlertLogKind>
{
private:
    std::wstring MakeLine(const Record& r, const SYSTEMTIME& now) override;
    void PutKindField(ULONG index, const wchar_t* text, Record& r) override;
};

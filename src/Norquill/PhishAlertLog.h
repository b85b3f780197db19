#pragma once
#include "LogKind.h"

extern const LogKindInfo kPhishAlertLogKind;

class CPhishAlertLog : public CLogKind<SrvFrwk::EventLog::PhishAlertLogRecord, kPhishAlertLogKind>
{
public:
    std::wstring MakeRecode(void* _pPropertyData) override;
    void PutField(ULONG index, const wchar_t* text, void* record) override;
};

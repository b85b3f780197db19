#pragma once
#include "LogKind.h"

extern const LogKindInfo kVirusLogKind;

class CVirusLog : public CLogKind<SrvFrwk::EventLog::VirusLogRecord, kVirusLogKind>
{
public:
    std::wstring MakeRecode(void* _pPropertyData) override;
    void PutField(ULONG index, const wchar_t* text, void* record) override;
};

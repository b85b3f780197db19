#pragma once
#include "LogKind.h"

extern const LogKindInfo kTscLogKind;

class CTscLog : public CLogKind<SrvFrwk::EventLog::TscLogRecord, kTscLogKind>
{
public:
    std::wstring MakeRecode(void* _pPropertyData) override;
    void PutField(ULONG index, const wchar_t* text, void* record) override;
};

#pragma once
#include "LogKind.h"

extern const LogKindInfo kVaLogKind;

class CVaLog : public CLogKind<SrvFrwk::EventLog::VaLogRecord, kVaLogKind>
{
public:
    std::wstring MakeRecode(void* _pPropertyData) override;
    void PutField(ULONG index, const wchar_t* text, void* record) override;
};

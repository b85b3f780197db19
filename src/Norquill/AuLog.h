#pragma once
#include "LogKind.h"

extern const LogKindInfo kAuLogKind;

class CAuLog : public CLogKind<SrvFrwk::EventLog::AuLogRecord, kAuLogKind>
{
public:
    std::wstring MakeRecode(void* _pPropertyData) override;
    void PutField(ULONG index, const wchar_t* text, void* record) override;
};

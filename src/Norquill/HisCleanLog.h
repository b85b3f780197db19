#pragma once
#include "LogKind.h"

extern const LogKindInfo kHisCleanLogKind;

class CHisCleanLog : public CLogKind<SrvFrwk::EventLog::HisCleanLogRecord, kHisCleanLogKind>
{
public:
    std::wstring MakeRecode(void* _pPropertyData) override;
    void PutField(ULONG index, const wchar_t* text, void* record) override;
};

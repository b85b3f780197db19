#pragma once
#include "LogKind.h"

extern const LogKindInfo kSusChangeLogKind;

class CSusChangeLog : public CLogKind<SrvFrwk::EventLog::SpyLogRecord, kSusChangeLogKind>
{
public:
    std::wstring MakeRecode(void* _pPropertyData) override;
    void PutField(ULONG index, const wchar_t* text, void* record) override;
};

#pragma once
#include "LogKind.h"

extern const LogKindInfo kPvyLogKind;

class CPvyLog : public CLogKind<SrvFrwk::EventLog::PvyLogRecord, kPvyLogKind>
{
public:
    std::wstring MakeRecode(void* _pPropertyData) override;
    void PutField(ULONG index, const wchar_t* text, void* record) override;
};

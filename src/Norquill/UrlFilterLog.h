#pragma once
#include "LogKind.h"

extern const LogKindInfo kUrlFilterLogKind;

class CUrlFilterLog : public CLogKind<SrvFrwk::EventLog::UrlFilterLogRecord, kUrlFilterLogKind>
{
public:
    std::wstring MakeRecode(void* _pPropertyData) override;
    void PutField(ULONG index, const wchar_t* text, void* record) override;
};

#pragma once
#include "LogKind.h"

extern const LogKindInfo kSpyLogKind;

class CSpyLog : public CLogKind<SrvFrwk::EventLog::SpyLogRecord, kSpyLogKind>
{
public:
    std::wstring MakeRecode(void* _pPropertyData) override;
    void PutField(ULONG index, const wchar_t* text, void* record) override;

    // Indexes 2 and up of a spyware record; the suspicious-change log reads its lines the same way.
    static void PutSpyField(SrvFrwk::EventLog::SpyLogRecord& record, ULONG index, const wchar_t* text);
};

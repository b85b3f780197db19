#include "LogBase.h"

#include "DayAppend.h"
#include "DayLineRules.h"
#include "DaySeal.h"
#include "EventLogKey.h"
#include "Frwk_Utility.h"
#include "KindTrace.h"
#include "KvComn_Clock.h"
#include "KvComn_Exception.h"
#include "LogTypes.h"
#include "SrvFrwk_EventLog.h"

#include <new>
#include <string>

using namespace SrvFrwk;

void CLogBase::SetReadHook(ReadHook hook)
{
    DayRecordRead::SetHook(hook);
}

ULONG CLogBase::WriteLog(void*, ULONG, ULONG_PTR)
{
    return RESULT_SUCCESS;
}

std::wstring CLogBase::MakeRecode(void*)
{
    return std::wstring();
}

ULONG CLogBase::ReadLog(void*, ULONG, ULONG_PTR)
{
    return RESULT_SUCCESS;
}

ULONG CLogBase::PutRecode(void*, std::wstring)
{
    return RESULT_SUCCESS;
}

void CLogBase::PutField(ULONG, const wchar_t*, void*) {}

ULONG CLogBase::WriteDayFile(const LogKindInfo& kind, void* record)
{
    KIND_TRACE(kind, KvCommon::TraceLevel::Function, L"[Enter] %s::WriteLog()...", kind.className);
    if (!record)
    {
        if (kind.traceNullRecord)
            KIND_TRACE(kind, KvCommon::TraceLevel::Error, L"_pPropertyData invalid");
        return RESULT_INVALID_ARG;
    }
    try
    {
        // The mark goes out with the first line in the same write, so a reader never sees it alone.
        std::wstring data(1, DayLineRules::Mark);
        data += MakeRecode(record);

        const std::wstring folder = Frwk::Utility::GetLogFolder();
        ::CreateDirectoryW(folder.c_str(), nullptr);
        SYSTEMTIME now;
        KvCommon::Clock::GetLocalTime(&now);
        const std::wstring name = Norquill::MakeDayFileName(folder, now, kind.extension);
        bool isNew = false;
        const bool sealed = CDaySeal::IsOn(folder);
        if (!DayAppend::Append(kind, name, data, isNew, sealed ? &folder : nullptr))
            return RESULT_FAILED;
        if (isNew && kind.lastDateName)
            EventLogKey::StoreTimeStamp(kind.lastDateName, now);
    }
    catch (KvCommon::Exception::Base* e)
    {
        KIND_TRACE(kind, KvCommon::TraceLevel::Error, L"%s::WriteLog() failed: 0x%08X", kind.className,
                   e->GetCode());
        delete e;
        return RESULT_FAILED;
    }
    catch (const std::bad_alloc&)
    {
        KIND_TRACE(kind, KvCommon::TraceLevel::Error, L"Out of Memory");
        return RESULT_FAILED;
    }
    KIND_TRACE(kind, KvCommon::TraceLevel::Function, L"[Leave] %s::WriteLog()...", kind.className);
    return RESULT_SUCCESS;
}

ULONG CLogBase::ReadDayFile(const LogKindInfo& kind, void* query, const SYSTEMTIME* day,
                            DayRecordRead::ReserveRecords reserve)
{
    return DayRecordRead::Read(kind, query, day, reserve, m_pageToucher,
                               [this, query](const wchar_t* line, size_t length)
                               { return PutRecode(query, std::wstring(line, length)) == RESULT_SUCCESS; });
}

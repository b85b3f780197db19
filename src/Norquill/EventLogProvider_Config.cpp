#include "EventLogKey.h"
#include "EventLogProvider.h"
#include "KvComn_Clock.h"
#include "KvComn_DebugLog.h"
#include "KvComn_IniFile.h"
#include "KvComn_Registry.h"
#include "LogTypes.h"

#include <new>

using namespace SrvFrwk;
using namespace SrvFrwk::EventLog;

namespace
{
// Install defaults, in the order other components expect them written.
struct DefaultValue
{
    const wchar_t* name;
    DWORD dword;
    const wchar_t* text; // non-null: a string value
};

const DefaultValue kDefaults[] = {
    {L"MaxLogCount", 0, nullptr},
    {L"AxisXNumber", 3, nullptr},
    {L"AxisYNumber", 3, nullptr},
    {L"ReportXOffset", 20, nullptr},
    {L"ReportYOffset", 40, nullptr},
    {L"ArrowXOffset", 10, nullptr},
    {L"ArrowYOffset", 4, nullptr},
    {L"ArrowXTitleXOffset", 20, nullptr},
    {L"ArrowXTitleYOffset", 5, nullptr},
    {L"ArrowYTitleXOffset", 25, nullptr},
    {L"ArrowYTitleYOffset", 20, nullptr},
    {L"CoordinateXOffset", 20, nullptr},
    {L"CoordinateYOffset", 10, nullptr},
    {L"CoordinateYOffset1", 1, nullptr},
    {L"CoordinateYOffset4", 4, nullptr},
    {L"XAixScale", 0, L"0.8"},
    {L"YAixScale", 0, L"0.8"},
    {L"TitleLegendXOffset", 20, nullptr},
    {L"TitleLegendYOffset", 5, nullptr},
    {L"ReportXLeftOffset", 0, L"0.5"},
    {L"ReportYLeftOffset", 0, L"0.08"},
    {L"ReportXRightOffset", 0, L"0.15"},
    {L"ReportYRightOffset", 0, L"0.1"},
    {L"MaxNameLength", 24, nullptr},
    {L"GenReportFrequency", 7, nullptr},
    {L"ReportAlertFlag", 1, nullptr},
    {L"EventLogPurgeFre", 30, nullptr},
    {L"DebugLogPurgeFre", 30, nullptr},
    {L"EventLogPurgeFlag", 1, nullptr},
};

std::unique_ptr<KvCommon::Storage::Base> NewStorage(const KvCommon::Storage::Key* key)
{
    if (key == nullptr)
        return nullptr;
    switch (key->GetKind())
    {
    case KvCommon::Storage::KindRegistry:
    case KvCommon::Storage::KindRegistryAlt:
        return std::unique_ptr<KvCommon::Storage::Base>(new (std::nothrow) KvCommon::Storage::Registry());
    case KvCommon::Storage::KindIniFile:
        return std::unique_ptr<KvCommon::Storage::Base>(new (std::nothrow) KvCommon::Storage::IniFile());
    default:
        return nullptr;
    }
}

void WriteDefaults(KvCommon::Storage::Base& storage)
{
    for (const DefaultValue& value : kDefaults)
    {
        if (value.text != nullptr)
            storage.StoreValue(std::wstring(value.name), std::wstring(value.text));
        else
            storage.StoreValue(std::wstring(value.name), value.dword);
    }
}

void WriteInstallStamps()
{
    EventLogKey::StoreTimeStamp(L"LastReportDate", EventLogKey::TodayAtNoon());
    SYSTEMTIME now{};
    KvCommon::Clock::GetLocalTime(&now);
    EventLogKey::StoreTimeStamp(L"MostRecentThreatTime", now);
    for (const wchar_t* name : Norquill::GetInstallStampNames())
        EventLogKey::StoreTimeStamp(name, now);
}

struct DwordSetting
{
    const wchar_t* name;
    DWORD def;
    DWORD& value;
};

// Both settings records are two DWORDs read under two names; filled only when both could be read.
bool QueryDwordPair(const DwordSetting& first, const DwordSetting& second)
{
    DWORD firstValue = 0, secondValue = 0;
    if (!EventLogKey::QuerySetting(first.name, first.def, firstValue) ||
        !EventLogKey::QuerySetting(second.name, second.def, secondValue))
        return false;
    first.value = firstValue;
    second.value = secondValue;
    return true;
}

// Both settings records are two DWORDs stored under two names; false after the failure trace.
bool StoreDwordTraced(const wchar_t* name, DWORD value)
{
    DWORD error = 0;
    if (EventLogKey::StoreDword(name, value, &error))
        return true;
    KV_TRACE_ERROR(L"KvCommon::Storage::Reg::StoreValue() failed: 0x%08X", error);
    return false;
}
} // namespace

ULONG CEventLogProvider::ConfigManipulation(ULONG)
{
    KV_TRACE_FUNC(L"[Enter] CEventLogProvider::ConfigManipulation()...");
    std::unique_ptr<KvCommon::Storage::Base> pStorage = NewStorage(m_pStorageKey.get());
    if (!pStorage)
    {
        KV_TRACE_ERROR(L"[CEventLogProvider::ConfigManipulation] - Null Storage, return ERROR!");
        return RESULT_NO_STORAGE;
    }
    try
    {
        pStorage->Create(*m_pStorageKey, nullptr);
        WriteDefaults(*pStorage);
        WriteInstallStamps();
        bool flush = false;
        pStorage->Close(flush);
    }
    catch (KvCommon::Storage::Exception* e)
    {
        KV_TRACE_ERROR(
            L"[CEventLogProvider::ConfigManipulation] -  Got KvCommon::Storage::Exception(). [0x%08x]",
            e->GetCode());
        delete e;
    }
    KV_TRACE_FUNC(L"[Leave] CEventLogProvider::ConfigManipulation()...");
    return RESULT_SUCCESS;
}

ULONG CEventLogProvider::GetReportSettings(void* _pPropertyData, ULONG, ULONG_PTR)
{
    KV_TRACE_FUNC(L"[Enter] CEventLogProvider::GetReportSettings()...");
    auto* pSettings = static_cast<ReportSettings*>(_pPropertyData);
    if (pSettings == nullptr)
    {
        KV_TRACE_ERROR(L"_pPropertyData is NULL");
        return RESULT_INVALID_ARG;
    }
    if (!QueryDwordPair({L"GenReportFrequency", 7, pSettings->dwDayFre},
                        {L"ReportAlertFlag", 1, pSettings->dwAlertFlag}))
        return RESULT_FAILED;
    KV_TRACE_FUNC(L"CEventLogProvider::GetReportSettings dwDayFre[%ld], dwAlertFlag[%ld]",
                  pSettings->dwDayFre, pSettings->dwAlertFlag);
    KV_TRACE_FUNC(L"[Leave] CEventLogProvider::GetReportSettings()...");
    return RESULT_SUCCESS;
}

ULONG CEventLogProvider::SetReportSettings(void* _pPropertyData, ULONG, ULONG_PTR)
{
    KV_TRACE_FUNC(L"[Enter] CEventLogProvider::SetReportSettings()...");
    const auto* pSettings = static_cast<const ReportSettings*>(_pPropertyData);
    if (pSettings == nullptr)
    {
        KV_TRACE_ERROR(L"_pPropertyData is NULL");
        return RESULT_INVALID_ARG;
    }
    // A new interval starts today.
    if (!EventLogKey::StoreTimeStamp(L"LastReportDate", EventLogKey::TodayAtNoon()) ||
        !StoreDwordTraced(L"GenReportFrequency", pSettings->dwDayFre) ||
        !StoreDwordTraced(L"ReportAlertFlag", pSettings->dwAlertFlag))
        return RESULT_FAILED;
    KV_TRACE_FUNC(L"CEventLogProvider::SetReportSettings dwDayFre[%ld], dwAlertFlag[%ld]",
                  pSettings->dwDayFre, pSettings->dwAlertFlag);
    KV_TRACE_FUNC(L"[Leave] CEventLogProvider::SetReportSettings()...");
    return RESULT_SUCCESS;
}

ULONG CEventLogProvider::GetEventLogSettings(void* _pPropertyData, ULONG, ULONG_PTR)
{
    KV_TRACE_FUNC(L"[Enter] CEventLogProvider::GetEventLogSettings()...");
    auto* pSettings = static_cast<EventLogSettings*>(_pPropertyData);
    if (pSettings == nullptr)
    {
        KV_TRACE_ERROR(L"_pPropertyData is NULL");
        return RESULT_INVALID_ARG;
    }
    if (!QueryDwordPair({L"EventLogPurgeFre", 30, pSettings->dwDayFre},
                        {L"EventLogPurgeFlag", 1, pSettings->dwPurgeFlag}))
        return RESULT_FAILED;
    KV_TRACE_FUNC(L"CEventLogProvider::GetEventLogSettings dwDayFre[%ld], dwPurgeFlag[%ld]",
                  pSettings->dwDayFre, pSettings->dwPurgeFlag);
    KV_TRACE_FUNC(L"[Leave] CEventLogProvider::GetEventLogSettings()...");
    return RESULT_SUCCESS;
}

ULONG CEventLogProvider::SetEventLogSettings(void* _pPropertyData, ULONG, ULONG_PTR)
{
    KV_TRACE_FUNC(L"[Enter] CEventLogProvider::SetEventLogSettings()...");
    const auto* pSettings = static_cast<const EventLogSettings*>(_pPropertyData);
    if (pSettings == nullptr)
    {
        KV_TRACE_ERROR(L"_pPropertyData is NULL");
        return RESULT_INVALID_ARG;
    }
    if (!StoreDwordTraced(L"EventLogPurgeFre", pSettings->dwDayFre) ||
        !StoreDwordTraced(L"EventLogPurgeFlag", pSettings->dwPurgeFlag))
        return RESULT_FAILED;
    KV_TRACE_FUNC(L"CEventLogProvider::SetEventLogSettings dwDayFre[%ld], dwFlag[%d]", pSettings->dwDayFre,
                  pSettings->dwPurgeFlag);
    KV_TRACE_FUNC(L"[Leave] CEventLogProvider::SetEventLogSettings()...");
    return RESULT_SUCCESS;
}

ULONG CEventLogProvider::GetRecentInfo(void* _pPropertyData, ULONG, ULONG_PTR)
{
    KV_TRACE_FUNC(L"[Enter] CEventLogProvider::GetRecentInfo()...");
    auto* pInfo = static_cast<RecentThreatInfo*>(_pPropertyData);
    if (pInfo == nullptr)
    {
        KV_TRACE_ERROR(L"_pPropertyData is NULL");
        return RESULT_INVALID_ARG;
    }
    // Read aside and handed over whole: a fault half-way must not leave half a record with the caller.
    std::wstring virusName, fileName;
    if (!EventLogKey::QuerySetting(L"MostRecentThreatName", virusName) ||
        !EventLogKey::QuerySetting(L"MostRecentThreatFile", fileName))
        return RESULT_FAILED;
    pInfo->VirusName.swap(virusName);
    pInfo->FileName.swap(fileName);
    const ULONG result = EventLogKey::ReadTimeStamp(L"MostRecentThreatTime", pInfo->stTime);
    if (result != RESULT_SUCCESS)
        return result;
    KV_TRACE_FUNC(L"CEventLogProvider::GetRecentInfo VirusName[%s], FileName[%s]", pInfo->VirusName.c_str(),
                  pInfo->FileName.c_str());
    KV_TRACE_FUNC(L"[Leave] CEventLogProvider::GetRecentInfo()...");
    return RESULT_SUCCESS;
}

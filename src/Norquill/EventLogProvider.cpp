#include "EventLogProvider.h"

#include "CaughtException.h"
#include "EventLogKey.h"
#include "KvComn_DebugLog.h"
#include "LogBase.h"

#include <new>

using namespace SrvFrwk;
using namespace SrvFrwk::EventLog;

namespace
{
bool IsRecordSubType(ULONG subType)
{
    return subType >= DATA_VIRUS && subType <= DATA_SUSPICIOUS_CHANGE;
}

enum class RecordOperation
{
    Write,
    Read
};

// One record object per call, deleted before returning, so overlapping calls on one provider are safe.
ULONG RunRecordObject(RecordOperation operation, ULONG subType, void* _pPropertyData, ULONG _ulOption,
                      ULONG_PTR _ulpReserved)
{
    std::unique_ptr<CLogBase> pLog(CreateLogObject(subType));
    if (!pLog)
    {
        KV_TRACE_ERROR(L"out of memory");
        return RESULT_OUT_OF_MEMORY;
    }
    if (operation == RecordOperation::Write)
    {
        const ULONG result = pLog->WriteLog(_pPropertyData, _ulOption, _ulpReserved);
        if (Failed(result))
            KV_TRACE_ERROR(L"CEventLogProvider::WriteLog() failed: 0x%08X", result);
        return Failed(result) ? result : RESULT_SUCCESS;
    }
    const ULONG result = pLog->ReadLog(_pPropertyData, _ulOption, _ulpReserved);
    if (Failed(result))
        KV_TRACE_ERROR(L"CEventLogProvider::ReadLog() failed: 0x%08X", result);
    return Failed(result) ? result : RESULT_SUCCESS;
}

// Shared front checks of StoreData and QueryData; RESULT_SUCCESS lets the call go on.
ULONG CheckDataRequest(ULONG _ulDataType, ULONG _ulDataSubType, const void* _pPropertyData, ULONG _ulOption)
{
    KV_TRACE_INFO(L"_ulDataType: 0x%08X, _ulDataSubType: 0x%08X, _ulOption: 0x%08X", _ulDataType,
                  _ulDataSubType, _ulOption);
    if (_ulDataType != TYPE_EVENTLOG)
    {
        KV_TRACE_ERROR(L"type unknown");
        return RESULT_BAD_TYPE;
    }
    if (_pPropertyData == nullptr)
    {
        KV_TRACE_ERROR(L"_pPropertyData invalid");
        return RESULT_INVALID_ARG;
    }
    return RESULT_SUCCESS;
}
} // namespace

CEventLogProvider::CEventLogProvider(Interface::IEnforceController* _pControllerContext)
    : m_ulControllerType(CONTROLLER_TYPE), m_ulProviderType(PROVIDER_TYPE_EVENTLOG),
      m_pControllerContext(_pControllerContext),
      m_pStorageKey(new (std::nothrow) KvCommon::Storage::Key(KvCommon::Storage::KindRegistry,
                                                              HKEY_LOCAL_MACHINE, EventLogKey::KeyPath))
{
}

CEventLogProvider::~CEventLogProvider() = default;

void* CEventLogProvider::Destroy(UINT _uFlags)
{
    return Interface::DestroyObject(this, _uFlags);
}

ULONG CEventLogProvider::Initialize()
{
    KV_TRACE_FUNC(L"[Enter] CEventLogProvider::Initialize()...");
    KV_TRACE_FUNC(L"[Leave] CEventLogProvider::Initialize()...");
    return RESULT_SUCCESS;
}

ULONG CEventLogProvider::Uninitialize()
{
    KV_TRACE_FUNC(L"[Enter] CEventLogProvider::Uninitialize()...");
    KV_TRACE_FUNC(L"[Leave] CEventLogProvider::Uninitialize()...");
    return RESULT_SUCCESS;
}

ULONG CEventLogProvider::Install()
try
{
    KV_TRACE_FUNC(L"[Enter] CEventLogProvider::Install()...");
    const ULONG result = ConfigManipulation(TYPE_EVENTLOG);
    if (result != RESULT_SUCCESS)
        return result;
    KV_TRACE_FUNC(L"[Leave] CEventLogProvider::Install()...");
    return RESULT_SUCCESS;
}
catch (...)
{
    return Norquill::CaughtExceptionResult(KV_SOURCE_FILE, __LINE__, L"CEventLogProvider::Install()");
}

ULONG CEventLogProvider::QueryConfig(ULONG _ulConfigType, ULONG _ulConfigSubType, void* _pConfigData,
                                     ULONG _ulOption, ULONG_PTR _ulpReserved)
try
{
    KV_TRACE_FUNC(L"[Enter] CEventLogProvider::QueryConfig() Type[0x%08x] SubType[0x%08x]...", _ulConfigType,
                  _ulConfigSubType);
    if (_ulConfigType != TYPE_EVENTLOG)
    {
        KV_TRACE_FUNC(L"[CEventLogProvider::QueryConfig()] non-supprted Config type, return error");
        return RESULT_BAD_TYPE;
    }
    ULONG result = RESULT_SUCCESS;
    if (_ulConfigSubType == CONFIG_REPORT)
        result = GetReportSettings(_pConfigData, _ulOption, _ulpReserved);
    else if (_ulConfigSubType == CONFIG_EVENTLOG_PURGE)
        result = GetEventLogSettings(_pConfigData, _ulOption, _ulpReserved);
    KV_TRACE_FUNC(L"[Leave] CEventLogProvider::QueryConfig()...");
    return result;
}
catch (...)
{
    return Norquill::CaughtExceptionResult(KV_SOURCE_FILE, __LINE__, L"CEventLogProvider::QueryConfig()");
}

ULONG CEventLogProvider::StoreConfig(ULONG _ulConfigType, ULONG _ulConfigSubType, void* _pConfigData,
                                     ULONG _ulOption, ULONG_PTR _ulpReserved)
try
{
    KV_TRACE_FUNC(L"[Enter] CEventLogProvider::StoreConfig()...");
    if (_ulConfigType != TYPE_EVENTLOG)
    {
        KV_TRACE_FUNC(L"[CEventLogProvider::StoreConfig()] non-supprted Config type, return error");
        return RESULT_BAD_TYPE;
    }
    ULONG result = RESULT_SUCCESS;
    if (_ulConfigSubType == CONFIG_REPORT)
        result = SetReportSettings(_pConfigData, _ulOption, _ulpReserved);
    else if (_ulConfigSubType == CONFIG_EVENTLOG_PURGE)
        result = SetEventLogSettings(_pConfigData, _ulOption, _ulpReserved);
    KV_TRACE_FUNC(L"[Leave] CEventLogProvider::StoreConfig()...");
    return result;
}
catch (...)
{
    return Norquill::CaughtExceptionResult(KV_SOURCE_FILE, __LINE__, L"CEventLogProvider::StoreConfig()");
}

ULONG CEventLogProvider::StoreData(ULONG _ulDataType, ULONG _ulDataSubType, void* _pPropertyData,
                                   ULONG _ulOption, ULONG_PTR _ulpReserved)
try
{
    KV_TRACE_FUNC(L"[Enter] CEventLogProvider::StoreData()...");
    const ULONG check = CheckDataRequest(_ulDataType, _ulDataSubType, _pPropertyData, _ulOption);
    if (check != RESULT_SUCCESS)
        return check;
    if (!IsRecordSubType(_ulDataSubType))
        return RESULT_INVALID_ARG;
    const ULONG result =
        RunRecordObject(RecordOperation::Write, _ulDataSubType, _pPropertyData, _ulOption, _ulpReserved);
    if (result == RESULT_SUCCESS)
        KV_TRACE_FUNC(L"[Leave] CEventLogProvider::StoreData()...");
    return result;
}
catch (...)
{
    return Norquill::CaughtExceptionResult(KV_SOURCE_FILE, __LINE__, L"CEventLogProvider::StoreData()");
}

ULONG CEventLogProvider::QueryData(ULONG _ulDataType, ULONG _ulDataSubType, void* _pPropertyData,
                                   ULONG _ulOption, ULONG_PTR _ulpReserved)
try
{
    KV_TRACE_FUNC(L"[Enter] CEventLogProvider::QueryData()...");
    const ULONG check = CheckDataRequest(_ulDataType, _ulDataSubType, _pPropertyData, _ulOption);
    if (check != RESULT_SUCCESS)
        return check;
    ULONG result;
    if (_ulDataSubType == DATA_LOG_PATH)
        result = GetLogPath(_pPropertyData, _ulOption, _ulpReserved);
    else if (_ulDataSubType == DATA_RECENT_THREAT)
        result = GetRecentInfo(_pPropertyData, _ulOption, _ulpReserved);
    else if (!IsRecordSubType(_ulDataSubType))
        return RESULT_INVALID_ARG;
    else
    {
        result =
            RunRecordObject(RecordOperation::Read, _ulDataSubType, _pPropertyData, _ulOption, _ulpReserved);
        if (result != RESULT_SUCCESS)
            return result;
    }
    KV_TRACE_FUNC(L"[Leave] CEventLogProvider::QueryData()...");
    return result;
}
catch (...)
{
    return Norquill::CaughtExceptionResult(KV_SOURCE_FILE, __LINE__, L"CEventLogProvider::QueryData()");
}

ULONG CEventLogProvider::DoAction(ULONG _ulActionType, ULONG _ulActionSubType, ULONG _ulActionOption,
                                  void* _pActionParam, ULONG_PTR _ulpReserved, ULONG _ulOption,
                                  ULONG_PTR _ulpReserved2)
try
{
    KV_TRACE_FUNC(L"[Enter] CEventLogProvider::DoAction()...");
    KV_TRACE_INFO(
        L"_ulActionType: 0x%08X, _ulActionSubType: 0x%08X, _ulActionOption: 0x%08X, _ulOption: 0x%08X",
        _ulActionType, _ulActionSubType, _ulActionOption, _ulOption);
    if (_ulActionType != TYPE_EVENTLOG)
    {
        KV_TRACE_ERROR(L"type unknown");
        return RESULT_BAD_TYPE;
    }
    ULONG result = RESULT_SUCCESS;
    const wchar_t* failure = nullptr;
    switch (_ulActionSubType)
    {
    case ACTION_DELETE:
        result = DoDelete(_pActionParam, _ulpReserved, _ulOption, _ulpReserved2);
        failure = L"CEventLogProvider::DoDelete() failed: 0x%08X";
        break;
    case ACTION_REPORT:
        result = DoReport();
        failure = L"CEventLogProvider::DoReport() failed: 0x%08X";
        break;
    case ACTION_EVENTLOG_PURGE:
        result = DoEventLogPurge();
        failure = L"CEventLogProvider::DoEventLogPurge() failed: 0x%08X";
        break;
    case ACTION_DEBUGLOG_PURGE:
        result = DoDebugLogPurge();
        failure = L"CEventLogProvider::DoDebugLogPurge() failed: 0x%08X";
        break;
    case ACTION_SETUP_LINK_REMOVE:
        result = DoSetupLinkRemove();
        failure = L"CEventLogProvider::DoSetupLinkRemove() failed: 0x%08X";
        break;
    default:
        break;
    }
    if (Failed(result))
    {
        KV_TRACE_ERROR(failure, result);
        return result;
    }
    KV_TRACE_FUNC(L"[Leave] CEventLogProvider::DoAction()...");
    return RESULT_SUCCESS;
}
catch (...)
{
    return Norquill::CaughtExceptionResult(KV_SOURCE_FILE, __LINE__, L"CEventLogProvider::DoAction()");
}

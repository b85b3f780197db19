#pragma once
#include "KvComn_StorageKey.h"
#include "SrvFrwk_EventLog.h"

#include <memory>
#include <string>

// The event-log provider: every request of the suite's components goes through here.
// Operations are split over EventLogProvider.cpp (dispatch), _Config.cpp (settings and install),
// _Paths.cpp (log paths) and _Actions.cpp (DoAction).
class CEventLogProvider final : public SrvFrwk::Interface::IEnforceProvider
{
public:
    explicit CEventLogProvider(SrvFrwk::Interface::IEnforceController* _pControllerContext);
    ~CEventLogProvider();

    void* Destroy(UINT _uFlags) override;

    ULONG Initialize() override;
    ULONG Uninitialize() override;
    ULONG Install() override;
    ULONG QueryConfig(ULONG _ulConfigType, ULONG _ulConfigSubType, void* _pConfigData, ULONG _ulOption,
                      ULONG_PTR _ulpReserved) override;
    ULONG StoreConfig(ULONG _ulConfigType, ULONG _ulConfigSubType, void* _pConfigData, ULONG _ulOption,
                      ULONG_PTR _ulpReserved) override;
    ULONG QueryData(ULONG _ulDataType, ULONG _ulDataSubType, void* _pPropertyData, ULONG _ulOption,
                    ULONG_PTR _ulpReserved) override;
    ULONG StoreData(ULONG _ulDataType, ULONG _ulDataSubType, void* _pPropertyData, ULONG _ulOption,
                    ULONG_PTR _ulpReserved) override;
    ULONG DoAction(ULONG _ulActionType, ULONG _ulActionSubType, ULONG _ulActionOption, void* _pActionParam,
                   ULONG_PTR _ulpReserved, ULONG _ulOption, ULONG_PTR _ulpReserved2) override;

    // Settings (EventLogProvider_Config.cpp).
    ULONG ConfigManipulation(ULONG _ulConfigType);
    ULONG GetReportSettings(void* _pPropertyData, ULONG _ulOption, ULONG_PTR _ulpReserved);
    ULONG SetReportSettings(void* _pPropertyData, ULONG _ulOption, ULONG_PTR _ulpReserved);
    ULONG GetEventLogSettings(void* _pPropertyData, ULONG _ulOption, ULONG_PTR _ulpReserved);
    ULONG SetEventLogSettings(void* _pPropertyData, ULONG _ulOption, ULONG_PTR _ulpReserved);
    ULONG GetRecentInfo(void* _pPropertyData, ULONG _ulOption, ULONG_PTR _ulpReserved);

    // Log paths (EventLogProvider_Paths.cpp).
    ULONG GetLogPath(void* _pPropertyData, ULONG _ulOption, ULONG_PTR _ulpReserved);
    static std::wstring GetLatestLogPath(const std::wstring& folder, const std::wstring& extension);

    // Actions (EventLogProvider_Actions.cpp).
    ULONG DoDelete(void* _pActionParam, ULONG_PTR _ulpReserved, ULONG _ulOption, ULONG_PTR _ulpReserved2);
    ULONG DoReport();
    ULONG DoEventLogPurge();
    ULONG DoDebugLogPurge();
    ULONG DoSetupLinkRemove();
    static bool GetSpecialFolder(int folder, std::wstring& path);
    static bool GetAllUsersStartupFromRegistry(std::wstring& path);

private:
    ULONG m_ulControllerType;
    ULONG m_ulProviderType;
    SrvFrwk::Interface::IEnforceController* m_pControllerContext; // not owned
    // The record object of a StoreData / QueryData call is local to that call, so overlapping calls on
    // one provider are safe.
    std::unique_ptr<KvCommon::Storage::Key> m_pStorageKey;
};

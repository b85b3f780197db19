#pragma once
// The event log's request codes, log types and property records, shared with the host.
// Records with fixed byte layouts are pinned by static_assert; a host from any compiler can use them.
// Those holding std::wstring or std::vector need the plug-in's compiler and standard library.
#include "SrvFrwk_Interface.h"

#include <cstddef>
#include <string>
#include <vector>

namespace SrvFrwk
{
namespace EventLog
{
constexpr ULONG TYPE_EVENTLOG = 22;

// Data sub-types (QueryData / StoreData).
enum DataSubType : ULONG
{
    DATA_VIRUS = 1,
    DATA_SPYWARE = 2,
    DATA_VULNERABILITY = 3,
    DATA_TSC = 4,
    DATA_UPDATE = 5,
    DATA_HISTORY_CLEAN = 6,
    DATA_URL_FILTER = 7,
    DATA_PRIVACY = 8,
    DATA_PHISH_ALERT = 9,
    DATA_SUSPICIOUS_CHANGE = 10,
    DATA_LOG_PATH = 16,
    DATA_RECENT_THREAT = 18,
};

// Config sub-types (QueryConfig / StoreConfig).
enum ConfigSubType : ULONG
{
    CONFIG_REPORT = 1,
    CONFIG_EVENTLOG_PURGE = 2,
};

// Action sub-types (DoAction).
enum ActionSubType : ULONG
{
    ACTION_DELETE = 1,
    ACTION_REPORT = 2,
    ACTION_EVENTLOG_PURGE = 3,
    ACTION_DEBUGLOG_PURGE = 4,
    ACTION_SETUP_LINK_REMOVE = 5,
};

// LogType: one kind of daily log file.
enum LogType : ULONG
{
    LOG_UPDATE = 0,        // UPG
    LOG_VIRUS = 1,         // VLG
    LOG_TSC = 2,           // PTG
    LOG_PFW = 3,           // PFG
    LOG_URL_FILTER = 4,    // ULG
    LOG_PRIVACY = 5,       // PPG
    LOG_ASG = 6,           // ASG
    LOG_VULNERABILITY = 7, // VAG
    LOG_SPYWARE = 8,       // SPG
    LOG_HISTORY_CLEAN = 9, // HCG
    LOG_PHISH_ALERT = 10,  // HLG
    LOG_SUSPICIOUS = 11,   // SCG
    LOG_ALL = 100,
};

// Sub-type 1.
struct VirusLogRecord
{
    LONG dwNumber;
    DWORD dwCode;
    WCHAR szThreatName[132];
    LONG nValue1;
    LONG nValue2;
    LONG nValue3;
    LONG nValue4;
    BYTE reserved1[8];
    WCHAR szFilePath[520];
    WCHAR szDetail[534];
    SYSTEMTIME stTime;
};
static_assert(sizeof(VirusLogRecord) == 2420, "VirusLogRecord layout");
static_assert(offsetof(VirusLogRecord, dwCode) == 4, "layout");
static_assert(offsetof(VirusLogRecord, szThreatName) == 8, "layout");
static_assert(offsetof(VirusLogRecord, nValue1) == 272, "layout");
static_assert(offsetof(VirusLogRecord, nValue2) == 276, "layout");
static_assert(offsetof(VirusLogRecord, nValue3) == 280, "layout");
static_assert(offsetof(VirusLogRecord, nValue4) == 284, "layout");
static_assert(offsetof(VirusLogRecord, szFilePath) == 296, "layout");
static_assert(offsetof(VirusLogRecord, szDetail) == 1336, "layout");
static_assert(offsetof(VirusLogRecord, stTime) == 2404, "layout");

// Sub-types 2 and 10.
struct SpyLogRecord
{
    BYTE reserved1[24];
    LONG nType;
    WCHAR szText1[262];
    LONG nValue1;
    WCHAR szPath[261];
    WCHAR szText2[261];
    WCHAR szItem[389];
    WCHAR szText3[261];
    WCHAR szText4[522];
    DWORD dwCode;
    LONG nValue2;
    LONG nValue3;
    BYTE reserved2[3116];
    WCHAR szText5[264];
    DWORD dwFlag;
    BYTE reserved3[8];
    DWORD dwValue;
    SYSTEMTIME stTime;
};
static_assert(sizeof(SpyLogRecord) == 7632, "SpyLogRecord layout");
static_assert(offsetof(SpyLogRecord, nType) == 24, "layout");
static_assert(offsetof(SpyLogRecord, szText1) == 28, "layout");
static_assert(offsetof(SpyLogRecord, nValue1) == 552, "layout");
static_assert(offsetof(SpyLogRecord, szPath) == 556, "layout");
static_assert(offsetof(SpyLogRecord, szText2) == 1078, "layout");
static_assert(offsetof(SpyLogRecord, szItem) == 1600, "layout");
static_assert(offsetof(SpyLogRecord, szText3) == 2378, "layout");
static_assert(offsetof(SpyLogRecord, szText4) == 2900, "layout");
static_assert(offsetof(SpyLogRecord, dwCode) == 3944, "layout");
static_assert(offsetof(SpyLogRecord, nValue2) == 3948, "layout");
static_assert(offsetof(SpyLogRecord, nValue3) == 3952, "layout");
static_assert(offsetof(SpyLogRecord, szText5) == 7072, "layout");
static_assert(offsetof(SpyLogRecord, dwFlag) == 7600, "layout");
static_assert(offsetof(SpyLogRecord, dwValue) == 7612, "layout");
static_assert(offsetof(SpyLogRecord, stTime) == 7616, "layout");

// Sub-type 3.
struct VaLogRecord
{
    WCHAR szName[32];
    LONG nValue1;
    LONG nValue2;
    WCHAR szText1[2048];
    SYSTEMTIME stTime;
};
static_assert(offsetof(VaLogRecord, nValue1) == 64, "layout");
static_assert(offsetof(VaLogRecord, nValue2) == 68, "layout");
static_assert(offsetof(VaLogRecord, szText1) == 72, "layout");
static_assert(offsetof(VaLogRecord, stTime) == 4168, "layout");
static_assert(sizeof(VaLogRecord) == 4184, "layout");

// Sub-type 4.
struct TscLogRecord
{
    WCHAR szText1[128];
    LONG nValue1;
    SYSTEMTIME stTime;
};
static_assert(offsetof(TscLogRecord, nValue1) == 256, "layout");
static_assert(offsetof(TscLogRecord, stTime) == 260, "layout");
static_assert(sizeof(TscLogRecord) == 276, "layout");

// Sub-type 5.
struct AuLogRecord
{
    LONG nValue1;
    LONG nValue2;
    LONG nValue3;
    LONG nValue4;
    WCHAR szText1[32];
    WCHAR szText2[32];
    SYSTEMTIME stTime;
};
static_assert(sizeof(AuLogRecord) == 160, "AuLogRecord layout");
static_assert(offsetof(AuLogRecord, szText1) == 16, "layout");
static_assert(offsetof(AuLogRecord, szText2) == 80, "layout");
static_assert(offsetof(AuLogRecord, stTime) == 144, "layout");

// Sub-type 6.
struct HisCleanLogRecord
{
    DWORD dwKind;
    BYTE reserved1[4];
    DWORD dwCount;
    BYTE reserved2[4];
    LONGLONG qwAmount;
    BYTE reserved3[4];
    DWORD dwValue;
    SYSTEMTIME stTime;
};
static_assert(sizeof(HisCleanLogRecord) == 48, "HisCleanLogRecord layout");
static_assert(offsetof(HisCleanLogRecord, dwCount) == 8, "layout");
static_assert(offsetof(HisCleanLogRecord, qwAmount) == 16, "layout");
static_assert(offsetof(HisCleanLogRecord, dwValue) == 28, "layout");
static_assert(offsetof(HisCleanLogRecord, stTime) == 32, "layout");

// Sub-type 7.
struct UrlFilterLogRecord
{
    LONG dwNumber = 0;
    DWORD dwCode = 0;
    std::wstring tsText1;
    LONG nValue = 0;
    std::wstring tsText2;
    std::wstring tsText3;
    LONG dwExtra1 = 0;
    LONG dwExtra2 = 0;
    std::wstring tsText4;
    SYSTEMTIME stTime{};
};

// Sub-type 8.
struct PvyLogRecord
{
    LONG dwType = 0;
    LONG nValue1 = 0;
    std::wstring tsText1;
    LONG nValue2 = 0;
    std::wstring tsText2;
    std::wstring tsText3;
    std::wstring tsText4;
    std::wstring tsText5;
    std::wstring tsText6;
    SYSTEMTIME stTime{};
};

// Sub-type 9.
struct PhishAlertLogRecord
{
    LONG nValue1 = 0;
    LONG dwCode = 0;
    LONG nValue2 = 0;
    std::wstring tsText1;
    std::wstring tsText2;
    std::wstring tsText3;
    SYSTEMTIME stTime{};
};

// QueryData sub-types 1 to 10: the day to read and the list that receives its records.
template <class TRecord> struct LogQueryData
{
    SYSTEMTIME stDay{};
    std::vector<TRecord> records;
};
using VirusLogQuery = LogQueryData<VirusLogRecord>;
using SpyLogQuery = LogQueryData<SpyLogRecord>; // also sub-type 10
using VaLogQuery = LogQueryData<VaLogRecord>;
using TscLogQuery = LogQueryData<TscLogRecord>;
using AuLogQuery = LogQueryData<AuLogRecord>;
using HisCleanLogQuery = LogQueryData<HisCleanLogRecord>;
using UrlFilterLogQuery = LogQueryData<UrlFilterLogRecord>;
using PvyLogQuery = LogQueryData<PvyLogRecord>;
using PhishAlertLogQuery = LogQueryData<PhishAlertLogRecord>;
static_assert(offsetof(VirusLogQuery, records) == 16, "LogQueryData layout");

// QueryData sub-type 16.
struct LogPathQuery
{
    SYSTEMTIME stDate{};
    DWORD dwLogType = 0;
    std::wstring tsLogPath;
};

// QueryData sub-type 18.
struct RecentThreatInfo
{
    SYSTEMTIME stTime{};
    std::wstring VirusName;
    std::wstring FileName;
};

// Config sub-type 1.
struct ReportSettings
{
    DWORD dwDayFre;
    DWORD dwAlertFlag;
};

// Config sub-type 2.
struct EventLogSettings
{
    DWORD dwDayFre;
    DWORD dwPurgeFlag;
};

// DoAction sub-type 1.
struct LogDeleteParam
{
    SYSTEMTIME stDate;
    DWORD dwTargetLogType;
};
} // namespace EventLog
} // namespace SrvFrwk

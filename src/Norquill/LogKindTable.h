#pragma once
// Every kind of daily log file, in one table: a new kind is one row here plus its record class.
// The rows are a macro so that the plug-in can turn the class column into its factory, while a host
// (nqhost) that must not link the plug-in reads the data columns only.
#include "SrvFrwk_EventLog.h"

// X(logType, extension, lastDateName, subType, RecordClass, Record, nullRecord, newFile, pathQuery,
//   purgeRank, installRank), by LogType:
// - subType 0, class and record void: files of another component, which this program only finds.
// - nullRecord: whether WriteLog traces a null record (Traced) or only refuses it (Silent).
// - newFile: whether a new day file stamps lastDateName (Stamps); Install writes every stamp regardless.
// - pathQuery: whether the log-path query answers for the type.
// - purgeRank: place in the list the purge of all types (100) searches; installRank: place among the
//   stamps Install writes (0: none). Other components read both orders.
// clang-format off
#define NQ_LOG_KINDS(X)                                                                                         \
    X(0,  L"UPG", L"UPGLastDate", 5,  CAuLog,         AuLogRecord,         Silent, Stamps,  Answered, 2,  4)  \
    X(1,  L"VLG", L"VIRLastDate", 1,  CVirusLog,      VirusLogRecord,      Silent, Stamps,  Answered, 1,  1)  \
    X(2,  L"PTG", L"TSCLastDate", 4,  CTscLog,        TscLogRecord,        Traced, Stamps,  Answered, 7,  3)  \
    X(3,  L"PFG", L"PFWLastDate", 0,  void,           void,                Silent, NoStamp, Answered, 3,  5)  \
    X(4,  L"ULG", L"URLLastDate", 7,  CUrlFilterLog,  UrlFilterLogRecord,  Silent, Stamps,  Answered, 4,  7)  \
    X(5,  L"PPG", L"PVYLastDate", 8,  CPvyLog,        PvyLogRecord,        Traced, Stamps,  Answered, 6,  9)  \
    X(6,  L"ASG", nullptr,        0,  void,           void,                Silent, NoStamp, Refused,  5,  0)  \
    X(7,  L"VAG", L"VLNLastDate", 3,  CVaLog,         VaLogRecord,         Silent, Stamps,  Answered, 8,  6)  \
    X(8,  L"SPG", L"SPYLastDate", 2,  CSpyLog,        SpyLogRecord,        Silent, Stamps,  Answered, 9,  2)  \
    X(9,  L"HCG", L"HISLastDate", 6,  CHisCleanLog,   HisCleanLogRecord,   Silent, Stamps,  Answered, 12, 10) \
    X(10, L"HLG", L"PHALastDate", 9,  CPhishAlertLog, PhishAlertLogRecord, Traced, Stamps,  Answered, 10, 8)  \
    X(11, L"SCG", L"VSTLastDate", 10, CSusChangeLog,  SpyLogRecord,        Silent, NoStamp, Answered, 11, 11)
// clang-format on

namespace Norquill
{
struct LogKindRow
{
    DWORD logType;
    const wchar_t* className;    // "CVirusLog"; null without a record class
    const wchar_t* extension;
    const wchar_t* lastDateName; // null: the type has no stamp
    ULONG subType;               // 0: no record class in this program
    bool traceNullRecord;
    bool stampsNewFile;
    bool pathQuery;
    int purgeRank;
    int installRank;
};

namespace LogKindColumns
{
constexpr bool Silent = false, Traced = true;
constexpr bool NoStamp = false, Stamps = true;
constexpr bool Refused = false, Answered = true;
} // namespace LogKindColumns

#define NQ_LOG_KIND_WIDE2(text) L##text
#define NQ_LOG_KIND_WIDE(text) NQ_LOG_KIND_WIDE2(text)
#define NQ_LOG_KIND_DATA(logType, extension, lastDate, subType, Class, Record, nullRecord, newFile, query,     \
                         purgeRank, installRank)                                                               \
    {logType,                                                                                                  \
     subType ? NQ_LOG_KIND_WIDE(#Class) : nullptr,                                                             \
     extension,                                                                                                \
     lastDate,                                                                                                 \
     subType,                                                                                                  \
     LogKindColumns::nullRecord,                                                                               \
     LogKindColumns::newFile,                                                                                  \
     LogKindColumns::query,                                                                                    \
     purgeRank,                                                                                                \
     installRank},
inline constexpr LogKindRow kLogKinds[] = {NQ_LOG_KINDS(NQ_LOG_KIND_DATA)};
#undef NQ_LOG_KIND_DATA
#undef NQ_LOG_KIND_WIDE
#undef NQ_LOG_KIND_WIDE2

constexpr const LogKindRow* FindLogType(DWORD logType)
{
    for (const LogKindRow& row : kLogKinds)
    {
        if (row.logType == logType)
            return &row;
    }
    return nullptr;
}

// Null for sub-types without a record class (0, 11 and up).
constexpr const LogKindRow* FindSubType(ULONG subType)
{
    for (const LogKindRow& row : kLogKinds)
    {
        if (subType != 0 && row.subType == subType)
            return &row;
    }
    return nullptr;
}
} // namespace Norquill

#include "AuLog.h"
#include "HisCleanLog.h"
#include "PhishAlertLog.h"
#include "PvyLog.h"
#include "SpyLog.h"
#include "SusChangeLog.h"
#include "TscLog.h"
#include "UrlFilterLog.h"
#include "VaLog.h"
#include "VirusLog.h"

#include <new>

using namespace SrvFrwk::EventLog;

CLogBase* CreateLogObject(ULONG subType)
{
    switch (subType)
    {
    case DATA_VIRUS:
        return new (std::nothrow) CVirusLog;
    case DATA_SPYWARE:
        return new (std::nothrow) CSpyLog;
    case DATA_VULNERABILITY:
        return new (std::nothrow) CVaLog;
    case DATA_TSC:
        return new (std::nothrow) CTscLog;
    case DATA_UPDATE:
        return new (std::nothrow) CAuLog;
    case DATA_HISTORY_CLEAN:
        return new (std::nothrow) CHisCleanLog;
    case DATA_URL_FILTER:
        return new (std::nothrow) CUrlFilterLog;
    case DATA_PRIVACY:
        return new (std::nothrow) CPvyLog;
    case DATA_PHISH_ALERT:
        return new (std::nothrow) CPhishAlertLog;
    case DATA_SUSPICIOUS_CHANGE:
        return new (std::nothrow) CSusChangeLog;
    default:
        return nullptr;
    }
}

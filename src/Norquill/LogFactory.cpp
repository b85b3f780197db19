#include "AuLog.h"
#include "HisCleanLog.h"
#include "LogKindTable.h"
#include "PhishAlertLog.h"
#include "PvyLog.h"
#include "SpyLog.h"
#include "SusChangeLog.h"
#include "TscLog.h"
#include "UrlFilterLog.h"
#include "VaLog.h"
#include "VirusLog.h"

#include <new>

namespace
{
using Maker = CLogBase* (*)();

template <class C> constexpr Maker MakerOf()
{
    return []() -> CLogBase* { return new (std::nothrow) C; };
}
template <> constexpr Maker MakerOf<void>()
{
    return nullptr;
}

struct MakerRow
{
    ULONG subType;
    Maker make;
};

#define NQ_LOG_KIND_MAKER(logType, extension, lastDate, subType, Class, ...) {subType, MakerOf<Class>()},
constexpr MakerRow kMakers[] = {NQ_LOG_KINDS(NQ_LOG_KIND_MAKER)};
#undef NQ_LOG_KIND_MAKER
} // namespace

CLogBase* CreateLogObject(ULONG subType)
{
    for (const MakerRow& row : kMakers)
    {
        if (row.make && row.subType == subType)
            return row.make();
    }
    return nullptr;
}

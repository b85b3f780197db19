#include "LogTypes.h"

#include "KvComn_String.h"
#include "LogPurgeRules.h"

#include <algorithm>

namespace Norquill
{
namespace
{
constexpr size_t kDayFileNameChars = 520; // with the terminator

// Rows with a rank, ordered by it.
template <class Rank> std::vector<const LogKindRow*> RowsBy(Rank rank)
{
    std::vector<const LogKindRow*> rows;
    for (const LogKindRow& row : kLogKinds)
    {
        if (rank(row) > 0)
            rows.push_back(&row);
    }
    std::sort(rows.begin(), rows.end(),
              [&](const LogKindRow* a, const LogKindRow* b) { return rank(*a) < rank(*b); });
    return rows;
}
} // namespace

const wchar_t* GetPathQueryExtension(DWORD logType)
{
    const LogKindRow* row = FindLogType(logType);
    return row && row->pathQuery ? row->extension : nullptr;
}

bool GetPurgeExtensions(DWORD logType, std::vector<std::wstring>& list)
{
    return LogPurgeRules::PurgeExtensions(logType, list);
}

std::vector<const wchar_t*> GetInstallStampNames()
{
    std::vector<const wchar_t*> names;
    for (const LogKindRow* row : RowsBy([](const LogKindRow& r) { return r.installRank; }))
        names.push_back(row->lastDateName);
    return names;
}

std::wstring MakeDayFileName(const std::wstring& folder, const SYSTEMTIME& day, const wchar_t* extension)
{
    std::wstring name;
    KvCommon::String::Format(name, L"%s%04d%02d%02d.%s", folder.c_str(), day.wYear, day.wMonth, day.wDay,
                             extension);
    if (name.size() >= kDayFileNameChars)
        name.clear();
    return name;
}
} // namespace Norquill

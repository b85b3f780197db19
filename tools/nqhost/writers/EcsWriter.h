#pragma once
// One Elastic Common Schema document a line, built from EcsTable: what a search engine's security
// rules and dashboards read without a mapping of their own.
#include "EcsTable.h"
#include "RecordWriter.h"

#include <map>

namespace NqHost
{
class CEcsWriter : public CRecordWriter
{
public:
    CEcsWriter(COutputStream& out, const CLogOrigin& origin);
    void Write(const EventRecord& record) override;

private:
    // The ECS path of each of the kind's fields, in FieldNames() order, and its fixed members.
    struct KindLayout
    {
        std::vector<std::vector<std::string>> paths;
        std::vector<EcsTable::Shape> shapes;
        std::string kind, dataset, action, code;
        std::vector<std::string> categories, types;
    };
    const KindLayout& LayoutOf(const CRecordKind& kind);

    std::map<const CRecordKind*, KindLayout> m_layouts;
};
} // namespace NqHost

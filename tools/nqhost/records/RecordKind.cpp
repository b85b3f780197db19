// CRecordKind: a record built from field=value words, a day queried through the plug-in, and a record's
// kept fields shown.
#include "RecordKind.h"

#include <algorithm>

namespace NqHost
{
CRecordKind::CRecordKind(const wchar_t* name, const wchar_t* description, ULONG subType, ULONG logType,
                         std::vector<RecordField> fields)
    : m_name(name), m_description(description), m_subType(subType), m_logType(logType),
      m_fields(std::move(fields))
{
    for (const RecordField& field : m_fields)
        if (field.readBack)
            m_fieldNames.push_back(field.name);
}

const RecordField& CRecordKind::FindField(const std::wstring& name) const
{
    for (const RecordField& field : m_fields)
        if (field.name == name)
            return field;
    std::wstring known;
    for (const RecordField& field : m_fields)
        known += (known.empty() ? L"" : L", ") + field.name;
    throw UsageError{L"'" + name + L"' is not a field of a " + m_name + L" record (fields: " + known + L")"};
}

std::shared_ptr<void> CRecordKind::BuildRecord(const std::vector<std::wstring>& assignments) const
{
    std::shared_ptr<void> record = NewRecord();
    std::vector<std::wstring> seen;
    for (const std::wstring& word : assignments)
    {
        size_t equals = word.find(L'=');
        if (equals == std::wstring::npos || equals == 0)
            throw UsageError{L"'" + word + L"' is not of the form field=value"};
        std::wstring name = word.substr(0, equals);
        const RecordField& field = FindField(name);
        if (std::find(seen.begin(), seen.end(), name) != seen.end())
            throw UsageError{L"field " + name + L" is given twice"};
        seen.push_back(name);
        field.assign(record.get(), word.substr(equals + 1));
    }
    return record;
}

std::vector<std::wstring> CRecordKind::Columns() const
{
    std::vector<std::wstring> columns = m_fieldNames;
    columns.insert(columns.begin(), L"stTime");
    return columns;
}

ULONG CRecordKind::Query(SrvFrwk::Interface::IEnforceProvider* provider, const SYSTEMTIME& day,
                         std::vector<std::vector<Cell>>& rows) const
{
    return Read(provider, day,
                [&rows](const SYSTEMTIME& time, const std::vector<Cell>& fields)
                {
                    rows.push_back({Cell::Text(Text::DateTimeText(time))});
                    rows.back().insert(rows.back().end(), fields.begin(), fields.end());
                });
}

std::vector<Cell> CRecordKind::KeptFields(const void* record) const
{
    std::vector<Cell> fields;
    for (const RecordField& field : m_fields)
        if (field.readBack)
            fields.push_back(field.show(record));
    return fields;
}
} // namespace NqHost

#pragma once
// One of the ten kinds of event: its request sub-type, its log type, its record's fields, and how a
// record of it is built from "field=value" words and read back from a day's file.
#include "Output.h"
#include "RecordField.h"
#include "SrvFrwk_EventLog.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace NqHost
{
// One record read back: its time and the fields the day file keeps, in FieldNames() order.
using RecordSink = std::function<void(const SYSTEMTIME& time, const std::vector<Cell>& fields)>;

class CRecordKind
{
public:
    CRecordKind(const wchar_t* name, const wchar_t* description, ULONG subType, ULONG logType,
                std::vector<RecordField> fields);
    virtual ~CRecordKind() = default;

    const std::wstring& Name() const { return m_name; }
    const std::wstring& Description() const { return m_description; }
    ULONG SubType() const { return m_subType; }
    ULONG LogType() const { return m_logType; }
    const std::vector<RecordField>& Fields() const { return m_fields; }

    // A zeroed record with the assignments applied; throws UsageError naming the bad word.
    std::shared_ptr<void> BuildRecord(const std::vector<std::wstring>& assignments) const;
    // A field's value in a record of this kind; throws UsageError for a field it does not have.
    Cell Show(const void* record, const std::wstring& field) const { return FindField(field).show(record); }
    // The fields the day file carries, so the ones a query gives back.
    const std::vector<std::wstring>& FieldNames() const { return m_fieldNames; }
    // The columns of a query table: the time and FieldNames().
    std::vector<std::wstring> Columns() const;
    // QueryData for one day; the sink sees every record in file order. Only that day's records are held.
    virtual ULONG Read(SrvFrwk::Interface::IEnforceProvider* provider, const SYSTEMTIME& day,
                       const RecordSink& sink) const = 0;
    // QueryData for one day; appends rows that follow Columns().
    ULONG Query(SrvFrwk::Interface::IEnforceProvider* provider, const SYSTEMTIME& day,
                std::vector<std::vector<Cell>>& rows) const;

protected:
    virtual std::shared_ptr<void> NewRecord() const = 0;
    std::vector<Cell> KeptFields(const void* record) const;

private:
    const RecordField& FindField(const std::wstring& name) const;

    std::wstring m_name;
    std::wstring m_description;
    ULONG m_subType;
    ULONG m_logType;
    std::vector<RecordField> m_fields;
    std::vector<std::wstring> m_fieldNames; // of the fields read back: writers ask for every record
};

template <class R> class TRecordKind : public CRecordKind
{
public:
    using CRecordKind::CRecordKind;

    ULONG Read(SrvFrwk::Interface::IEnforceProvider* provider, const SYSTEMTIME& day,
               const RecordSink& sink) const override
    {
        SrvFrwk::EventLog::LogQueryData<R> query;
        query.stDay = day;
        ULONG result = provider->QueryData(SrvFrwk::EventLog::TYPE_EVENTLOG, SubType(), &query, 0, 0);
        for (const R& record : query.records)
            sink(record.stTime, KeptFields(&record));
        return result;
    }

protected:
    std::shared_ptr<void> NewRecord() const override { return std::make_shared<R>(); }
};
} // namespace NqHost

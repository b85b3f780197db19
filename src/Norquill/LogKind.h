#pragma once
#include "KvComn_Clock.h"
#include "KvComn_DebugLog.h"
#include "LogBase.h"
#include "LogLine.h"
#include "PageToucher.h"
#include "SrvFrwk_EventLog.h"

// What the ten kinds share beyond CLogBase: the write and read flows bound to the kind's constants, and
// the splitting of a line into a record of the kind. Each kind adds only MakeLine and PutKindField.
template <class TRecord, const LogKindInfo& Kind> class CLogKind : public CLogBase
{
public:
    using Record = TRecord;
    using Query = SrvFrwk::EventLog::LogQueryData<TRecord>;

    ULONG WriteLog(void* _pPropertyData, ULONG, ULONG_PTR) override
    {
        return WriteDayFile(Kind, _pPropertyData);
    }

    std::wstring MakeRecode(void* _pPropertyData) final
    {
        ::g_DebugLog.Trace(Kind.sourceFile, __LINE__, KvCommon::TraceLevel::Function,
                           L"[Enter] %s::MakeRecode()...", Kind.className);
        if (!_pPropertyData)
            return std::wstring();
        SYSTEMTIME now;
        KvCommon::Clock::GetLocalTime(&now);
        LogLine line(now);
        MakeLine(*static_cast<const TRecord*>(_pPropertyData), now, line);
        // A line the reader would skip is an event lost: its texts give way instead.
        if (const size_t cut = line.Fit())
            ::g_DebugLog.Trace(Kind.sourceFile, __LINE__, KvCommon::TraceLevel::Error,
                               L"%s::MakeRecode() shortened the texts by %u characters to fit a line",
                               Kind.className, static_cast<unsigned>(cut));
        ::g_DebugLog.Trace(Kind.sourceFile, __LINE__, KvCommon::TraceLevel::Function,
                           L"[Leave] %s::MakeRecode()...", Kind.className);
        return line.Join();
    }

    ULONG ReadLog(void* _pPropertyData, ULONG, ULONG_PTR) override
    {
        Query* query = static_cast<Query*>(_pPropertyData);
        return ReadDayFile(Kind, query, query ? &query->stDay : nullptr, &Reserve);
    }

    ULONG PutRecode(void* _pPropertyData, std::wstring line) override
    {
        if (!LineFields::Split(line, m_vecFields))
            return SrvFrwk::RESULT_SUCCESS; // skipped, not an error: later lines are still read
        if (!_pPropertyData)
        {
            ::g_DebugLog.Trace(Kind.sourceFile, __LINE__, KvCommon::TraceLevel::Error,
                               L"PutRecode _pPropertyData invalid ");
            return SrvFrwk::RESULT_INVALID_ARG;
        }
        // Filled in place: a record can be several kilobytes, and a day many thousand lines.
        std::vector<TRecord>& records = static_cast<Query*>(_pPropertyData)->records;
        if (m_pageToucher)
            m_pageToucher->Claim(records.data() + records.size() + 1);
        TRecord& record = records.emplace_back();
        try
        {
            for (size_t i = 0; i < m_vecFields.size(); ++i)
                PutField(static_cast<ULONG>(i), m_vecFields[i].c_str(), &record);
        }
        catch (...)
        {
            records.pop_back(); // no half-filled record in the caller's list
            throw;
        }
        record.stTime = m_stTime;
        return SrvFrwk::RESULT_SUCCESS;
    }

    void PutField(ULONG index, const wchar_t* text, void* record) final
    {
        if (!record || !text)
            return;
        if (index <= 1)
            LineFields::PutTime(index, text, m_stTime);
        else
            PutKindField(index, text, *static_cast<TRecord*>(record));
    }

private:
    static DayRecordRead::RecordRoom Reserve(void* query, size_t lines)
    {
        std::vector<TRecord>& records = static_cast<Query*>(query)->records;
        records.reserve(records.size() + lines);
        return {records.data() + records.size(), lines * sizeof(TRecord)};
    }
    // The fields of one record after the date and time of now.
    virtual void MakeLine(const TRecord& record, const SYSTEMTIME& now, LogLine& line) = 0;
    // Indexes 2 and up of a read line.
    virtual void PutKindField(ULONG index, const wchar_t* text, TRecord& record) = 0;
};

#pragma once
// Shared fixture of the record-class tests: a sandboxed log folder and a clock fixed at a known moment.
#include "KvComn_Clock.h"
#include "SrvFrwk_EventLog.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

class LogFileTest : public ::testing::Test
{
public:
    static constexpr SYSTEMTIME kNow = {2026, 3, 3, 4, 9, 8, 7, 6};
    static constexpr const wchar_t* kPrefix = L"20260304|090807|";

protected:
    void SetUp() override
    {
        s_clock = s_nextClock = kNow;
        // The first reading gives s_clock, every later one s_nextClock.
        KvCommon::Clock::SetSource(
            [](LPSYSTEMTIME now)
            {
                *now = s_clock;
                s_clock = s_nextClock;
            });
    }
    void TearDown() override { KvCommon::Clock::SetSource(nullptr); }

    std::wstring DayFile(const wchar_t* extension, const SYSTEMTIME& day = kNow) const
    {
        return sandbox.LogFolder() + TestSupport::DateText(day) + L"." + extension;
    }

    // Writes a day file of UTF-16 text as given, after the byte-order mark when wanted.
    void WriteDay(const wchar_t* extension, const std::wstring& text, bool mark = true) const
    {
        ASSERT_TRUE(TestSupport::WriteUtf16File(DayFile(extension), (mark ? L"\xFEFF" : L"") + text));
    }

    // The records of the fixed day, read by the kind's class.
    template <class TLog> static SrvFrwk::EventLog::LogQueryData<typename TLog::Record> ReadNow()
    {
        SrvFrwk::EventLog::LogQueryData<typename TLog::Record> query;
        query.stDay = kNow;
        EXPECT_EQ(SrvFrwk::RESULT_SUCCESS, TLog().ReadLog(&query, 0, 0));
        return query;
    }

    template <class TLog, class TRecord = typename TLog::Record>
    static std::vector<TRecord> StoreAndRead(const std::vector<TRecord>& records)
    {
        for (TRecord record : records)
            EXPECT_EQ(SrvFrwk::RESULT_SUCCESS, TLog().WriteLog(&record, 0, 0));
        return ReadNow<TLog>().records;
    }

    static std::vector<BYTE> Stamp(const wchar_t* name)
    {
        DWORD type = 0;
        std::vector<BYTE> data;
        TestSupport::GetRegValue(HKEY_LOCAL_MACHINE, TestSupport::kEventLogKey, name, type, data);
        return data;
    }

    static inline SYSTEMTIME s_clock{}, s_nextClock{};
    TestSupport::EventLogSandbox sandbox;
};

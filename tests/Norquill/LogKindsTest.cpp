// What the end-to-end lines leave open: layout branches, number cuts, reading's conversions and copy limits.
#include "LogFileTest.h"

#include "EventLogKey.h"
#include "KindTexts.h"

using namespace SrvFrwk::EventLog;

namespace
{
std::wstring Fields(const std::wstring& fields)
{
    return LogFileTest::kPrefix + fields + L"\r\n";
}

template <class TLog, class TRecord> std::wstring Line(TRecord record)
{
    return TLog().MakeRecode(&record);
}

// A line read into the kind's record and written again: every conversion of the reading shows.
template <class TLog> std::wstring Reread(const std::wstring& fields)
{
    TLog log;
    LogQueryData<typename TLog::Record> query;
    if (log.PutRecode(&query, LogFileTest::kPrefix + fields) != SrvFrwk::RESULT_SUCCESS ||
        query.records.size() != 1)
        return L"<no record>";
    return log.MakeRecode(&query.records[0]);
}

VirusLogRecord Virus(const wchar_t* name, const wchar_t* path, const wchar_t* detail)
{
    VirusLogRecord r{-5, 0x1A, {}, 1, -2, 2147483647, 0, {}, {}, {}, {}};
    wcscpy_s(r.szThreatName, name);
    wcscpy_s(r.szFilePath, path);
    wcscpy_s(r.szDetail, detail);
    return r;
}

VirusLogRecord Unterminated()
{
    VirusLogRecord r = Virus(L"", L"", L"");
    wmemset(r.szThreatName, L'N', 132);
    wmemset(r.szFilePath, L'P', 520);
    wmemset(r.szDetail, L'D', 534);
    r.stTime.wYear = 0x41; // right behind szDetail: must not be read as text
    return r;
}

SpyLogRecord Spy(DWORD flag, LONG type)
{
    return {{},         type, L"", 0,  L"P", L"",  L"N", L"never written", L"",
            0xFFFFFFFF, 7,    0,   {}, L"",  flag, {},   4294967295u,      {}};
}

PvyLogRecord Privacy(LONG type)
{
    return {type, 1, L"t1", 2, L"t2", L"t3", L"t4", L"t5", L"t6", {}};
}

std::wstring X(size_t count, wchar_t c = L'x')
{
    return std::wstring(count, c);
}
} // namespace

using LogKindsTest = LogFileTest;

TEST_F(LogKindsTest, LinesFollowTheLayoutTheRecordChooses)
{
    const std::wstring virus = L"-0000005|0000001a|2|", values = L"|1|-2|2147483647|0";
    // A suspicious change's target follows its flag and type.
    auto change = [](DWORD flag, LONG type, const std::wstring& target)
    {
        return std::make_pair(Line<CSusChangeLog>(Spy(flag, type)), L"0xffffffff|0|P||" +
                                                                        std::to_wstring(type) + L"|" +
                                                                        target + L"||||0|4294967295|");
    };
    const std::pair<std::wstring, std::wstring> cases[] = {
        {Line<CVirusLog>(Virus(L"Eicar", L"C:", L"")), virus + L"0|Eicar|C:" + values},
        {Line<CVirusLog>(Virus(L"Eicar", L"C", L"")), virus + L"1|Eicar|C" + values},
        {Line<CVirusLog>(Virus(L"", L"", L"only detail")), virus + L"1|---|only detail" + values},
        {Line<CVirusLog>(Virus(L"Eicar", L"", L"d")), virus + L"1|Eicar| (d)" + values},
        {Line<CVirusLog>(Unterminated()),
         virus + L"1|" + X(132, L'N') + L"|" + X(520, L'P') + L" (" + X(534, L'D') + L")" + values},
        {Line<CVirusLog>(Virus(L"", L"C:\\a.zip", L"in")), virus + L"1|---|C:\\a.zip (in)" + values},
        {Line<CSpyLog>(Spy(0, -1)), L"0xffffffff|0|P||N|||-1||0|4294967295|"},
        {Line<CVaLog>(VaLogRecord{L"abc", 12345678, -1234567, L"xyz", {}}), L"abc|1234567|-123456|xyz"},
        {Line<CHisCleanLog>(HisCleanLogRecord{0, {}, 42, {}, 7, {}, 4294967295u, {}}), L"4294967295|0|42"},
        {Line<CHisCleanLog>(HisCleanLogRecord{2, {}, 42, {}, 7, {}, 3, {}}), L""},
        {Line<CUrlFilterLog>(UrlFilterLogRecord{-5, 0x1A, L"http://a", -7, L"t2", L"t3", 1, 2, L"t4", {}}),
         L"-0000005|0000001a|-7|http://a|t2|ER"},
        {Line<CPhishAlertLog>(PhishAlertLogRecord{-5, 3, 7, L"t1", L"t2", L"t3", {}}), L"-5|3|t2|t1|t3|"},
        {Line<CPvyLog>(Privacy(3)), L"3|1|t1|2|t4|"},
        {Line<CPvyLog>(Privacy(0x100003)), L"1048579|1|t1|2|t5|"},
        {Line<CPvyLog>(Privacy(5)), L"5|1|t1|2||"},
        change(0, 2, L"P\\N"),
        change(1, 2, L"7"),
        change(1, 3, L"P\\N"),
        change(1, 5, L""),
        change(2, 5, L"P\\N"),
    };
    for (const auto& c : cases)
        EXPECT_EQ(Fields(c.second), c.first);
    // Every detection becomes the most recent threat.
    EXPECT_EQ(L"---", EventLogKey::QueryString(TestSupport::kEventLogKey, L"MostRecentThreatName"));
    EXPECT_EQ(L"C:\\a.zip (in)",
              EventLogKey::QueryString(TestSupport::kEventLogKey, L"MostRecentThreatFile"));
}

TEST_F(LogKindsTest, MostRecentThreatFollowsEveryEventWhenTheKeptSettingsKeyIsDeletedBetweenThem)
{
    auto store = [](const wchar_t* name)
    {
        VirusLogRecord r = Virus(name, L"C:\\f.exe", L"");
        return CVirusLog().WriteLog(&r, 0, 0);
    };
    auto recent = [] { return EventLogKey::QueryString(TestSupport::kEventLogKey, L"MostRecentThreatName"); };
    ASSERT_EQ(SrvFrwk::RESULT_SUCCESS, store(L"First"));
    EXPECT_EQ(L"First", recent());
    // The key kept open since the first event now names a deleted key.
    ASSERT_EQ(ERROR_SUCCESS, RegDeleteTreeW(HKEY_LOCAL_MACHINE, TestSupport::kEventLogKey));
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, TestSupport::kEventLogKey);
    ASSERT_EQ(L"", recent());
    ASSERT_EQ(SrvFrwk::RESULT_SUCCESS, store(L"Second"));
    EXPECT_EQ(L"Second", recent());
    EXPECT_EQ(L"C:\\f.exe", EventLogKey::QueryString(TestSupport::kEventLogKey, L"MostRecentThreatFile"));
}

TEST_F(LogKindsTest, ReadingConvertsAndCutsEachKindsFields)
{
    const std::wstring t500 = X(500) + L"|";
    const std::pair<std::wstring, std::wstring> cases[] = {
        // Number read as hex, code not kept, _wtoi clamps.
        {Reread<CVirusLog>(L"00000012|0000001a|2|1|" + X(200, L'N') + L"|" + X(300, L'P') +
                           L"|1|-2|2147483647|99999999999|" + X(300)),
         L"00000018|00000000|2|1|" + X(126, L'N') + L"|" + X(258, L'P') + L"|1|-2|2147483647|2147483647"},
        // Indexes up to eleven only.
        {Reread<CSpyLog>(L"0xffffffff|-33|" + t500 + t500 + t500 + t500 + t500 + L"-1|" + t500 +
                         L"11|4294967295|t5"),
         L"0x00000000|-33|" + X(259) + L"|" + X(259) + L"|" + X(387) + L"||" + X(259) + L"|-1|" + X(259) +
             L"|11|0|"},
        // The copy keeps 2046 characters; written again, the text gives way to the reader's line limit.
        {Reread<CVaLog>(X(31) + L"|1|-2|" + X(3000)), X(30) + L"|1|-2|" + X(1992)},
        {Reread<CTscLog>(X(127) + L"|-3"), X(126) + L"|-3"},
        {Reread<CAuLog>(L"1|-2|3|4|" + X(30) + L"|" + X(31)), L"1|-2|3|4|" + X(30) + L"|" + X(30)},
        // The kind read from the line decides where the amount goes.
        {Reread<CHisCleanLog>(L"4294967295|1|4294967295"), L"2147483647|1|2147483647"},
        {Reread<CHisCleanLog>(L""), L"0|0|0"},
        {Reread<CUrlFilterLog>(L"42|80000000|5|a|b|ER"), L"00000000|7fffffff|5|a|b|ER"},
        {Reread<CPvyLog>(L"5|1|t1|2|t6|t5"), L"5|1|t1|2||"},
        // Suspicious changes are read at the spyware indexes.
        {Reread<CSusChangeLog>(L"0x0000001a|3|P|t2|3|P\\N||12 t4|t1|1|9|t5"),
         L"0x00000000|3|P|t2|12|P\\3|||t1|1|0|"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Fields(c.second), c.first);
}

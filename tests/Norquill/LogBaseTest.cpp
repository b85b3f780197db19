#include "LogFileTest.h"

#include "AuLog.h"
#include "KvComn_FileBase.h"
#include "KvComn_Handle.h"
#include "LogPurge.h"
#include "TscLog.h"
#include "VirusLog.h"

#include <memory>

using namespace SrvFrwk;
using namespace SrvFrwk::EventLog;

namespace
{
std::vector<WORD> Words(const SYSTEMTIME& t)
{
    return {t.wYear, t.wMonth, t.wDayOfWeek, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds};
}

std::wstring AuLine(const std::wstring& text1, const std::wstring& text2 = L"t")
{
    return std::wstring(LogFileTest::kPrefix) + L"1|2|3|4|" + text1 + L"|" + text2;
}

} // namespace

using LogReadTest = LogFileTest;

TEST_F(LogReadTest, LinesUpToTheBufferAreReadAndLongerOnesAreSkippedWhole)
{
    // 2046 characters with "\r\n" fill the reader's buffer exactly; one more and the line is lost.
    const size_t fixed = AuLine(L"", L"").size() + 2;
    const std::wstring fits = AuLine(std::wstring(2046 - fixed, L'f'), L"");
    const std::wstring tooLong = AuLine(std::wstring(2047 - fixed, L'g'), L"");
    const std::wstring huge = AuLine(std::wstring(5000, L'h'), L"");
    WriteDay(L"UPG", AuLine(L"before") + L"\r\n" + fits + L"\r\n" + tooLong + L"\r\n" + AuLine(L"middle") +
                         L"\r\n" + huge + L"\r\n" + AuLine(L"after") + L"\r\n");

    const AuLogQuery query = ReadNow<CAuLog>();
    ASSERT_EQ(4u, query.records.size());
    EXPECT_STREQ(L"before", query.records[0].szText1);
    EXPECT_EQ(30u, wcslen(query.records[1].szText1)); // cut to the member's copy limit
    EXPECT_STREQ(L"middle", query.records[2].szText1);
    EXPECT_STREQ(L"after", query.records[3].szText1);
}

TEST_F(LogReadTest, OnlyWholeLinesWithSeparatorsBecomeRecords)
{
    WriteDay(L"UPG", L"\r\n" + AuLine(L"lf", L"end\n") + AuLine(L"cr", L"a\rb\n") + L"no separator here\r\n" +
                         L"|" + AuLine(L"ok") + L"\r\n20261|7|1\r\n" + AuLine(L"unterminated"));

    const AuLogQuery query = ReadNow<CAuLog>();
    ASSERT_EQ(4u, query.records.size());
    EXPECT_STREQ(L"end\n", query.records[0].szText2); // "\n" without "\r" stays in the last field
    EXPECT_STREQ(L"a", query.records[1].szText2);     // cut at the last "\r", wherever it stands
    EXPECT_STREQ(L"ok", query.records[2].szText1);    // a leading separator opens no field
    EXPECT_EQ((std::vector<WORD>{2026, 3, 0, 4, 9, 8, 7, 0}), Words(query.records[2].stTime));
    // Short date and time fields read their missing digits as zero; no field stays from the line before.
    EXPECT_EQ((std::vector<WORD>{2026, 1, 0, 0, 7, 0, 0, 0}), Words(query.records[3].stTime));
    EXPECT_STREQ(L"", query.records[3].szText1);
}

// An earlier writer let a text put U+FFFF, the wide streams' end of file, into its line.
TEST_F(LogReadTest, UnitFFFFInALineIsACharacterOfItAndTheDayReadsToItsLastLine)
{
    WriteDay(L"UPG", AuLine(L"http://x/\xFFFF\xFFFF/a.exe") + L"\r\n" + AuLine(L"\xFFFF") + L"\r\n" +
                         AuLine(L"last") + L"\r\n");
    const AuLogQuery query = ReadNow<CAuLog>();
    ASSERT_EQ(3u, query.records.size());
    EXPECT_STREQ(L"http://x/\xFFFF\xFFFF/a.exe", query.records[0].szText1);
    EXPECT_STREQ(L"\xFFFF", query.records[1].szText1);
    EXPECT_STREQ(L"last", query.records[2].szText1);
}

// A list grown by doubling would copy the held records over and over; room for every line feed would make
// millions of bare ones fail the day whole.
TEST_F(LogReadTest, HeldRecordsStayAndTheListGrowsOnceForTheWholeDay)
{
    std::wstring day = L"\r\nno separator\r\n" + AuLine(std::wstring(3000, L'x')) + L"\r\n";
    for (int i = 0; i < 20; ++i)
        day += AuLine(std::to_wstring(i)) + L"\r\n";
    WriteDay(L"UPG", day + std::wstring(6000000, L'\n') + AuLine(L"unterminated"));
    const size_t lineEnds = 23;

    AuLogQuery query;
    query.stDay = kNow;
    query.records.resize(2);
    query.records.shrink_to_fit();
    wcscpy_s(query.records[1].szText1, L"held");
    ASSERT_EQ(RESULT_SUCCESS, CAuLog().ReadLog(&query, 0, 0));

    ASSERT_EQ(22u, query.records.size());
    EXPECT_STREQ(L"held", query.records[1].szText1);
    for (int i = 0; i < 20; ++i)
        EXPECT_EQ(std::to_wstring(i), query.records[2 + i].szText1);
    EXPECT_LE(query.records.capacity(), 2 + lineEnds);
}

TEST_F(LogReadTest, DayOfManyRecordsReadsWholeBesideItsPageThreadWithDamagedLinesAmongThem)
{
    // Tens of megabytes of records: their pages are brought in by a second thread while they are filled.
    const int count = 12000;
    std::wstring day;
    for (int i = 0; i < count; ++i)
    {
        day += std::wstring(kPrefix) + L"0000002a|0|0|0|Threat." + std::to_wstring(i) + L"|C:\\f" +
               std::to_wstring(i) + L"|1|2|3|" + std::to_wstring(i) + L"\r\n";
        if (i % 1000 == 7)
            day += L"damaged line without a separator\r\n";
    }
    WriteDay(L"VLG", day);

    VirusLogQuery query;
    query.stDay = kNow;
    query.records.resize(3);
    wcscpy_s(query.records[2].szThreatName, L"held");
    ASSERT_EQ(RESULT_SUCCESS, CVirusLog().ReadLog(&query, 0, 0));

    ASSERT_EQ(3u + count, query.records.size());
    EXPECT_STREQ(L"held", query.records[2].szThreatName);
    for (int i = 0; i < count; ++i)
    {
        const VirusLogRecord& r = query.records[3 + i];
        ASSERT_EQ(L"Threat." + std::to_wstring(i), r.szThreatName) << i;
        ASSERT_EQ(L"C:\\f" + std::to_wstring(i), r.szFilePath) << i;
        ASSERT_EQ(i, r.nValue4) << i;
    }
}

// A file without a mark is read from its first byte.
TEST_F(LogReadTest, ReaderBesideAWriterInTheMiddleOfItsAppendTakesTheWholeLinesThereAre)
{
    WriteDay(L"PTG", std::wstring(kPrefix) + L"one|1\r\n" + kPrefix + L"two|2\r\n", false);
    KvCommon::Storage::FileBase writer(DayFile(L"PTG"));
    KvCommon::AccessControl::SecurityAttributes attributes;
    ASSERT_TRUE(writer.Open(attributes));
    ASSERT_TRUE(writer.SetFilePointer(0, FILE_END));
    ASSERT_TRUE(writer.Write(L"20260304|090807|thr", 19 * sizeof(wchar_t)));
    const TscLogQuery query = ReadNow<CTscLog>();
    ASSERT_EQ(2u, query.records.size());
    EXPECT_EQ((std::vector<WORD>{2026, 3, 0, 4, 9, 8, 7, 0}), Words(query.records[0].stTime));
    EXPECT_STREQ(L"one", query.records[0].szText1);
    EXPECT_STREQ(L"two", query.records[1].szText1);
}

// While a read holds the day file: a writer appends at once, a child started then inherits no handle of the
// read, and the day can be deleted while that child lives.
TEST_F(LogReadTest, DayHeldByAReadTakesAWriterAtOnceAndGivesAChildNothing)
{
    WriteDay(L"PTG", std::wstring(kPrefix) + L"one|1\r\n");
    static std::wstring s_file;
    static std::vector<HANDLE> s_reading, s_inheritable;
    static ULONG s_stored;
    static std::unique_ptr<TestSupport::ChildProcess> s_child;
    s_file = DayFile(L"PTG");
    s_stored = RESULT_FAILED;
    const std::vector<HANDLE> before = TestSupport::InheritableHandles();
    CLogBase::SetReadHook(
        []
        {
            s_reading = TestSupport::HandlesOpenOn(s_file);
            s_inheritable = TestSupport::InheritableHandles();
            TscLogRecord record{L"two", 2, {}};
            s_stored = CTscLog().WriteLog(&record, 0, 0);
            s_child = std::make_unique<TestSupport::ChildProcess>(
                L"\"" + TestSupport::BinFolder() + L"mutex_holder.exe\" Local\\NqChildDuringARead");
        });
    const TscLogQuery held = ReadNow<CTscLog>();
    CLogBase::SetReadHook(nullptr);

    EXPECT_EQ(1u, held.records.size()); // the length it took before the writer came
    EXPECT_EQ(RESULT_SUCCESS, s_stored) << "the writer waited for the reader";
    ASSERT_EQ(1u, s_reading.size());
    EXPECT_FALSE(TestSupport::Inheritable(s_reading[0]));
    EXPECT_EQ(before, s_inheritable);
    EXPECT_EQ(2u, ReadNow<CTscLog>().records.size());
    const SYSTEMTIME day = kNow;
    EXPECT_TRUE(CLogPurge().PurgeEventLogs(LOG_TSC, &day));
    EXPECT_FALSE(TestSupport::FileExists(s_file)) << "the child holds the day";
    s_child.reset();
}

using LogWriteTest = LogFileTest;

// Under Wine a look for a name a folder lacks reads the whole folder: the seals' folder stands, empty, so
// that the look for sealing's state at every event stays inside it.
TEST_F(LogWriteTest, FirstEventMakesTheSealsFolderEmptyWhileSealingIsOff)
{
    TscLogRecord record{L"one", 1, {}};
    ASSERT_EQ(RESULT_SUCCESS, CTscLog().WriteLog(&record, 0, 0));
    const DWORD attributes = GetFileAttributesW((sandbox.LogFolder() + L"Seal").c_str());
    ASSERT_NE(INVALID_FILE_ATTRIBUTES, attributes);
    EXPECT_TRUE(attributes & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(std::vector<std::wstring>{}, TestSupport::ListFiles(sandbox.LogFolder() + L"Seal\\"));
}

// The new day's file is there, empty, as a crash may leave it: it still gets the mark, the day its stamp.
TEST_F(LogWriteTest, EventAcrossMidnightLandsInTheNewDaysEmptyFileWithTheMarkAndStamp)
{
    s_clock = {2026, 3, 3, 4, 23, 59, 59, 999};
    s_nextClock = {2026, 3, 4, 5, 0, 0, 0, 0};
    ASSERT_TRUE(TestSupport::WriteUtf16File(DayFile(L"PTG", s_nextClock), L""));
    TscLogRecord record{L"late", 1, {}};
    ASSERT_EQ(RESULT_SUCCESS, CTscLog().WriteLog(&record, 0, 0));
    EXPECT_FALSE(TestSupport::FileExists(DayFile(L"PTG")));
    EXPECT_EQ(std::wstring(L"\xFEFF") + L"20260304|235959|late|1\r\n",
              TestSupport::ReadUtf16File(DayFile(L"PTG", s_nextClock)));
    EXPECT_EQ(Bytes(s_nextClock), Stamp(L"TSCLastDate"));
}

namespace
{
// WriteFile that puts half of the bytes into the file and then fails, or reports the half as written.
template <bool Fails>
BOOL WINAPI HalfWrite(HANDLE file, LPCVOID data, DWORD size, LPDWORD written, LPOVERLAPPED)
{
    ::WriteFile(file, data, size / 2, written, nullptr);
    if (!Fails)
        return TRUE;
    ::SetLastError(ERROR_DISK_FULL);
    return FALSE;
}

struct WriteFault
{
    explicit WriteFault(KvCommon::Storage::FileBase::WriteFunction write)
    {
        KvCommon::Storage::FileBase::SetWriteFunction(write);
    }
    ~WriteFault() { KvCommon::Storage::FileBase::SetWriteFunction(nullptr); }
};

std::vector<BYTE> Utf16Bytes(const std::wstring& text)
{
    const BYTE* p = reinterpret_cast<const BYTE*>(text.data());
    return std::vector<BYTE>(p, p + text.size() * sizeof(wchar_t));
}
} // namespace

TEST_F(LogWriteTest, FailedOrShortAppendLeavesTheFileAsItWasAndTheNextEventWhole)
{
    TscLogRecord record{L"lost", 1, {}};
    {
        WriteFault fault(HalfWrite<true>);
        EXPECT_EQ(RESULT_FAILED, CTscLog().WriteLog(&record, 0, 0));
    }
    EXPECT_TRUE(TestSupport::ReadFileBytes(DayFile(L"PTG")).empty()); // created, but empty again
    EXPECT_TRUE(Stamp(L"TSCLastDate").empty());

    record = {L"one", 1, {}};
    ASSERT_EQ(RESULT_SUCCESS, CTscLog().WriteLog(&record, 0, 0));
    const std::vector<BYTE> before = TestSupport::ReadFileBytes(DayFile(L"PTG"));
    for (auto write : {HalfWrite<true>, HalfWrite<false>})
    {
        WriteFault fault(write);
        record = {L"lost", 2, {}};
        EXPECT_EQ(RESULT_FAILED, CTscLog().WriteLog(&record, 0, 0));
        EXPECT_EQ(before, TestSupport::ReadFileBytes(DayFile(L"PTG")));
    }

    record = {L"two", 3, {}};
    ASSERT_EQ(RESULT_SUCCESS, CTscLog().WriteLog(&record, 0, 0));
    EXPECT_EQ(std::wstring(L"\xFEFF") + kPrefix + L"one|1\r\n" + kPrefix + L"two|3\r\n",
              TestSupport::ReadUtf16File(DayFile(L"PTG")));
}

// Two events stored after each damaged end: the file is the damage, one repair (the half unit completed,
// CR LF) and the two lines, which DayAppendTest shows the reader takes.
TEST_F(LogWriteTest, DamagedEndIsEndedOnceAndEveryLaterEventReadsBack)
{
    ASSERT_TRUE(::CreateDirectoryW(sandbox.LogFolder().c_str(), nullptr));
    TscLogRecord first{L"first", 1, {}}, second{L"second", 2, {}};
    const std::wstring a = CTscLog().MakeRecode(&first), b = CTscLog().MakeRecode(&second);
    const std::vector<BYTE> healthy = Utf16Bytes(L"\xFEFF" + a + b);
    const size_t lastLine = (1 + a.size()) * sizeof(wchar_t);
    auto cut = [&](size_t size) { return std::vector<BYTE>(healthy.begin(), healthy.begin() + size); };
    std::vector<std::vector<BYTE>> ends = {cut(lastLine + 1),
                                           cut(lastLine + 2),
                                           cut(lastLine + 7),
                                           cut(healthy.size() - 2),
                                           cut(healthy.size() - 1),
                                           healthy,
                                           healthy};
    ends[5].push_back('X');
    ends[6].insert(ends[6].end(), {'Y', 0});
    for (const std::vector<BYTE>& damaged : ends)
    {
        SCOPED_TRACE(damaged.size());
        ASSERT_TRUE(TestSupport::WriteFileBytes(DayFile(L"PTG"), damaged));
        for (TscLogRecord record : {second, first})
            ASSERT_EQ(RESULT_SUCCESS, CTscLog().WriteLog(&record, 0, 0));
        std::vector<BYTE> expected = damaged;
        if (expected.size() % 2)
            expected.push_back(0);
        const std::vector<BYTE> repair = Utf16Bytes(L"\r\n" + b + a);
        expected.insert(expected.end(), repair.begin(), repair.end());
        EXPECT_EQ(expected, TestSupport::ReadFileBytes(DayFile(L"PTG")));
    }
}

// Positions past 4 GiB: the line lands at the end, and a failed append cuts back to it, not to its low 32
// bits.
TEST_F(LogWriteTest, DayFileOfMoreThanFourGigabytesTakesItsEventAtItsEnd)
{
    WriteDay(L"PTG", L"");
    const std::wstring day = DayFile(L"PTG");
    {
        KvCommon::UniqueFileHandle file(
            ::CreateFileW(day.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(file.valid());
        LARGE_INTEGER end;
        end.QuadPart = (4LL << 30) + 2;
        DWORD written = 0;
        ASSERT_TRUE(::SetFilePointerEx(file.get(), end, nullptr, FILE_BEGIN));
        ASSERT_TRUE(::WriteFile(file.get(), L"\r\n", 4, &written, nullptr)); // sparse below
    }
    auto size = [&]
    {
        WIN32_FILE_ATTRIBUTE_DATA data{};
        ::GetFileAttributesExW(day.c_str(), GetFileExInfoStandard, &data);
        return (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    };
    const ULONGLONG before = size();
    ASSERT_EQ((4ULL << 30) + 6, before);
    TscLogRecord record{L"far", 1, {}};
    ASSERT_EQ(RESULT_SUCCESS, CTscLog().WriteLog(&record, 0, 0));
    const std::wstring line = std::wstring(kPrefix) + L"far|1\r\n";
    EXPECT_EQ(before + line.size() * sizeof(wchar_t), size());
    {
        WriteFault fault(HalfWrite<true>);
        EXPECT_EQ(RESULT_FAILED, CTscLog().WriteLog(&record, 0, 0));
    }
    EXPECT_EQ(before + line.size() * sizeof(wchar_t), size());
}

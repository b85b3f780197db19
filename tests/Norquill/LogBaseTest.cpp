#include "LogFileTest.h"

#include "AuLog.h"
#include "KvComn_FileBase.h"
#include "LogPurge.h"
#include "TscLog.h"
#include "VirusLog.h"

#include <filesystem>
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

// Each line of one day and what the reader makes of it: the record's two texts, or none. An earlier writer
// let a text put U+FFFF, the wide streams' end of file, into its line.
TEST_F(LogReadTest, WholeLinesWithSeparatorsWithinTheBufferBecomeRecordsAndNoOtherLineDoes)
{
    // 2046 characters with "\r\n" fill the reader's buffer exactly; one more and the line is lost.
    const size_t fixed = AuLine(L"", L"").size() + 2;
    const std::wstring ffff = L"http://x/\xFFFF\xFFFF/a.exe";
    const std::pair<std::wstring, std::vector<std::wstring>> lines[] = {
        {AuLine(L"before") + L"\r\n", {L"before", L"t"}},
        {AuLine(std::wstring(2046 - fixed, L'f'), L"") + L"\r\n", {std::wstring(30, L'f'), L""}},
        {AuLine(std::wstring(2047 - fixed, L'g'), L"") + L"\r\n", {}},
        {AuLine(std::wstring(5000, L'h'), L"") + L"\r\n", {}},
        {L"\r\n", {}},
        {AuLine(L"lf", L"end\n"), {L"lf", L"end\n"}}, // "\n" without "\r" stays in the last field
        {AuLine(L"cr", L"a\rb\n"), {L"cr", L"a"}},    // cut at the last "\r", wherever it stands
        {L"no separator here\r\n", {}},
        {L"|" + AuLine(L"ok") + L"\r\n", {L"ok", L"t"}}, // a leading separator opens no field
        {AuLine(ffff) + L"\r\n", {ffff, L"t"}},
        {AuLine(L"\xFFFF") + L"\r\n", {L"\xFFFF", L"t"}},
        // Short date and time fields read their missing digits as zero; no field stays from the line before.
        {L"20261|7|1\r\n", {L"", L""}},
        {AuLine(L"after") + L"\r\n", {L"after", L"t"}},
        {AuLine(L"unterminated"), {}},
    };
    std::wstring day;
    std::vector<std::vector<std::wstring>> expected;
    for (const auto& [line, texts] : lines)
    {
        day += line;
        if (!texts.empty())
            expected.push_back(texts);
    }
    WriteDay(L"UPG", day);

    const AuLogQuery query = ReadNow<CAuLog>();
    std::vector<std::vector<std::wstring>> read;
    for (const AuLogRecord& record : query.records)
        read.push_back({record.szText1, record.szText2});
    EXPECT_EQ(expected, read);
    ASSERT_EQ(9u, query.records.size());
    EXPECT_EQ((std::vector<WORD>{2026, 3, 0, 4, 9, 8, 7, 0}), Words(query.records[4].stTime));
    EXPECT_EQ((std::vector<WORD>{2026, 1, 0, 0, 7, 0, 0, 0}), Words(query.records[7].stTime));
}

// Tens of megabytes of records: their pages are brought in by a second thread while they are filled. A list
// grown by doubling would copy the held records over and over; room for every line feed would make millions
// of bare ones fail the day whole.
TEST_F(LogReadTest, DayOfManyRecordsGrowsTheListOnceAndReadsWholeBesideItsPageThread)
{
    const int count = 12000;
    std::wstring day = L"\r\nno separator\r\n";
    for (int i = 0; i < count; ++i)
    {
        day += std::wstring(kPrefix) + L"0000002a|0|0|0|Threat." + std::to_wstring(i) + L"|C:\\f" +
               std::to_wstring(i) + L"|1|2|3|" + std::to_wstring(i) + L"\r\n";
        if (i % 1000 == 7)
            day += L"damaged line without a separator\r\n";
    }
    WriteDay(L"VLG", day + std::wstring(6000000, L'\n') + L"unterminated|");
    const size_t lineEnds = 2 + count + count / 1000;

    VirusLogQuery query;
    query.stDay = kNow;
    query.records.resize(3);
    query.records.shrink_to_fit();
    wcscpy_s(query.records[2].szThreatName, L"held");
    ASSERT_EQ(RESULT_SUCCESS, CVirusLog().ReadLog(&query, 0, 0));

    ASSERT_EQ(3u + count, query.records.size());
    EXPECT_STREQ(L"held", query.records[2].szThreatName);
    EXPECT_LE(query.records.capacity(), 3 + lineEnds);
    for (int i = 0; i < count; ++i)
    {
        const VirusLogRecord& r = query.records[3 + i];
        ASSERT_EQ(L"Threat." + std::to_wstring(i), r.szThreatName) << i;
        ASSERT_EQ(L"C:\\f" + std::to_wstring(i), r.szFilePath) << i;
        ASSERT_EQ(i, r.nValue4) << i;
    }
}

// While a read holds the day file: a writer appends at once, a child started then inherits no handle of the
// read, and the day can be deleted while that child lives. A file without a mark is read from its first byte.
TEST_F(LogReadTest, DayHeldByAReadTakesAWriterAtOnceAndGivesAChildNothing)
{
    WriteDay(L"PTG", std::wstring(kPrefix) + L"one|1\r\n", false);
    static std::wstring s_file;
    static std::vector<HANDLE> s_inheritable;
    static ULONG s_stored;
    static std::unique_ptr<TestSupport::ChildProcess> s_child;
    s_file = DayFile(L"PTG");
    s_stored = RESULT_FAILED;
    const std::vector<HANDLE> before = TestSupport::InheritableHandles();
    CLogBase::SetReadHook(
        []
        {
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
    EXPECT_EQ(before, s_inheritable);
    EXPECT_EQ(2u, ReadNow<CTscLog>().records.size());
    const SYSTEMTIME day = kNow;
    EXPECT_TRUE(CLogPurge().PurgeEventLogs(LOG_TSC, &day));
    EXPECT_FALSE(TestSupport::FileExists(s_file)) << "the child holds the day";
    s_child.reset();
    ASSERT_FALSE(held.records.empty());
    EXPECT_EQ((std::vector<WORD>{2026, 3, 0, 4, 9, 8, 7, 0}), Words(held.records[0].stTime));
    EXPECT_STREQ(L"one", held.records[0].szText1);
}

using LogWriteTest = LogFileTest;

// The new day's file is there, empty, as a crash may leave it: it still gets the mark, the day its stamp.
// Under Wine a look for a name a folder lacks reads the whole folder: the seals' folder stands, empty, so
// that the look for sealing's state at every event stays inside it.
TEST_F(LogWriteTest, EventAcrossMidnightLandsInTheNewDaysEmptyFileAndMakesTheSealsFolderEmpty)
{
    s_clock = {2026, 3, 3, 4, 23, 59, 59, 999};
    s_nextClock = {2026, 3, 4, 5, 0, 0, 0, 0};
    ASSERT_TRUE(TestSupport::WriteUtf16File(DayFile(L"PTG", s_nextClock), L""));
    TscLogRecord record{L"late", 1, {}};
    ASSERT_EQ(RESULT_SUCCESS, CTscLog().WriteLog(&record, 0, 0));
    EXPECT_FALSE(TestSupport::FileExists(DayFile(L"PTG")));
    EXPECT_EQ(std::wstring(L"\xFEFF") + L"20260304|235959|late|1\r\n",
              TestSupport::ReadUtf16File(DayFile(L"PTG", s_nextClock)));
    const std::vector<BYTE> stamp = Stamp(L"TSCLastDate");
    ASSERT_EQ(sizeof(SYSTEMTIME), stamp.size());
    EXPECT_EQ(Words(s_nextClock), Words(*reinterpret_cast<const SYSTEMTIME*>(stamp.data())));
    EXPECT_EQ(FILE_ATTRIBUTE_DIRECTORY, GetFileAttributesW((sandbox.LogFolder() + L"Seal").c_str()));
    EXPECT_EQ(std::vector<std::wstring>{}, TestSupport::ListFiles(sandbox.LogFolder() + L"Seal\\"));
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
// CR LF) and the two lines, and the reader takes both. A line begins after a line feed or the file's opening
// mark, never after a mark inside a text.
TEST_F(LogWriteTest, DamagedEndIsEndedOnceAndEveryLaterEventReadsBack)
{
    ASSERT_TRUE(::CreateDirectoryW(sandbox.LogFolder().c_str(), nullptr));
    TscLogRecord first{L"first", 1, {}}, second{L"second", 2, {}};
    const std::wstring a = CTscLog().MakeRecode(&first), b = CTscLog().MakeRecode(&second);
    const std::vector<BYTE> healthy = Utf16Bytes(L"\xFEFF" + a + b);
    const size_t lastLine = (1 + a.size()) * sizeof(wchar_t);
    auto cut = [&](size_t size) { return std::vector<BYTE>(healthy.begin(), healthy.begin() + size); };
    auto plus = [&](std::vector<BYTE> tail)
    {
        tail.insert(tail.begin(), healthy.begin(), healthy.end());
        return tail;
    };
    const std::vector<BYTE> ends[] = {cut(2),
                                      cut(lastLine + 1),
                                      cut(lastLine + 2),
                                      cut(lastLine + 7),
                                      cut(healthy.size() - 2),
                                      cut(healthy.size() - 1),
                                      healthy,
                                      plus({'X'}),
                                      plus({'Y', 0}),
                                      plus({0xFF, 0xFE})};
    for (const std::vector<BYTE>& damaged : ends)
    {
        SCOPED_TRACE(damaged.size());
        ASSERT_TRUE(TestSupport::WriteFileBytes(DayFile(L"PTG"), damaged));
        for (TscLogRecord record : {second, first})
            ASSERT_EQ(RESULT_SUCCESS, CTscLog().WriteLog(&record, 0, 0));
        std::vector<BYTE> expected = damaged;
        if (expected.size() % 2)
            expected.push_back(0);
        const bool whole = damaged.size() == 2 || damaged == healthy;
        const std::vector<BYTE> appended = Utf16Bytes((whole ? L"" : L"\r\n") + b + a);
        expected.insert(expected.end(), appended.begin(), appended.end());
        EXPECT_EQ(expected, TestSupport::ReadFileBytes(DayFile(L"PTG")));
        const TscLogQuery query = ReadNow<CTscLog>();
        ASSERT_GE(query.records.size(), 2u);
        EXPECT_STREQ(L"second", query.records[query.records.size() - 2].szText1);
        EXPECT_STREQ(L"first", query.records.back().szText1);
    }
}

// Positions past 4 GiB: the line lands at the end, and a failed append cuts back to it, not to its low 32
// bits.
TEST_F(LogWriteTest, DayFileOfMoreThanFourGigabytesTakesItsEventAtItsEnd)
{
    WriteDay(L"PTG", L"");
    const std::wstring day = DayFile(L"PTG");
    KvCommon::Storage::FileBase end(day);
    KvCommon::AccessControl::SecurityAttributes attributes;
    ASSERT_TRUE(end.Open(attributes) && end.SetFilePointer((4LL << 30) + 2, FILE_BEGIN) &&
                end.Write(L"\r\n", 4));
    end.Close(); // sparse below
    auto size = [&] { return std::filesystem::file_size(day); };
    const uintmax_t before = size();
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

#include "E2EHost.h"
#include "KvComn_SharingRetry.h"

#include <chrono>
#include <regex>
#include <set>
#include <thread>

using namespace SrvFrwk;
using namespace SrvFrwk::EventLog;

using RecordsConcurrencyTest = E2E::NorquillTest;

// Four writer processes, and this one reading meanwhile: the reader never takes a torn or glued record.
TEST_F(RecordsConcurrencyTest, FourWritersAndAReaderOfOneDayLoseNothing)
{
    const long events = 500, queries = 100;
    const SYSTEMTIME today = TestSupport::Today(); // the sandbox has waited out midnight
    const std::wstring name = TestSupport::DateText(today) + L".PTG", file = sandbox.LogFolder() + name;
    ASSERT_TRUE(CreateDirectoryW(sandbox.LogFolder().c_str(), nullptr));
    Interface::IEnforceProvider* provider = Provider();
    std::string outputs[4];
    int exitCodes[4] = {-1, -1, -1, -1};
    long read = 0, torn = 0;
    std::vector<std::thread> threads;
    for (int w = 0; w < 4; ++w)
        threads.emplace_back(
            [&, w]
            {
                exitCodes[w] = TestSupport::RunProcess(
                    L"\"" + TestSupport::BinFolder() + L"records_writer.exe\" store " +
                        std::wstring(1, L'A' + w) + L" " + std::to_wstring(events),
                    600000, &outputs[w]);
            });
    const bool begun = TestSupport::WaitForFile(sandbox.LogFolder(), name, 60000);
    EXPECT_TRUE(begun);
    for (long i = 0; begun && i < queries; ++i)
    {
        TscLogQuery query{today, {}};
        read += provider->QueryData(TYPE_EVENTLOG, DATA_TSC, &query, 0, 0) == RESULT_SUCCESS;
        for (const TscLogRecord& r : query.records) // "<writer>-<value>"
            torn += std::wstring(r.szText1).erase(0, 1) != L"-" + std::to_wstring(r.nValue1);
    }
    for (std::thread& t : threads)
        t.join();
    for (int w = 0; w < 4; ++w) // each writer says: stored, failed, other
    {
        EXPECT_EQ(0, exitCodes[w]);
        EXPECT_EQ(0u, outputs[w].find(std::to_string(events) + " 0 0")) << outputs[w];
    }
    EXPECT_EQ(queries, read);
    EXPECT_EQ(0, torn) << "torn records read";

    // One mark, at the start; then whole lines only, every event once.
    const std::wstring text = TestSupport::ReadUtf16File(file);
    ASSERT_EQ(L"\xFEFF", text.substr(0, 1));
    EXPECT_EQ(std::wstring::npos, text.find(L'\xFEFF', 1)) << "a second byte-order mark";
    const std::wregex whole(LR"(\d{8}\|\d{6}\|([A-D]-(\d+))\|\2\r\n)");
    std::set<std::wstring> stored;
    size_t matched = 1;
    for (std::wsregex_iterator it(text.begin() + 1, text.end(), whole), end; it != end; ++it)
    {
        EXPECT_TRUE(stored.insert((*it)[1]).second) << "event written twice";
        matched += it->length();
    }
    EXPECT_EQ(text.size(), matched) << "torn or foreign text";
    EXPECT_EQ(static_cast<size_t>(4 * events), stored.size());
    EXPECT_EQ(0u, E2E::CountTrace(UnloadAndReadTrace(), E2E::kError));
}

TEST_F(RecordsConcurrencyTest,
       WriterGivesUpAfterTheBoundWhileAnotherProcessHoldsTheDayFileAndAReaderReadsAtOnce)
{
    const std::chrono::milliseconds bound(KvCommon::Storage::SharingRetry::kBoundMs);
    ASSERT_TRUE(::CreateDirectoryW(sandbox.LogFolder().c_str(), nullptr));
    const std::wstring file = TodayFile(L"PTG");
    TestSupport::ChildProcess holder(L"\"" + TestSupport::BinFolder() + L"records_writer.exe\" hold \"" +
                                     file + L"\" " + std::to_wstring(bound.count() + 3000));
    ASSERT_TRUE(holder.WaitFor("holding", 60000)) << holder.output;

    Interface::IEnforceProvider* provider = Provider();
    ULONG stored = 0, queried = 0;
    using Clock = std::chrono::steady_clock;
    Clock::duration storeTook{}, queryTook{};
    std::thread writer(
        [&]
        {
            const auto start = Clock::now();
            TscLogRecord record{L"late", 1, {}};
            stored = provider->StoreData(TYPE_EVENTLOG, DATA_TSC, &record, 0, 0);
            storeTook = Clock::now() - start;
        });
    const auto start = Clock::now();
    TscLogQuery query{TestSupport::Today(), {}};
    queried = provider->QueryData(TYPE_EVENTLOG, DATA_TSC, &query, 0, 0);
    queryTook = Clock::now() - start;
    writer.join();

    EXPECT_EQ(0, holder.Exit(60000));
    EXPECT_EQ(RESULT_FAILED, stored);
    EXPECT_GE(storeTook, bound);
    EXPECT_LT(storeTook, bound + std::chrono::seconds(1));
    // A reader shares the file with its writers: it reads what is there and never waits for them.
    EXPECT_EQ(RESULT_SUCCESS, queried);
    EXPECT_LT(queryTook, bound / 2);
    EXPECT_TRUE(query.records.empty());
    EXPECT_TRUE(TestSupport::ReadFileBytes(file).empty());
    // The writer's failure is traced as ever (the open's and the store's line), and nothing else.
    E2E::ExpectTraces(UnloadAndReadTrace(),
                      {{1, E2E::kError, L"FileBase::Open() failed: 0x00000020"}, {2, E2E::kError, L""}});
}

// A day deleted, by the delete action or the purge, while another process reads it: the name is free at once,
// every event stored after it lands in a new day that stays, and the old file goes with its last reader, as
// does one that a process ending between the move and the delete left behind.
TEST_F(RecordsConcurrencyTest, DayDeletedWhileAnotherProcessReadsItSwallowsNoLaterEvent)
{
    const SYSTEMTIME today = TestSupport::Today();
    const std::wstring folder = sandbox.LogFolder();
    ASSERT_TRUE(
        TestSupport::SetRegDword(HKEY_LOCAL_MACHINE, TestSupport::kEventLogKey, L"EventLogPurgeFre", 30));
    LogDeleteParam deleteToday{today, LOG_TSC};
    const struct
    {
        std::wstring day;
        ULONG action;
        void* param;
    } cases[] = {{TestSupport::DateText(today), ACTION_DELETE, &deleteToday},
                 {L"20200101", ACTION_EVENTLOG_PURGE, nullptr}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.action);
        const std::wstring file = folder + c.day + L".PTG";
        // The second file was left by a process that ended between the move and the delete.
        for (const std::wstring& path : {file, folder + L"~" + c.day + L".PTG.1-1.deleted"})
            ASSERT_TRUE(TestSupport::WriteUtf16File(path, L"\uFEFF20260304|090807|R-0|0\r\n"));
        TestSupport::ChildProcess reader(L"\"" + TestSupport::BinFolder() + L"records_writer.exe\" read \"" +
                                         file + L"\"");
        ASSERT_TRUE(reader.WaitFor("reading", 60000)) << reader.output;
        ASSERT_EQ(RESULT_SUCCESS, Provider()->DoAction(TYPE_EVENTLOG, c.action, 0, c.param, 0, 0, 0));
        EXPECT_FALSE(TestSupport::FileExists(file)) << "the name is still taken";
        for (int i = 0; i < 5; ++i)
        {
            TscLogRecord record{{}, i, {}};
            wcscpy_s(record.szText1, (L"after-" + std::to_wstring(i)).c_str());
            EXPECT_EQ(RESULT_SUCCESS, Provider()->StoreData(TYPE_EVENTLOG, DATA_TSC, &record, 0, 0));
        }
        reader.End();
        TscLogQuery query{today, {}};
        ASSERT_EQ(RESULT_SUCCESS, Provider()->QueryData(TYPE_EVENTLOG, DATA_TSC, &query, 0, 0));
        ASSERT_GE(query.records.size(), 5u);
        EXPECT_STREQ(L"after-4", query.records.back().szText1);
        EXPECT_EQ(TestSupport::ListFiles(folder, L"~*"), std::vector<std::wstring>{})
            << "a deleted day stayed";
    }
}

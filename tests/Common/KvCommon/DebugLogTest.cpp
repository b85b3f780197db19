#include "KvComn_Clock.h"
#include "KvComn_DebugLog.h"
#include "KvComn_String.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <memory>
#include <thread>

using KvCommon::DebugLog;
namespace Level = KvCommon::TraceLevel;

namespace
{
void WINAPI FixedMoment(LPSYSTEMTIME t)
{
    *t = SYSTEMTIME{2026, 3, 3, 4, 5, 6, 7, 89};
}

const wchar_t* const kDayFile = L"04032026_bsqNorquill.log";
const std::wstring kStamp = L"04/03/2026 05:06:07.089";

// " pid:tid tag <module> " as the calling thread prints it.
std::wstring Middle(const wchar_t* tag)
{
    std::wstring ids;
    KvCommon::String::Format(ids, L" %04x:%04x ", ::GetCurrentProcessId(), ::GetCurrentThreadId());
    return ids + tag + L" <Norquill> ";
}

class DebugLogTest : public ::testing::Test
{
protected:
    void SetUp() override { KvCommon::Clock::SetSource(FixedMoment); }
    void TearDown() override
    {
        m_log.Uninitialize(); // the library may hold the day file open until then
        m_sandbox.reset();
        KvCommon::Clock::SetSource(nullptr);
    }
    void Sandbox(DWORD level)
    {
        m_sandbox.reset(); // the old guard must restore the key before the new one saves it
        m_sandbox = std::make_unique<TestSupport::TraceSandbox>(level);
    }
    bool Start(DebugLog& log, const std::wstring& folder)
    {
        return log.Initialize(L"Norquill", m_key, folder);
    }
    bool Start() { return Start(m_log, TestSupport::BinFolder()); }
    std::vector<std::wstring> Files() const { return TestSupport::ListFiles(m_sandbox->Folder()); }

    KvCommon::Storage::Key m_key{KvCommon::Storage::KindRegistry, HKEY_LOCAL_MACHINE,
                                 TestSupport::kDebugLogKey};
    std::unique_ptr<TestSupport::TraceSandbox> m_sandbox;
    DebugLog m_log;
};
} // namespace

TEST_F(DebugLogTest, LineCarriesDayFirstDateIdsTagOfTheExactLevelModuleWholeMessageAndSource)
{
    Sandbox(0xFFFF);
    ASSERT_TRUE(Start());
    const std::pair<DWORD, const wchar_t*> levels[] = {{Level::Function, L".w."},
                                                       {Level::Info, L"@@@"},
                                                       {Level::Error, L"!!!"},
                                                       {2, L"???"},
                                                       {Level::Function | Level::Info, L"???"}};
    std::wstring expected = L"\xFEFF";
    for (const auto& [level, tag] : levels)
    {
        EXPECT_TRUE(m_log.Trace(".\\src\\Sample.cpp", 42, level, L"value %s %d", L"wide", 7));
        expected += kStamp + Middle(tag) + L"value wide 7 - Sample.cpp(42)\r\n";
    }
    const std::wstring message = std::wstring(599, L'x') + L"y"; // past any first buffer
    EXPECT_TRUE(m_log.Trace("a.cpp", 7, Level::Info, L"%s", message.c_str()));
    expected += kStamp + Middle(L"@@@") + message + L" - a.cpp(7)\r\n";
    ASSERT_EQ(std::vector<std::wstring>{kDayFile}, Files());
    EXPECT_EQ(expected, TestSupport::ReadUtf16File(m_sandbox->Folder() + kDayFile));
}

TEST_F(DebugLogTest, MissingSettingsSwitchTracingOffOrStopReadingAtTheGap)
{
    // Enable, Level and LogFolder come before LogPrefix: they were read, prefix and extension stayed empty
    // and the library fell back to the extension the debug-log purge knows.
    const std::pair<const wchar_t*, std::vector<std::wstring>> cases[] = {
        {L"Enable", {}}, {L"", {}}, {L"LogPrefix", {L"04032026_Norquill.log"}}};
    for (const auto& [missing, files] : cases)
    {
        SCOPED_TRACE(missing);
        Sandbox(273);
        if (*missing)
            ::RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, TestSupport::kInteractiveTraceKey, missing);
        else
            TestSupport::DeleteRegTree(HKEY_LOCAL_MACHINE, TestSupport::kDebugLogKey);
        ASSERT_TRUE(Start());
        EXPECT_TRUE(m_log.Trace("a.cpp", 1, Level::Error, L"e"));
        EXPECT_EQ(files, Files());
        m_log.Uninitialize();
    }
}

TEST_F(DebugLogTest, LevelMaskDecidesAndTraceWorksOnlyBetweenInitializeAndUninitialize)
{
    Sandbox(256);
    EXPECT_FALSE(m_log.Trace("a.cpp", 1, Level::Error, L"before"));
    EXPECT_FALSE(m_log.Uninitialize());
    ASSERT_TRUE(Start());
    EXPECT_FALSE(m_log.Trace("a.cpp", 2, Level::Info, L"masked"));
    EXPECT_FALSE(m_log.Trace("a.cpp", 2, Level::Function, L"masked"));
    EXPECT_TRUE(m_log.Trace("a.cpp", 2, Level::Error, L"error"));
    // A second Initialize re-reads the mask; reloading the held library would make it fail.
    TestSupport::SetRegDword(HKEY_LOCAL_MACHINE, TestSupport::kInteractiveTraceKey, L"Level", 273);
    ASSERT_TRUE(Start());
    EXPECT_TRUE(m_log.Trace("a.cpp", 3, Level::Info, L"during"));
    EXPECT_TRUE(m_log.Trace("a.cpp", 3, Level::Function, L"during"));
    EXPECT_TRUE(m_log.Uninitialize());
    EXPECT_FALSE(m_log.Trace("a.cpp", 4, Level::Error, L"after"));
    EXPECT_EQ((std::vector<std::wstring>{kStamp + Middle(L"!!!") + L"error - a.cpp(2)",
                                         kStamp + Middle(L"@@@") + L"during - a.cpp(3)",
                                         kStamp + Middle(L".w.") + L"during - a.cpp(3)"}),
              m_sandbox->Lines());
}

TEST_F(DebugLogTest, MissingOrBrokenLibraryMakesInitializeAndLaterTracesFail)
{
    Sandbox(273);
    TestSupport::TempFolder empty;
    const std::wstring bin = TestSupport::BinFolder();
    // A relative folder is refused although the current folder (ctest runs us in bin) holds the library.
    ASSERT_TRUE(SetCurrentDirectoryW(bin.c_str()));
    for (const std::wstring& folder : {empty.Path(), bin + L"kvdbg_noentry", bin + L"kvdbg_failinit\\",
                                       bin + L"kvdbg_nullhandle", std::wstring(L".\\")})
    {
        SCOPED_TRACE(folder);
        DebugLog log;
        EXPECT_FALSE(Start(log, folder));
        EXPECT_FALSE(log.Trace("a.cpp", 1, Level::Error, L"e"));
    }
    DebugLog refusing;
    ASSERT_TRUE(Start(refusing, bin + L"kvdbg_failtrace"));
    EXPECT_FALSE(refusing.Trace("a.cpp", 1, Level::Error, L"e"));
    EXPECT_TRUE(Files().empty());
}

TEST_F(DebugLogTest, LinesOfConcurrentThreadsArriveWholeAndInOrder)
{
    constexpr int kThreads = 8, kLines = 1000;
    Sandbox(273);
    // Flushing every line would make this a test of the disk.
    TestSupport::SetRegDword(HKEY_LOCAL_MACHINE, TestSupport::kInteractiveTraceKey, L"Robust", 0);
    ASSERT_TRUE(Start());
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back(
            [this, t]
            {
                for (int n = 0; n < kLines; ++n)
                    m_log.Trace("worker.cpp", 9, Level::Info, L"thread %d line %d", t, n);
            });
    for (std::thread& thread : threads)
        thread.join();

    const std::vector<std::wstring> lines = m_sandbox->Lines();
    ASSERT_EQ(size_t(kThreads * kLines), lines.size());
    std::vector<int> next(kThreads, 0);
    for (const std::wstring& line : lines)
    {
        int t = -1, n = -1;
        const size_t at = line.find(L"> thread ");
        ASSERT_TRUE(at != std::wstring::npos &&
                    swscanf_s(line.c_str() + at, L"> thread %d line %d", &t, &n) == 2 && t >= 0 &&
                    t < kThreads)
            << line;
        EXPECT_EQ(next[t]++, n) << line;
        EXPECT_EQ(line.size() - 16, line.find(L" - worker.cpp(9)")) << line;
    }
}

TEST(DebugLogSession, ServiceSessionOnlyForSessionZeroOrLocalSystemBelowVersion6)
{
    using KvCommon::IsServiceSessionChoice;
    EXPECT_TRUE(IsServiceSessionChoice(true, true, true, true, 0, false)); // 6 or later: the session decides
    EXPECT_FALSE(IsServiceSessionChoice(true, true, true, true, 1, true));
    EXPECT_FALSE(IsServiceSessionChoice(true, true, true, false, 0, true));
    EXPECT_TRUE(IsServiceSessionChoice(true, true, false, false, 0xFFFFFFFF, true)); // 5: LocalSystem decides
    EXPECT_FALSE(IsServiceSessionChoice(true, true, false, true, 0, false));
    EXPECT_FALSE(IsServiceSessionChoice(false, true, true, true, 0, true));  // no version: interactive
    EXPECT_FALSE(IsServiceSessionChoice(true, false, false, true, 0, true)); // older: interactive
}

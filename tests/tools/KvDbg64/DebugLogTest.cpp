#include "KvComn_Clock.h"
#include "KvComn_DebugLog.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <iomanip>
#include <memory>
#include <sstream>
#include <thread>
#include <vector>

using KvCommon::DebugLog;
namespace Level = KvCommon::TraceLevel;

namespace
{
void WINAPI FixedMoment(LPSYSTEMTIME t)
{
    *t = SYSTEMTIME{2026, 3, 3, 4, 5, 6, 7, 89};
}

const wchar_t* const kDayFile = L"04032026_bsqNorquill.log";

std::wstring Hex4(DWORD value)
{
    std::wostringstream out;
    out << std::hex << std::setw(4) << std::setfill(L'0') << value;
    return out.str();
}

// " pid:tid tag <module> " as the calling thread prints it.
std::wstring Middle(const wchar_t* tag, const std::wstring& module = L"Norquill")
{
    return L" " + Hex4(GetCurrentProcessId()) + L":" + Hex4(GetCurrentThreadId()) + L" " + tag + L" <" +
           module + L"> ";
}

void DeleteTraceValue(const wchar_t* name)
{
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS,
              RegOpenKeyExW(HKEY_LOCAL_MACHINE, TestSupport::kInteractiveTraceKey, 0, KEY_SET_VALUE, &key));
    RegDeleteValueW(key, name);
    RegCloseKey(key);
}

class DebugLogTest : public ::testing::Test
{
protected:
    void SetUp() override { KvCommon::Clock::SetSource(FixedMoment); }
    void TearDown() override
    {
        // The library may hold the day file open; release it before the folder goes.
        m_log.Uninitialize();
        m_sandbox.reset();
        KvCommon::Clock::SetSource(nullptr);
    }

    void Sandbox(DWORD level)
    {
        m_sandbox.reset(); // the old guard must restore the key before the new one saves it
        m_sandbox = std::make_unique<TestSupport::TraceSandbox>(level);
    }
    bool Start(const std::wstring& module = L"Norquill")
    {
        return Start(m_log, TestSupport::BinFolder(), module);
    }
    bool Start(DebugLog& log, const std::wstring& folder, const std::wstring& module = L"Norquill")
    {
        return log.Initialize(module, m_key, folder);
    }
    std::vector<std::wstring> Files() const { return TestSupport::ListFiles(m_sandbox->Folder()); }
    std::vector<std::wstring> Lines() const { return m_sandbox->Lines(); }

    KvCommon::Storage::Key m_key{KvCommon::Storage::KindRegistry, HKEY_LOCAL_MACHINE,
                                 TestSupport::kDebugLogKey};
    std::unique_ptr<TestSupport::TraceSandbox> m_sandbox;
    DebugLog m_log;
};
} // namespace

TEST_F(DebugLogTest, LineCarriesDayFirstDateIdsTagModuleMessageAndSource)
{
    Sandbox(273);
    ASSERT_TRUE(Start());
    EXPECT_TRUE(m_log.Trace(".\\src\\Sample.cpp", 42, Level::Info, L"value %s %d", L"wide", 7));

    ASSERT_EQ(std::vector<std::wstring>{kDayFile}, Files());
    const std::wstring text = TestSupport::ReadUtf16File(m_sandbox->Folder() + kDayFile);
    EXPECT_EQ(L"\xFEFF"
              L"04/03/2026 05:06:07.089" +
                  Middle(L"@@@") + L"value wide 7 - Sample.cpp(42)\r\n",
              text);
}

TEST_F(DebugLogTest, TagFollowsTheExactLevelNotItsBits)
{
    Sandbox(0xFFFF);
    ASSERT_TRUE(Start());
    const DWORD levels[] = {Level::Function, Level::Info, Level::Error, 2, Level::Function | Level::Info};
    const wchar_t* const tags[] = {L".w.", L"@@@", L"!!!", L"???", L"???"};
    for (DWORD level : levels)
        EXPECT_TRUE(m_log.Trace("a.cpp", 1, level, L"m"));

    const std::vector<std::wstring> lines = Lines();
    ASSERT_EQ(5u, lines.size());
    for (size_t i = 0; i < lines.size(); ++i)
        EXPECT_NE(std::wstring::npos, lines[i].find(Middle(tags[i]) + L"m - a.cpp(1)")) << lines[i];
}

TEST_F(DebugLogTest, LevelMaskDecidesWhichLinesGoOut)
{
    struct Case
    {
        DWORD mask;
        bool function, info, error;
    };
    for (const Case& c :
         {Case{256, false, false, true}, Case{273, true, true, true}, Case{0, false, false, false}})
    {
        SCOPED_TRACE(c.mask);
        Sandbox(c.mask);
        ASSERT_TRUE(Start());
        EXPECT_EQ(c.function, m_log.Trace("a.cpp", 1, Level::Function, L"f"));
        EXPECT_EQ(c.info, m_log.Trace("a.cpp", 2, Level::Info, L"i"));
        EXPECT_EQ(c.error, m_log.Trace("a.cpp", 3, Level::Error, L"e"));
        const size_t expected = size_t(c.function) + c.info + c.error;
        EXPECT_EQ(expected, Lines().size());
        m_log.Uninitialize();
    }
}

TEST_F(DebugLogTest, MissingEnableOrMissingKeyMeansOffAndNothingIsWritten)
{
    Sandbox(273);
    DeleteTraceValue(L"Enable");
    ASSERT_TRUE(Start());
    EXPECT_TRUE(m_log.Trace("a.cpp", 1, Level::Error, L"e"));
    m_log.Uninitialize();

    TestSupport::DeleteRegTree(HKEY_LOCAL_MACHINE, TestSupport::kDebugLogKey);
    ASSERT_TRUE(Start());
    EXPECT_TRUE(m_log.Trace("a.cpp", 1, Level::Error, L"e"));
    EXPECT_TRUE(Files().empty());
}

TEST_F(DebugLogTest, MissingLaterValueStopsReadingButKeepsEarlierOnes)
{
    Sandbox(273);
    DeleteTraceValue(L"LogPrefix");
    ASSERT_TRUE(Start());
    EXPECT_TRUE(m_log.Trace("a.cpp", 1, Level::Function, L"f"));
    // Enable, Level and LogFolder were read; prefix and extension stayed empty.
    EXPECT_EQ(std::vector<std::wstring>{L"04032026_Norquill"}, Files());
    EXPECT_EQ(1u, Lines().size());
}

TEST_F(DebugLogTest, IniSettingsApplyTheirDefaultsForMissingValues)
{
    Sandbox(0);
    TestSupport::TempFolder iniFolder;
    const std::wstring ini = iniFolder.Path() + L"trace.ini";
    WritePrivateProfileStringW(L"InteractiveSession", L"Enable", L"1", ini.c_str());
    WritePrivateProfileStringW(L"InteractiveSession", L"Level", L"273", ini.c_str());
    WritePrivateProfileStringW(L"InteractiveSession", L"LogFolder", m_sandbox->Folder().c_str(), ini.c_str());
    const KvCommon::Storage::Key key{KvCommon::Storage::KindIniFile,
                                     reinterpret_cast<HKEY>(const_cast<wchar_t*>(iniFolder.Path().c_str())),
                                     L"trace.ini"};
    ASSERT_TRUE(m_log.Initialize(L"Norquill", key, TestSupport::BinFolder()));
    EXPECT_TRUE(m_log.Trace("a.cpp", 1, Level::Function, L"f"));
    EXPECT_EQ(std::vector<std::wstring>{kDayFile}, Files());
}

TEST_F(DebugLogTest, LongTextsArriveWholeWhileTheRecordCutsTheModuleName)
{
    Sandbox(273);
    const std::wstring module(40, L'M');
    const std::wstring message = std::wstring(599, L'x') + L"y";
    ASSERT_TRUE(Start(module));
    EXPECT_TRUE(m_log.Trace("a.cpp", 7, Level::Info, L"%s", message.c_str()));
    EXPECT_EQ(std::vector<std::wstring>{L"04032026_bsq" + std::wstring(31, L'M') + L".log"}, Files());
    ASSERT_EQ(1u, Lines().size());
    EXPECT_NE(std::wstring::npos, Lines()[0].find(Middle(L"@@@", module) + message + L" - a.cpp(7)"));
}

TEST_F(DebugLogTest, TraceWorksOnlyBetweenInitializeAndUninitialize)
{
    Sandbox(256);
    EXPECT_FALSE(m_log.Trace("a.cpp", 1, Level::Error, L"before"));
    EXPECT_FALSE(m_log.Uninitialize());
    ASSERT_TRUE(Start());
    EXPECT_FALSE(m_log.Trace("a.cpp", 2, Level::Info, L"masked"));
    // A second Initialize re-reads the mask; reloading the held library would make it fail.
    TestSupport::SetRegDword(HKEY_LOCAL_MACHINE, TestSupport::kInteractiveTraceKey, L"Level", 273);
    ASSERT_TRUE(Start());
    EXPECT_TRUE(m_log.Trace("a.cpp", 3, Level::Info, L"during"));
    EXPECT_TRUE(m_log.Uninitialize());
    EXPECT_FALSE(m_log.Trace("a.cpp", 4, Level::Error, L"after"));
    EXPECT_FALSE(m_log.Uninitialize());
    ASSERT_EQ(1u, Lines().size());
    EXPECT_NE(std::wstring::npos, Lines()[0].find(L"during"));
}

TEST_F(DebugLogTest, MissingOrBrokenLibraryOrStorageMakesTraceFail)
{
    Sandbox(273);
    TestSupport::TempFolder empty;
    const std::wstring bin = TestSupport::BinFolder();
    for (const std::wstring& folder :
         {empty.Path(), bin + L"kvdbg_noentry", bin + L"kvdbg_failinit\\", bin + L"kvdbg_nullhandle"})
    {
        SCOPED_TRACE(folder);
        DebugLog log;
        EXPECT_FALSE(Start(log, folder));
        EXPECT_FALSE(log.Trace("a.cpp", 1, Level::Error, L"e"));
        EXPECT_FALSE(log.Uninitialize());
    }
    DebugLog unsupported;
    EXPECT_FALSE(
        unsupported.Initialize(L"Norquill", KvCommon::Storage::Key{7, HKEY_LOCAL_MACHINE, L""}, bin));
    EXPECT_FALSE(unsupported.Trace("a.cpp", 1, Level::Error, L"e"));
    DebugLog refusing;
    ASSERT_TRUE(Start(refusing, bin + L"kvdbg_failtrace"));
    EXPECT_FALSE(refusing.Trace("a.cpp", 1, Level::Error, L"e"));
    EXPECT_TRUE(refusing.Uninitialize());
    EXPECT_TRUE(Files().empty());
}

TEST_F(DebugLogTest, LinesOfConcurrentThreadsArriveWholeAndInOrder)
{
    constexpr int kThreads = 8;
    constexpr int kLines = 1000;
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

    const std::vector<std::wstring> lines = Lines();
    ASSERT_EQ(size_t(kThreads * kLines), lines.size());
    std::vector<int> next(kThreads, 0);
    for (const std::wstring& line : lines)
    {
        int t = -1, n = -1;
        const size_t at = line.find(L"> thread ");
        ASSERT_NE(std::wstring::npos, at) << line;
        ASSERT_EQ(2, swscanf_s(line.c_str() + at, L"> thread %d line %d", &t, &n)) << line;
        ASSERT_TRUE(t >= 0 && t < kThreads) << line;
        EXPECT_EQ(next[t]++, n) << line;
        EXPECT_EQ(0u, line.find(L"04/03/2026 05:06:07.089 "));
        EXPECT_EQ(line.size() - 16, line.find(L" - worker.cpp(9)")) << line;
    }
}

TEST(DebugLogSession, ServiceSessionOnlyForSessionZeroOrLocalSystemBelowVersion6)
{
    using KvCommon::IsServiceSessionChoice;
    // version 6 or later: the session decides
    EXPECT_TRUE(IsServiceSessionChoice(true, true, true, true, 0, false));
    EXPECT_FALSE(IsServiceSessionChoice(true, true, true, true, 1, true));
    EXPECT_FALSE(IsServiceSessionChoice(true, true, true, false, 0, true));
    // version 5: LocalSystem decides
    EXPECT_TRUE(IsServiceSessionChoice(true, true, false, false, 0xFFFFFFFF, true));
    EXPECT_FALSE(IsServiceSessionChoice(true, true, false, true, 0, false));
    // failed version query or older systems: always interactive
    EXPECT_FALSE(IsServiceSessionChoice(false, true, true, true, 0, true));
    EXPECT_FALSE(IsServiceSessionChoice(true, false, false, true, 0, true));
}

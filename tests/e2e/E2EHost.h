#pragma once
// The tests' own host: loads the built DLL as a real host does and records what the plug-in asks of it.
#include "HostObjects.h"
#include "SrvFrwk_EventLog.h"
#include "TestSupport.h"

#include <gtest/gtest.h>
#include <shlobj.h>

#include <algorithm>
#include <memory>
#include <tuple>

namespace E2E
{
// A value of the settings key; empty when missing or of another type.
inline std::vector<BYTE> SettingBytes(const wchar_t* name, DWORD wantedType = REG_BINARY)
{
    DWORD type = 0;
    std::vector<BYTE> data;
    TestSupport::GetRegValue(HKEY_LOCAL_MACHINE, TestSupport::kEventLogKey, name, type, data);
    return type == wantedType ? data : std::vector<BYTE>();
}

template <class T> std::vector<BYTE> Bytes(const T& t)
{
    return std::vector<BYTE>(reinterpret_cast<const BYTE*>(&t), reinterpret_cast<const BYTE*>(&t + 1));
}

// A sample event of every kind: sub-type, day-file extension, the stamp a day's first event sets (null:
// none), the record and its line's fields.
template <class Visit> void ForEachKind(Visit&& visit)
{
    using namespace SrvFrwk::EventLog;
    visit(1, L"VLG", L"VIRLastDate",
          VirusLogRecord{12, 0x1A, L"Eicar", 0, 0, 0, -4, {}, L"C:\\v.exe", L"d", {}},
          L"00000012|0000001a|2|1|Eicar|C:\\v.exe (d)|0|0|0|-4");
    visit(2, L"SPG", L"SPYLastDate",
          SpyLogRecord{{}, 3, L"", 0, L"P", L"", L"N", L"", L"", 1, 0, 0, {}, L"", 0, {}, 0, {}},
          L"0x00000001|0|P||N|||3||0|0|");
    visit(3, L"VAG", L"VLNLastDate", VaLogRecord{L"abc", 12345678, 0, L"xyz", {}}, L"abc|1234567|0|xyz");
    visit(4, L"PTG", L"TSCLastDate", TscLogRecord{L"abc", 42, {}}, L"abc|42");
    visit(5, L"UPG", L"UPGLastDate", AuLogRecord{1, 0, -1, 7, L"A", L"B", {}}, L"1|0|-1|7|A|B");
    visit(6, L"HCG", L"HISLastDate", HisCleanLogRecord{1, {}, 0, {}, 5368709120LL, {}, 3, {}},
          L"3|1|1073741824");
    visit(7, L"ULG", L"URLLastDate", UrlFilterLogRecord{0, 0x80, L"http://x", 0, L"", L"", 0, 0, L"t4", {}},
          L"00000000|00000080|http://x|t4||");
    visit(8, L"PPG", L"PVYLastDate", PvyLogRecord{2, 0, L"t1", 0, L"t2", L"", L"", L"", L"t6", {}},
          L"2|0|t1|0|t2|t6");
    visit(9, L"HLG", L"PHALastDate", PhishAlertLogRecord{0, 128, 7, L"t1", L"", L"t3", {}}, L"0|128|7|t1|");
    visit(10, L"SCG", nullptr,
          SpyLogRecord{{}, 16, L"", 0, L"", L"", L"N", L"", L"", 0, 0, 0, {}, L"", 1, {}, 0, {}},
          L"0x00000000|0|||16|N||||0|0|");
}

// Today by the real clock, as the DLL reads it, at 12:00:00.000, moved by whole days.
inline SYSTEMTIME NoonInDays(int days)
{
    SYSTEMTIME t = TestSupport::Today();
    t.wHour = 12;
    t.wMinute = t.wSecond = t.wMilliseconds = 0;
    ULARGE_INTEGER value{};
    SystemTimeToFileTime(&t, reinterpret_cast<FILETIME*>(&value));
    value.QuadPart += days * 864000000000LL;
    FileTimeToSystemTime(reinterpret_cast<FILETIME*>(&value), &t);
    return t;
}

// The trace file of that day as the tests' trace settings name it.
inline std::wstring DebugLogName(int days)
{
    const std::wstring date = TestSupport::DateText(NoonInDays(days)); // "YYYYMMDD", the name's "DDMMYYYY"
    return date.substr(6) + date.substr(4, 2) + date.substr(0, 4) + L"_bsqNorquill.log";
}

// The shortcut the setup-hook action removes: a test that finds a real one must stop.
inline std::wstring StartupLink()
{
    wchar_t startup[MAX_PATH] = {};
    SHGetSpecialFolderPathW(nullptr, startup, CSIDL_COMMON_STARTUP, FALSE);
    return std::wstring(startup) + L"\\qelsetup.lnk";
}

// The process's current folder for a scope.
struct CurrentFolder
{
    explicit CurrentFolder(const std::wstring& folder)
    {
        GetCurrentDirectoryW(MAX_PATH, previous);
        EXPECT_TRUE(SetCurrentDirectoryW(folder.c_str()));
    }
    ~CurrentFolder() { SetCurrentDirectoryW(previous); }
    wchar_t previous[MAX_PATH] = {};
};

constexpr const wchar_t* kFunc = L".w.";
constexpr const wchar_t* kError = L"!!!";

// Lines of the tag and, when given, of exactly that message.
inline size_t CountTrace(const std::vector<std::wstring>& lines, const wchar_t* tag,
                         const std::wstring& message = L"")
{
    const std::wstring needle =
        std::wstring(L" ") + tag + L" <Norquill> " + (message.empty() ? L"" : message + L" - ");
    return std::count_if(lines.begin(), lines.end(),
                         [&](const std::wstring& line) { return line.find(needle) != std::wstring::npos; });
}

inline void ExpectTraces(const std::vector<std::wstring>& lines,
                         std::initializer_list<std::tuple<size_t, const wchar_t*, std::wstring>> expected)
{
    for (const auto& [count, tag, message] : expected)
        EXPECT_EQ(count, CountTrace(lines, tag, message)) << tag << L" " << message;
}

// Each test loads the DLL afresh after switching tracing on (the settings are read at process attach),
// with a fresh installation folder and settings key.
class NorquillTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_dll->Loaded()) << "Norquill.dll not loaded"; }
    void TearDown() override { Unload(); }

    NorquillDll& Dll() { return *m_dll; }
    SrvFrwk::Interface::IEnforceProvider* Provider()
    {
        if (!m_provider)
        {
            Dll().SfPv_Initialize();
            EXPECT_EQ(SrvFrwk::RESULT_SUCCESS,
                      Dll().SfPv_CreateProvider(&m_provider, SrvFrwk::CONTROLLER_TYPE,
                                                SrvFrwk::PROVIDER_TYPE_EVENTLOG, &controller, 0, 0));
        }
        return m_provider;
    }

    // Frees the provider in the host's order and unloads the DLL, which flushes the trace.
    void Unload()
    {
        if (m_provider)
        {
            Dll().SfPv_FreeProvider(m_provider, SrvFrwk::CONTROLLER_TYPE, SrvFrwk::PROVIDER_TYPE_EVENTLOG, 0,
                                    0);
            Dll().SfPv_Uninitialize();
            m_provider = nullptr;
        }
        m_dll.reset();
    }
    void Reload()
    {
        Unload();
        m_dll = std::make_unique<NorquillDll>();
    }
    std::vector<std::wstring> UnloadAndReadTrace() { return Unload(), trace.Lines(); }
    std::wstring TodayFile(const wchar_t* extension) const
    {
        return sandbox.LogFolder() + TestSupport::DateText(TestSupport::Today()) + L"." + extension;
    }

    TestSupport::TraceSandbox trace;
    TestSupport::EventLogSandbox sandbox;
    RecordingController controller;

private:
    std::unique_ptr<NorquillDll> m_dll = std::make_unique<NorquillDll>();
    SrvFrwk::Interface::IEnforceProvider* m_provider = nullptr;
};
} // namespace E2E

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
#define E2E_ENTRY(name) PFN_##name name = Entry<PFN_##name>(#name)
class NorquillDll
{
public:
    explicit NorquillDll(const std::wstring& path = TestSupport::BinFolder() + L"Norquill.dll")
        : m_module(LoadLibraryW(path.c_str()))
    {
    }
    ~NorquillDll()
    {
        if (m_module)
            FreeLibrary(m_module);
    }

    bool Loaded() const
    {
        return SfSv_Initialize && SfSv_Uninitialize && SfSv_CreateService && SfSv_FreeService &&
               SfPv_Initialize && SfPv_Uninitialize && SfPv_CreateProvider && SfPv_FreeProvider;
    }

    // Also the extra entries of a test build of the plug-in.
    template <class T> T Entry(const char* name)
    {
        return m_module ? reinterpret_cast<T>(reinterpret_cast<void*>(GetProcAddress(m_module, name)))
                        : nullptr;
    }

private:
    HMODULE m_module;

public:
    E2E_ENTRY(SfSv_Initialize);
    E2E_ENTRY(SfSv_Uninitialize);
    E2E_ENTRY(SfSv_CreateService);
    E2E_ENTRY(SfSv_FreeService);
    E2E_ENTRY(SfPv_Initialize);
    E2E_ENTRY(SfPv_Uninitialize);
    E2E_ENTRY(SfPv_CreateProvider);
    E2E_ENTRY(SfPv_FreeProvider);
};
#undef E2E_ENTRY

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
    const SYSTEMTIME t = NoonInDays(days);
    wchar_t date[16];
    _snwprintf_s(date, 16, _TRUNCATE, L"%02d%02d%04d", t.wDay, t.wMonth, t.wYear);
    return std::wstring(date) + L"_bsqNorquill.log";
}

// The shortcut the setup-hook action removes: a test that finds a real one must stop.
inline std::wstring StartupLink()
{
    wchar_t startup[MAX_PATH] = {};
    SHGetSpecialFolderPathW(nullptr, startup, CSIDL_COMMON_STARTUP, FALSE);
    return std::wstring(startup) + L"\\qelsetup.lnk";
}

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
    std::vector<std::wstring> UnloadAndReadTrace() { return Unload(), trace.Lines(); }

    TestSupport::TraceSandbox trace;
    TestSupport::EventLogSandbox sandbox;
    RecordingController controller;

private:
    std::unique_ptr<NorquillDll> m_dll = std::make_unique<NorquillDll>();
    SrvFrwk::Interface::IEnforceProvider* m_provider = nullptr;
};
} // namespace E2E

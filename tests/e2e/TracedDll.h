#pragma once
// Tests that read the trace must load the DLL after switching tracing on: the settings are read at
// process attach. This fixture loads a fresh DLL per test and reads the lines after unloading it.
#include "E2EHost.h"

#include <memory>

namespace E2E
{
inline std::wstring TraceNeedle(const wchar_t* tag, const std::wstring& message)
{
    return std::wstring(L" ") + tag + L" <Norquill> " + message + L" - ";
}

inline size_t CountTrace(const std::vector<std::wstring>& lines, const wchar_t* tag,
                         const std::wstring& message)
{
    const std::wstring needle = TraceNeedle(tag, message);
    size_t count = 0;
    for (const std::wstring& line : lines)
        count += line.find(needle) != std::wstring::npos ? 1 : 0;
    return count;
}

inline size_t CountTag(const std::vector<std::wstring>& lines, const wchar_t* tag)
{
    const std::wstring needle = std::wstring(L" ") + tag + L" <Norquill> ";
    size_t count = 0;
    for (const std::wstring& line : lines)
        count += line.find(needle) != std::wstring::npos ? 1 : 0;
    return count;
}

constexpr const wchar_t* kFunc = L".w.";
constexpr const wchar_t* kInfo = L"@@@";
constexpr const wchar_t* kError = L"!!!";

class TracedDllTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_dll.reset(new NorquillDll());
        ASSERT_TRUE(m_dll->Loaded()) << "Norquill.dll not loaded";
    }
    void TearDown() override { m_dll.reset(); }

    NorquillDll& Dll() { return *m_dll; }

    // Unloads the DLL (which flushes the trace) and returns every line written.
    std::vector<std::wstring> UnloadAndReadTrace()
    {
        m_dll.reset();
        return m_trace.Lines();
    }

    TestSupport::TraceSandbox m_trace;
    TestSupport::EventLogSandbox m_sandbox;
    std::unique_ptr<NorquillDll> m_dll;
};
} // namespace E2E

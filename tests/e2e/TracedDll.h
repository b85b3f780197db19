#pragma once
// Tests that read the trace must load the DLL after switching tracing on: the settings are read at
// process attach. This fixture loads a fresh DLL per test and reads the lines after unloading it.
#include "E2EHost.h"

#include <algorithm>
#include <memory>

namespace E2E
{
constexpr const wchar_t* kFunc = L".w.";
constexpr const wchar_t* kInfo = L"@@@";
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

struct Traced
{
    size_t count;
    const wchar_t* tag;
    std::wstring message;
};

inline void ExpectTraces(const std::vector<std::wstring>& lines, std::initializer_list<Traced> expected)
{
    for (const Traced& t : expected)
        EXPECT_EQ(t.count, CountTrace(lines, t.tag, t.message)) << t.tag << L" " << t.message;
}

class TracedDllTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_dll->Loaded()) << "Norquill.dll not loaded"; }

    NorquillDll& Dll() { return *m_dll; }

    // Unloads the DLL (which flushes the trace) and returns every line written.
    std::vector<std::wstring> UnloadAndReadTrace()
    {
        m_dll.reset();
        return m_trace.Lines();
    }

    TestSupport::TraceSandbox m_trace;
    TestSupport::EventLogSandbox m_sandbox;
    std::unique_ptr<NorquillDll> m_dll = std::make_unique<NorquillDll>();
};
} // namespace E2E

#include "KvComn_KvDbg.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <share.h>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

using KvCommon::KvDbgSettings;

namespace
{
const SYSTEMTIME kMarch4{2026, 3, 3, 4, 23, 59, 59, 999};
const SYSTEMTIME kMarch5{2026, 3, 4, 5, 0, 0, 0, 0};

template <class Pfn> Pfn Entry(HMODULE module, const char* name)
{
    return reinterpret_cast<Pfn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

KvDbgSettings MakeSettings(const std::wstring& folder, bool robust = true, DWORD logProcess = 0,
                           const std::wstring& logFile = L"")
{
    KvDbgSettings s;
    memset(&s, 0, sizeof(s));
    wcsncpy_s(s.szModule, L"Mod", _TRUNCATE);
    wcsncpy_s(s.szLogFolder, folder.c_str(), _TRUNCATE);
    wcsncpy_s(s.szLogPrefix, L"bsq", _TRUNCATE);
    wcsncpy_s(s.szLogFile, logFile.c_str(), _TRUNCATE);
    wcsncpy_s(s.szLogExtension, L"log", _TRUNCATE);
    s.bRobust = robust ? 1 : 0;
    s.dwLogProcess = logProcess;
    return s;
}

// The library through its exports, as the trace object and other programs see it.
class Library
{
public:
    explicit Library(const std::wstring& path) : m_module(LoadLibraryW(path.c_str()))
    {
        init = Entry<KvCommon::PFN_KvDbgInitialize>(m_module, "KvDbgInitialize");
        uninit = Entry<KvCommon::PFN_KvDbgUninitialize>(m_module, "KvDbgUninitialize");
        trace = Entry<KvCommon::PFN_KvDbgTrace>(m_module, "KvDbgTrace");
    }
    ~Library()
    {
        if (m_module)
            FreeLibrary(m_module);
    }
    bool Loaded() const { return init && uninit && trace; }

    KvCommon::PFN_KvDbgInitialize init = nullptr;
    KvCommon::PFN_KvDbgUninitialize uninit = nullptr;
    KvCommon::PFN_KvDbgTrace trace = nullptr;

private:
    HMODULE m_module;
};

class KvDbg64Test : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_lib.Loaded()); }
    void TearDown() override
    {
        if (m_handle)
            m_lib.uninit(m_handle);
    }
    void Open(bool robust = true, DWORD logProcess = 0, const std::wstring& logFile = L"")
    {
        KvDbgSettings s = MakeSettings(m_dir.Path(), robust, logProcess, logFile);
        ASSERT_EQ(0, m_lib.init(&m_handle, &s));
        ASSERT_NE(nullptr, m_handle);
    }
    void Close()
    {
        EXPECT_EQ(0, m_lib.uninit(m_handle));
        m_handle = nullptr;
    }
    int Write(const SYSTEMTIME& t, const wchar_t* line) { return m_lib.trace(m_handle, &t, line); }
    std::wstring Text(const std::wstring& name) const
    {
        return TestSupport::ReadUtf16File(m_dir.Path() + name);
    }

    TestSupport::TempFolder m_dir;
    Library m_lib{TestSupport::BinFolder() + L"KvDbg64.dll"};
    void* m_handle = nullptr;
};

std::vector<std::wstring> SortedFiles(const std::wstring& folder)
{
    std::vector<std::wstring> files = TestSupport::ListFiles(folder);
    std::sort(files.begin(), files.end());
    return files;
}

bool CanOpenExcludingWriters(const std::wstring& path)
{
    FILE* f = _wfsopen(path.c_str(), L"rb", _SH_DENYWR);
    if (f)
        fclose(f);
    return f != nullptr;
}
} // namespace

TEST_F(KvDbg64Test, EachDayGetsItsOwnFileStartingWithByteOrderMark)
{
    Open();
    EXPECT_EQ(0, Write(kMarch4, L"a\r\n"));
    EXPECT_EQ(0, Write(kMarch5, L"b\r\n"));
    EXPECT_EQ(0, Write(kMarch4, L"c\r\n"));
    Close();
    Open();
    EXPECT_EQ(0, Write(kMarch4, L"d\r\n"));

    EXPECT_EQ((std::vector<std::wstring>{L"04032026_bsqMod.log", L"05032026_bsqMod.log"}),
              SortedFiles(m_dir.Path()));
    EXPECT_EQ(L"\xFEFF"
              L"a\r\nc\r\nd\r\n",
              Text(L"04032026_bsqMod.log"));
    EXPECT_EQ(L"\xFEFF"
              L"b\r\n",
              Text(L"05032026_bsqMod.log"));
}

TEST_F(KvDbg64Test, LogFileReplacesModuleAndLogProcessAddsProcessId)
{
    Open(true, 0, L"svc");
    EXPECT_EQ(0, Write(kMarch4, L"x"));
    Close();
    Open(true, 1);
    EXPECT_EQ(0, Write(kMarch4, L"y"));
    const std::wstring perProcess = L"04032026_bsqMod_" + std::to_wstring(GetCurrentProcessId()) + L".log";
    EXPECT_EQ((std::vector<std::wstring>{perProcess, L"04032026_bsqsvc.log"}), SortedFiles(m_dir.Path()));
}

TEST_F(KvDbg64Test, EmptyLogFolderMeansDebugLogFolderBesideTheLibrary)
{
    TestSupport::TempFolder copy;
    ASSERT_TRUE(CopyFileW((TestSupport::BinFolder() + L"KvDbg64.dll").c_str(),
                          (copy.Path() + L"KvDbg64.dll").c_str(), FALSE));
    {
        Library lib(copy.Path() + L"KvDbg64.dll");
        ASSERT_TRUE(lib.Loaded());
        KvDbgSettings s = MakeSettings(L"");
        void* handle = nullptr;
        ASSERT_EQ(0, lib.init(&handle, &s));
        EXPECT_EQ(0, lib.trace(handle, &kMarch4, L"z\r\n"));
        lib.uninit(handle);
    }
    EXPECT_EQ(L"\xFEFF"
              L"z\r\n",
              TestSupport::ReadUtf16File(copy.Path() + L"DebugLog\\04032026_bsqMod.log"));
}

TEST_F(KvDbg64Test, OnlyANonRobustWriterKeepsTheFileOpenBetweenLines)
{
    const std::wstring path = m_dir.Path() + L"04032026_bsqMod.log";
    Open(true);
    EXPECT_EQ(0, Write(kMarch4, L"robust\r\n"));
    EXPECT_TRUE(CanOpenExcludingWriters(path));
    Close();

    Open(false);
    EXPECT_EQ(0, Write(kMarch4, L"kept\r\n"));
    EXPECT_FALSE(CanOpenExcludingWriters(path));
    EXPECT_EQ(L"\xFEFF"
              L"robust\r\nkept\r\n",
              Text(L"04032026_bsqMod.log"));
    Close();
    EXPECT_TRUE(CanOpenExcludingWriters(path));
}

TEST_F(KvDbg64Test, SecondWriterOfAHeldFileWritesItsOwnFileForTheDay)
{
    Open(false);
    EXPECT_EQ(0, Write(kMarch4, L"first\r\n"));
    KvDbgSettings s = MakeSettings(m_dir.Path(), true);
    void* second = nullptr;
    ASSERT_EQ(0, m_lib.init(&second, &s));
    EXPECT_EQ(0, m_lib.trace(second, &kMarch4, L"second\r\n"));
    EXPECT_EQ(0, m_lib.trace(second, &kMarch4, L"third\r\n"));
    m_lib.uninit(second);

    const std::wstring own = L"04032026_bsqMod_" + std::to_wstring(GetCurrentProcessId()) + L".log";
    EXPECT_EQ((std::vector<std::wstring>{L"04032026_bsqMod.log", own}), SortedFiles(m_dir.Path()));
    EXPECT_EQ(L"\xFEFF"
              L"first\r\n",
              Text(L"04032026_bsqMod.log"));
    EXPECT_EQ(L"\xFEFF"
              L"second\r\nthird\r\n",
              Text(own));
}

TEST_F(KvDbg64Test, WritersInSeveralProcessesKeepEveryLineWholeAndInOrder)
{
    constexpr int kLines = 1500;
    std::vector<PROCESS_INFORMATION> children;
    // p1 flushes every line, which is slow; it needs fewer lines to overlap the others.
    const std::map<std::wstring, int> expected{{L"p0", kLines}, {L"p1", 200}, {L"p2", kLines}};
    for (const wchar_t* args : {L" p1 200 1", L" p2 1500 0"})
    {
        std::wstring cmd =
            L"\"" + TestSupport::BinFolder() + L"kvdbg_writer.exe\" \"" + m_dir.Path() + L"\\\"" + args;
        STARTUPINFOW si{};
        si.cb = sizeof(si);
        PROCESS_INFORMATION pi{};
        ASSERT_TRUE(CreateProcessW(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
        children.push_back(pi);
    }
    KvDbgSettings s = MakeSettings(m_dir.Path(), false);
    wcsncpy_s(s.szModule, L"Shared", _TRUNCATE);
    ASSERT_EQ(0, m_lib.init(&m_handle, &s));
    for (int n = 0; n < kLines; ++n)
        EXPECT_EQ(0, Write(kMarch4,
                           (L"p0 " + std::to_wstring(n) + L" " + std::wstring(40, L'.') + L"\r\n").c_str()));
    for (PROCESS_INFORMATION& pi : children)
    {
        DWORD code = 1;
        WaitForSingleObject(pi.hProcess, 120000);
        GetExitCodeProcess(pi.hProcess, &code);
        EXPECT_EQ(0u, code);
        CloseHandle(pi.hProcess);
        CloseHandle(pi.hThread);
    }
    Close();

    // Each writer's lines may sit in the shared file or its own, but each arrives once, whole, in order.
    std::map<std::wstring, std::vector<int>> numbers;
    for (const std::wstring& name : SortedFiles(m_dir.Path()))
    {
        SCOPED_TRACE(name);
        const std::wstring text = Text(name);
        ASSERT_FALSE(text.empty());
        EXPECT_EQ(L'\xFEFF', text[0]);
        EXPECT_EQ(std::wstring::npos, text.find(L'\xFEFF', 1));
        std::map<std::wstring, int> last;
        for (size_t start = 1, end; (end = text.find(L"\r\n", start)) != std::wstring::npos; start = end + 2)
        {
            const std::wstring line = text.substr(start, end - start);
            wchar_t tag[8] = {};
            int n = -1;
            ASSERT_EQ(2, swscanf_s(line.c_str(), L"%2s %d", tag, 8, &n)) << line;
            EXPECT_EQ(std::wstring(tag) + L" " + std::to_wstring(n) + L" " + std::wstring(40, L'.'), line);
            EXPECT_TRUE(last.count(tag) == 0 || last[tag] < n) << line;
            last[tag] = n;
            numbers[tag].push_back(n);
        }
    }
    ASSERT_EQ(3u, numbers.size());
    for (auto& [tag, list] : numbers)
    {
        SCOPED_TRACE(tag);
        std::sort(list.begin(), list.end());
        ASSERT_EQ(size_t(expected.at(tag)), list.size());
        EXPECT_EQ(expected.at(tag) - 1, list.back());
        EXPECT_TRUE(std::adjacent_find(list.begin(), list.end()) == list.end());
    }
}

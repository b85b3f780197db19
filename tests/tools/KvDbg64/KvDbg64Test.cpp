#include "KvComn_KvDbg.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <share.h>
#include <algorithm>
#include <cstdio>

namespace
{
const SYSTEMTIME kMarch4{2026, 3, 3, 4, 23, 59, 59, 999};
const std::wstring kBom = L"\xFEFF";

// The library through its exports, as the trace object and other programs see it.
struct Library
{
    explicit Library(const std::wstring& path) : module(::LoadLibraryW(path.c_str())) {}
    ~Library() { ::FreeLibrary(module); }
    template <class Pfn> Pfn Entry(const char* name)
    {
        return reinterpret_cast<Pfn>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
    }
    void* Open(const std::wstring& folder, bool robust, DWORD logProcess = 0, const wchar_t* logFile = L"",
               const wchar_t* extension = L"log")
    {
        KvCommon::KvDbgSettings s{};
        wcsncpy_s(s.szModule, L"Mod", _TRUNCATE);
        wcsncpy_s(s.szLogFolder, folder.c_str(), _TRUNCATE);
        wcsncpy_s(s.szLogPrefix, L"bsq", _TRUNCATE);
        wcsncpy_s(s.szLogFile, logFile, _TRUNCATE);
        wcsncpy_s(s.szLogExtension, extension, _TRUNCATE);
        s.bRobust = robust;
        s.dwLogProcess = logProcess;
        void* handle = nullptr;
        EXPECT_EQ(0, init(&handle, &s));
        return handle;
    }
    void WriteAll(void* handle, std::initializer_list<std::pair<SYSTEMTIME, const wchar_t*>> lines)
    {
        ASSERT_NE(nullptr, handle);
        for (const auto& [day, line] : lines)
            EXPECT_EQ(0, trace(handle, &day, line));
        EXPECT_EQ(0, uninit(handle));
    }

    HMODULE module;
    KvCommon::PFN_KvDbgInitialize init = Entry<KvCommon::PFN_KvDbgInitialize>("KvDbgInitialize");
    KvCommon::PFN_KvDbgUninitialize uninit = Entry<KvCommon::PFN_KvDbgUninitialize>("KvDbgUninitialize");
    KvCommon::PFN_KvDbgTrace trace = Entry<KvCommon::PFN_KvDbgTrace>("KvDbgTrace");
};

class KvDbg64Test : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_lib.init && m_lib.uninit && m_lib.trace); }
    std::vector<std::wstring> Files() const
    {
        std::vector<std::wstring> files = TestSupport::ListFiles(m_dir.Path());
        std::sort(files.begin(), files.end());
        return files;
    }
    std::wstring Text(const std::wstring& name) const
    {
        return TestSupport::ReadUtf16File(m_dir.Path() + name);
    }

    TestSupport::TempFolder m_dir;
    Library m_lib{TestSupport::BinFolder() + L"KvDbg64.dll"};
    const std::wstring m_own = L"04032026_bsqMod_" + std::to_wstring(::GetCurrentProcessId()) + L".log";
};

bool CanOpenExcludingWriters(const std::wstring& path)
{
    FILE* f = _wfsopen(path.c_str(), L"rb", _SH_DENYWR);
    return f && fclose(f) == 0;
}
} // namespace

TEST_F(KvDbg64Test, EachDayAndNameGetsItsOwnFileStartingWithOneByteOrderMark)
{
    m_lib.WriteAll(
        m_lib.Open(m_dir.Path(), true),
        {{kMarch4, L"a\r\n"}, {SYSTEMTIME{2026, 3, 4, 5, 0, 0, 0, 0}, L"b\r\n"}, {kMarch4, L"c\r\n"}});
    m_lib.WriteAll(m_lib.Open(m_dir.Path(), true), {{kMarch4, L"d\r\n"}});
    m_lib.WriteAll(m_lib.Open(m_dir.Path(), true, 0, L"svc"),
                   {{kMarch4, L"x"}});                                    // LogFile replaces the module
    m_lib.WriteAll(m_lib.Open(m_dir.Path(), true, 1), {{kMarch4, L"y"}}); // LogProcess adds the process id

    EXPECT_EQ((std::vector<std::wstring>{L"04032026_bsqMod.log", m_own, L"04032026_bsqsvc.log",
                                         L"05032026_bsqMod.log"}),
              Files());
    EXPECT_EQ(kBom + L"a\r\nc\r\nd\r\n", Text(L"04032026_bsqMod.log"));
    EXPECT_EQ(kBom + L"b\r\n", Text(L"05032026_bsqMod.log"));
}

TEST_F(KvDbg64Test, OnlyANonRobustWriterHoldsTheFileAndASecondWriterThenUsesItsOwn)
{
    const std::wstring path = m_dir.Path() + L"04032026_bsqMod.log";
    m_lib.WriteAll(m_lib.Open(m_dir.Path(), true), {{kMarch4, L"robust\r\n"}});
    void* holder = m_lib.Open(m_dir.Path(), false);
    EXPECT_EQ(0, m_lib.trace(holder, &kMarch4, L"kept\r\n"));
    EXPECT_FALSE(CanOpenExcludingWriters(path));
    m_lib.WriteAll(m_lib.Open(m_dir.Path(), true), {{kMarch4, L"second\r\n"}, {kMarch4, L"third\r\n"}});
    EXPECT_EQ(0, m_lib.uninit(holder));
    EXPECT_TRUE(CanOpenExcludingWriters(path));

    EXPECT_EQ((std::vector<std::wstring>{L"04032026_bsqMod.log", m_own}), Files());
    EXPECT_EQ(kBom + L"robust\r\nkept\r\n", Text(L"04032026_bsqMod.log"));
    EXPECT_EQ(kBom + L"second\r\nthird\r\n", Text(m_own));
}

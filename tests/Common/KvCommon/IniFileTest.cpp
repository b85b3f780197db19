#include "KvComn_IniFile.h"
#include "Checks.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

using Checks::RaisedCode;
using KvCommon::Storage::IniFile;

namespace
{
// The INI kind carries the folder text in the root field.
KvCommon::Storage::Key IniKey(const std::wstring& folder)
{
    return {KvCommon::Storage::KindIniFile, reinterpret_cast<HKEY>(const_cast<wchar_t*>(folder.c_str())),
            L"trace.ini"};
}

std::string FileText(const std::wstring& path)
{
    const std::vector<BYTE> bytes = TestSupport::ReadFileBytes(path);
    return std::string(bytes.begin(), bytes.end());
}
} // namespace

TEST(IniFileTest, FolderAndFileAreJoinedWithOneSeparator)
{
    TestSupport::TempFolder folder;
    const std::wstring bare = folder.Path().substr(0, folder.Path().size() - 1);
    IniFile ini, other;
    ASSERT_TRUE(ini.Create(IniKey(folder.Path()), L"Session") && other.Open(IniKey(bare), L"Session"));
    EXPECT_EQ(folder.Path() + L"trace.ini", other.GetFile());
    EXPECT_EQ(other.GetFile(), ini.GetFile());
    EXPECT_EQ(160u, RaisedCode([&] { IniFile().Open(IniKey(bare), nullptr); }));

    // The flush call answers FALSE without an error on some systems: that is no failure.
    ASSERT_TRUE(other.StoreValue(L"A", std::wstring(L"1")));
    bool flush = true;
    EXPECT_TRUE(other.Close(flush));
    EXPECT_EQ(160u, RaisedCode([&] { other.Flush(); }));
}

TEST(IniFileTest, ValuesRoundTripUntilDeletedThenGiveDefaults)
{
    TestSupport::TempFolder folder;
    IniFile ini;
    ASSERT_TRUE(ini.Create(IniKey(folder.Path()), L"Session"));
    ASSERT_TRUE(ini.StoreValue(L"LogFolder", std::wstring(L"C:\\Logs")));
    ASSERT_TRUE(ini.StoreValue(L"Level", DWORD(4294967295u)));
    ASSERT_TRUE(ini.StoreValue(L"Word", std::wstring(L"abc")));
    EXPECT_NE(std::string::npos, FileText(ini.GetFile()).find("Level=4294967295"));

    DWORD def = 42;
    EXPECT_EQ(L"C:\\Logs", ini.QueryValue(L"LogFolder", std::wstring(L"d")));
    EXPECT_EQ(4294967295u, ini.QueryValue(L"Level", def));
    EXPECT_EQ(0u, ini.QueryValue(L"Word", def));
    EXPECT_EQ(42u, ini.QueryValue(L"Missing", def));
    for (size_t length : {255u, 300u, 1000u})
    {
        const std::wstring value(length, L'v');
        ASSERT_TRUE(ini.StoreValue(L"Long", value));
        EXPECT_EQ(value, ini.QueryValue(L"Long", std::wstring())) << length;
    }

    ASSERT_TRUE(ini.DeleteValue(L"Word"));
    EXPECT_EQ(L"none", ini.QueryValue(L"Word", std::wstring(L"none")));
    EXPECT_EQ(L"C:\\Logs", ini.QueryValue(L"LogFolder", std::wstring(L"none")));
    ASSERT_TRUE(ini.DeleteKey());
    EXPECT_EQ(std::string::npos, FileText(ini.GetFile()).find("[Session]"));
    EXPECT_EQ(L"none", ini.QueryValue(L"LogFolder", std::wstring(L"none")));
}

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

class IniFileTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_ini.Create(IniKey(m_folder.Path()), L"Session")); }
    std::string FileText() const
    {
        std::vector<BYTE> bytes = TestSupport::ReadFileBytes(m_folder.Path() + L"trace.ini");
        return std::string(bytes.begin(), bytes.end());
    }

    TestSupport::TempFolder m_folder;
    IniFile m_ini;
};
} // namespace

TEST_F(IniFileTest, FolderAndFileAreJoinedWithOneSeparator)
{
    const std::wstring folder = m_folder.Path().substr(0, m_folder.Path().size() - 1);
    IniFile other;
    ASSERT_TRUE(other.Open(IniKey(folder), L"Session"));
    EXPECT_EQ(m_folder.Path() + L"trace.ini", other.GetFile());
    EXPECT_EQ(other.GetFile(), m_ini.GetFile());
    EXPECT_EQ(160u, RaisedCode([&] { IniFile().Open(IniKey(folder), nullptr); }));

    // The flush call answers FALSE without an error on some systems: that is no failure.
    ASSERT_TRUE(other.StoreValue(L"A", std::wstring(L"1")));
    bool flush = true;
    EXPECT_TRUE(other.Close(flush));
    EXPECT_EQ(160u, RaisedCode([&] { other.Flush(); }));
}

TEST_F(IniFileTest, ValuesRoundTripUntilDeletedThenGiveDefaults)
{
    ASSERT_TRUE(m_ini.StoreValue(L"LogFolder", std::wstring(L"C:\\Logs")));
    ASSERT_TRUE(m_ini.StoreValue(L"Level", DWORD(4294967295u)));
    ASSERT_TRUE(m_ini.StoreValue(L"Word", std::wstring(L"abc")));
    EXPECT_NE(std::string::npos, FileText().find("Level=4294967295"));

    DWORD def = 42;
    EXPECT_EQ(L"C:\\Logs", m_ini.QueryValue(L"LogFolder", std::wstring(L"d")));
    EXPECT_EQ(4294967295u, m_ini.QueryValue(L"Level", def));
    EXPECT_EQ(0u, m_ini.QueryValue(L"Word", def));
    EXPECT_EQ(42u, m_ini.QueryValue(L"Missing", def));
    for (size_t length : {255u, 300u, 1000u})
    {
        const std::wstring value(length, L'v');
        ASSERT_TRUE(m_ini.StoreValue(L"Long", value));
        EXPECT_EQ(value, m_ini.QueryValue(L"Long", std::wstring())) << length;
    }

    ASSERT_TRUE(m_ini.DeleteValue(L"Word"));
    EXPECT_EQ(L"none", m_ini.QueryValue(L"Word", std::wstring(L"none")));
    EXPECT_EQ(L"C:\\Logs", m_ini.QueryValue(L"LogFolder", std::wstring(L"none")));
    ASSERT_TRUE(m_ini.DeleteKey());
    EXPECT_EQ(std::string::npos, FileText().find("[Session]"));
    EXPECT_EQ(L"none", m_ini.QueryValue(L"LogFolder", std::wstring(L"none")));
}

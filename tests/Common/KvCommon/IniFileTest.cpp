#include "KvComn_IniFile.h"
#include "KvComn_String.h"
#include "RaisedCode.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

using KvCommon::Storage::IniFile;
using KvCommon::Storage::Key;

using StorageCheck::kNothingRaised;
using StorageCheck::RaisedCode;

namespace
{
class IniFileTest : public ::testing::Test
{
protected:
    // The INI kind carries the folder text in the root field.
    Key IniKey(const std::wstring& folder) const
    {
        return Key(KvCommon::Storage::KindIniFile,
                   reinterpret_cast<HKEY>(const_cast<wchar_t*>(folder.c_str())), L"trace.ini");
    }
    std::wstring FileText() const
    {
        std::vector<BYTE> bytes = TestSupport::ReadFileBytes(m_folder.Path() + L"trace.ini");
        return std::wstring(bytes.begin(), bytes.end()); // ASCII content
    }

    TestSupport::TempFolder m_folder;
};
} // namespace

TEST_F(IniFileTest, FolderAndFileAreJoinedWithOneSeparator)
{
    const std::wstring withSeparator = m_folder.Path();
    const std::wstring without = withSeparator.substr(0, withSeparator.size() - 1);
    IniFile a, b;
    ASSERT_TRUE(a.Open(IniKey(withSeparator), L"InteractiveSession"));
    ASSERT_TRUE(b.Create(IniKey(without), L"InteractiveSession"));
    EXPECT_EQ(withSeparator + L"trace.ini", a.GetFile());
    EXPECT_EQ(a.GetFile(), b.GetFile());
    EXPECT_EQ(L"InteractiveSession", a.GetSection());
    EXPECT_FALSE(TestSupport::FileExists(a.GetFile())); // nothing is written by opening

    IniFile c;
    EXPECT_EQ(160u, RaisedCode([&] { c.Open(IniKey(withSeparator), nullptr); }));
    EXPECT_EQ(160u, RaisedCode([&] { c.Open(Key(1, nullptr, nullptr), L"Section"); }));
}

TEST_F(IniFileTest, ValuesRoundTripAndMissingOnesGiveDefaults)
{
    IniFile ini;
    ASSERT_TRUE(ini.Create(IniKey(m_folder.Path()), L"ServiceSession"));
    ASSERT_TRUE(ini.StoreValue(L"LogFolder", std::wstring(L"C:\\Logs")));
    ASSERT_TRUE(ini.StoreValue(L"Level", DWORD(4294967295u)));
    ASSERT_TRUE(ini.StoreValue(L"Word", std::wstring(L"abc")));
    EXPECT_NE(std::wstring::npos, FileText().find(L"Level=4294967295"));

    DWORD def = 42;
    EXPECT_EQ(L"C:\\Logs", ini.QueryValue(L"LogFolder", std::wstring(L"d")));
    EXPECT_EQ(4294967295u, ini.QueryValue(L"Level", def));
    EXPECT_EQ(0u, ini.QueryValue(L"Word", def));
    EXPECT_EQ(42u, ini.QueryValue(L"Missing", def));
    EXPECT_EQ(L"d", ini.QueryValue(L"Missing", std::wstring(L"d")));

    // The quiet queries never read the file.
    DWORD error = 0;
    EXPECT_EQ(L"quiet", ini.QueryValue(L"LogFolder", std::wstring(L"quiet"), &error));
    EXPECT_EQ(42u, ini.QueryValue(L"Level", def, &error));
    EXPECT_EQ(0u, error);

    EXPECT_EQ(160u, RaisedCode([&] { ini.StoreValue(L"", std::wstring(L"x")); }));
    EXPECT_EQ(160u, RaisedCode([&] { ini.QueryValue(L"", def); }));
}

TEST_F(IniFileTest, LongValuesAreReadWholeAfterEnlargingTheBuffer)
{
    IniFile ini;
    ASSERT_TRUE(ini.Create(IniKey(m_folder.Path()), L"S"));
    for (size_t length : {255u, 300u, 1000u})
    {
        SCOPED_TRACE(length);
        const std::wstring value(length, L'v');
        ASSERT_TRUE(ini.StoreValue(L"Long", value));
        EXPECT_EQ(value, ini.QueryValue(L"Long", std::wstring()));
    }
}

TEST_F(IniFileTest, DeleteValueDeleteSectionFlushAndClose)
{
    IniFile ini;
    ASSERT_TRUE(ini.Create(IniKey(m_folder.Path()), L"Gone"));
    ASSERT_TRUE(ini.StoreValue(L"A", std::wstring(L"1")));
    ASSERT_TRUE(ini.StoreValue(L"B", std::wstring(L"2")));
    ASSERT_TRUE(ini.DeleteValue(L"A"));
    EXPECT_EQ(L"none", ini.QueryValue(L"A", std::wstring(L"none")));
    EXPECT_EQ(L"2", ini.QueryValue(L"B", std::wstring(L"none")));
    EXPECT_EQ(160u, RaisedCode([&] { ini.DeleteValue(static_cast<const wchar_t*>(nullptr)); }));

    ASSERT_TRUE(ini.DeleteKey());
    EXPECT_EQ(std::wstring::npos, FileText().find(L"[Gone]"));
    IniFile again;
    ASSERT_TRUE(again.Open(IniKey(m_folder.Path()), L"Gone"));
    EXPECT_EQ(L"none", again.QueryValue(L"B", std::wstring(L"none")));

    bool flush = true;
    EXPECT_EQ(kNothingRaised, RaisedCode([&] { EXPECT_TRUE(ini.Close(flush)); }));
    EXPECT_TRUE(ini.GetFile().empty());
    EXPECT_TRUE(ini.GetSection().empty());
    EXPECT_EQ(160u, RaisedCode([&] { ini.StoreValue(L"A", std::wstring(L"1")); }));
    EXPECT_EQ(160u, RaisedCode([&] { ini.Flush(); }));
}

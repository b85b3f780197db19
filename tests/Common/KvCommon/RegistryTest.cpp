#include "DaclCheck.h"
#include "KvComn_Reg.h"
#include "KvComn_Registry.h"
#include "RaisedCode.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

using KvCommon::ByteArray;
using KvCommon::Storage::Key;
using KvCommon::Storage::Registry;
using StorageCheck::RaisedCode;
namespace Reg = KvCommon::Storage::Reg;

namespace
{
const std::wstring kScratch = L"Software\\NorquillTest\\KvCommon";
const Key kScratchKey(KvCommon::Storage::KindRegistry, HKEY_LOCAL_MACHINE,
                      L"Software\\NorquillTest\\KvCommon");

class RegistryTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(TestSupport::SetRegDword(HKEY_LOCAL_MACHINE, kScratch, L"Seed", 1));
        ASSERT_TRUE(m_registry.Create(kScratchKey, nullptr));
    }
    // Any type and size, bypassing the class under test.
    void SetRaw(const std::wstring& name, DWORD type, const void* data, DWORD size)
    {
        ASSERT_EQ(ERROR_SUCCESS, ::RegSetValueExW(m_registry.GetKey(), name.c_str(), 0, type,
                                                  static_cast<const BYTE*>(data), size));
    }
    std::vector<BYTE> Raw(const std::wstring& name, DWORD expectedType)
    {
        DWORD type = REG_NONE;
        std::vector<BYTE> data;
        EXPECT_TRUE(TestSupport::GetRegValue(HKEY_LOCAL_MACHINE, kScratch, name, type, data));
        EXPECT_EQ(expectedType, type);
        return data;
    }

    TestSupport::RegistryKeyGuard m_guard{HKEY_LOCAL_MACHINE, kScratch};
    Registry m_registry;
};
} // namespace

TEST_F(RegistryTest, DwordQwordAndBinaryRoundTrip)
{
    ASSERT_TRUE(m_registry.StoreValue(L"Dword", DWORD(0xFFFFFFFF)));
    ASSERT_TRUE(m_registry.StoreValue(L"Qword", ULONGLONG(0x0102030405060708ull)));
    const SYSTEMTIME moment{2026, 12, 6, 5, 23, 59, 58, 999};
    ByteArray stamp;
    ASSERT_TRUE(stamp.Allocate(sizeof(moment)) && stamp.SetData(&moment, sizeof(moment)));
    ASSERT_TRUE(m_registry.StoreValue(L"Stamp", stamp));

    DWORD def = 7;
    EXPECT_EQ(0xFFFFFFFFu, m_registry.QueryValue(L"Dword", def));
    const ULONGLONG qword = 0x0102030405060708ull;
    EXPECT_EQ(
        std::vector<BYTE>(reinterpret_cast<const BYTE*>(&qword), reinterpret_cast<const BYTE*>(&qword + 1)),
        Raw(L"Qword", REG_QWORD));
    ByteArray back;
    ASSERT_TRUE(m_registry.QueryValue(L"Stamp", back));
    ASSERT_EQ(sizeof(moment), back.GetSize());
    EXPECT_EQ(0, std::memcmp(&moment, back.GetData(), sizeof(moment)));
}

TEST_F(RegistryTest, StringsAreStoredWithTheirNulAndReadUnexpanded)
{
    ASSERT_TRUE(m_registry.StoreValue(L"Text", std::wstring(L"C:\\Kelvanor\\Log")));
    ASSERT_TRUE(m_registry.StoreValue(L"Empty", std::wstring()));
    EXPECT_EQ((15u + 1) * 2, Raw(L"Text", REG_SZ).size());
    EXPECT_EQ(2u, Raw(L"Empty", REG_SZ).size());

    const wchar_t noNul[] = {L'a', L'b', L'c'};
    SetRaw(L"NoNul", REG_SZ, noNul, sizeof(noNul));
    const wchar_t expand[] = L"%SystemRoot%\\x";
    SetRaw(L"Expand", REG_EXPAND_SZ, expand, sizeof(expand));
    const wchar_t embedded[] = L"left\0right";
    SetRaw(L"Embedded", REG_SZ, embedded, sizeof(embedded));

    const std::wstring def = L"default";
    EXPECT_EQ(L"C:\\Kelvanor\\Log", m_registry.QueryValue(L"Text", def));
    EXPECT_EQ(L"", m_registry.QueryValue(L"Empty", def));
    EXPECT_EQ(L"abc", m_registry.QueryValue(L"NoNul", def));
    EXPECT_EQ(L"%SystemRoot%\\x", m_registry.QueryValue(L"Expand", def));
    EXPECT_EQ(L"left", m_registry.QueryValue(L"Embedded", def));
}

TEST_F(RegistryTest, WrongTypeOrSizeRaises13AndQuietSlotsFallBack)
{
    const WORD shortDword = 5;
    SetRaw(L"Short", REG_DWORD, &shortDword, sizeof(shortDword));
    ASSERT_TRUE(m_registry.StoreValue(L"Text", std::wstring(L"30")));
    DWORD def = 7;
    ByteArray bytes;
    EXPECT_EQ(13u, RaisedCode([&] { m_registry.QueryValue(L"Text", def); }));
    EXPECT_EQ(13u, RaisedCode([&] { m_registry.QueryValue(L"Short", def); }));
    EXPECT_EQ(13u, RaisedCode([&] { m_registry.QueryValue(L"Seed", std::wstring()); }));
    EXPECT_EQ(13u, RaisedCode([&] { m_registry.QueryValue(L"Text", bytes); }));

    DWORD error = 0;
    EXPECT_EQ(7u, m_registry.QueryValue(L"Text", def, &error));
    EXPECT_EQ(13u, error);
    EXPECT_EQ(L"fallback", m_registry.QueryValue(L"Missing", std::wstring(L"fallback"), &error));
    EXPECT_EQ(2u, error);
    EXPECT_FALSE(m_registry.QueryValue(L"Seed", bytes, &error));
    EXPECT_EQ(13u, error);
    EXPECT_EQ(1u, m_registry.QueryValue(L"Seed", def, nullptr));
}

TEST_F(RegistryTest, MissingClosedAndNullRootRaiseTheirCodes)
{
    DWORD def = 0;
    EXPECT_EQ(2u, RaisedCode([&] { m_registry.QueryValue(L"Missing", def); }));
    EXPECT_EQ(2u, RaisedCode([&] { m_registry.DeleteValue(L"Missing"); }));

    bool flush = true; // flushes, then closes
    EXPECT_TRUE(m_registry.Close(flush));
    EXPECT_FALSE(m_registry.IsOpen());
    EXPECT_EQ(6u, RaisedCode([&] { m_registry.Close(flush); }));
    EXPECT_EQ(6u, RaisedCode([&] { m_registry.QueryValue(L"Seed", def); }));
    EXPECT_EQ(6u, RaisedCode([&] { m_registry.StoreValue(L"Seed", DWORD(1)); }));
    EXPECT_EQ(6u, RaisedCode([&] { m_registry.Flush(); }));

    Registry other;
    EXPECT_EQ(160u, RaisedCode([&] { other.Open(Key(0, nullptr, L"Software"), nullptr); }));
    EXPECT_EQ(2u, RaisedCode([&] { other.Open(kScratchKey, L"NoSuchKey"); }));
    EXPECT_FALSE(other.IsOpen());
}

TEST_F(RegistryTest, PathJoiningUsesOneSeparator)
{
    EXPECT_EQ(L"Software\\A\\B", Registry::JoinPath(L"Software\\A", L"B"));
    EXPECT_EQ(L"Software\\A\\B", Registry::JoinPath(L"Software\\A\\", L"B"));
    EXPECT_EQ(L"B", Registry::JoinPath(L"", L"B"));
    EXPECT_EQ(L"B", Registry::JoinPath(nullptr, L"B"));
    EXPECT_EQ(L"Software\\A\\", Registry::JoinPath(L"Software\\A", nullptr));

    Registry sub, fromRoot;
    ASSERT_TRUE(sub.Create(Key(0, HKEY_LOCAL_MACHINE, L"Software\\NorquillTest\\"), L"KvCommon\\Sub"));
    EXPECT_EQ(kScratch + L"\\Sub", sub.GetPath());
    ASSERT_TRUE(fromRoot.Open(Key(0, HKEY_LOCAL_MACHINE, L""), kScratch.c_str()));
    EXPECT_EQ(kScratch, fromRoot.GetPath());
}

TEST_F(RegistryTest, EnumerationAppendsKeysAndValues)
{
    ASSERT_TRUE(TestSupport::SetRegDword(HKEY_LOCAL_MACHINE, kScratch + L"\\Alpha", L"x", 1));
    ASSERT_TRUE(TestSupport::SetRegDword(HKEY_LOCAL_MACHINE, kScratch + L"\\Beta", L"x", 1));
    ASSERT_TRUE(m_registry.StoreValue(L"Other", std::wstring(L"v")));

    Registry registry;
    ASSERT_TRUE(registry.OpenForEnumeration(kScratchKey, nullptr));
    std::vector<std::wstring> keys{L"kept"}, values;
    ASSERT_TRUE(registry.EnumKeys(keys));
    ASSERT_TRUE(registry.EnumValues(values));
    std::sort(keys.begin() + 1, keys.end());
    std::sort(values.begin(), values.end());
    EXPECT_EQ((std::vector<std::wstring>{L"kept", L"Alpha", L"Beta"}), keys);
    EXPECT_EQ((std::vector<std::wstring>{L"Other", L"Seed"}), values);

    Registry leaf;
    ASSERT_TRUE(leaf.OpenForEnumeration(kScratchKey, L"Alpha"));
    std::vector<std::wstring> none;
    EXPECT_TRUE(leaf.EnumKeys(none));
    EXPECT_TRUE(none.empty());
}

TEST_F(RegistryTest, DeleteValueAndDeleteKey)
{
    const wchar_t text[] = L"unnamed";
    SetRaw(L"", REG_SZ, text, sizeof(text));
    Registry writer;
    ASSERT_TRUE(writer.OpenForWrite(kScratchKey, nullptr));
    EXPECT_TRUE(writer.DeleteValue(static_cast<const wchar_t*>(nullptr))); // the default value
    EXPECT_TRUE(writer.DeleteValue(std::wstring(L"Seed")));
    std::vector<std::wstring> values;
    Registry reader;
    ASSERT_TRUE(reader.OpenForEnumeration(kScratchKey, nullptr));
    ASSERT_TRUE(reader.EnumValues(values));
    EXPECT_TRUE(values.empty());

    ASSERT_TRUE(TestSupport::SetRegDword(HKEY_LOCAL_MACHINE, kScratch + L"\\Leaf", L"x", 1));
    Registry leaf;
    ASSERT_TRUE(leaf.OpenKeyForWrite(HKEY_LOCAL_MACHINE, kScratch + L"\\Leaf", 0));
    EXPECT_TRUE(leaf.DeleteKey());
    EXPECT_EQ(2u, RaisedCode([&] { Registry().OpenKey(HKEY_LOCAL_MACHINE, kScratch + L"\\Leaf", 0); }));
}

TEST_F(RegistryTest, OneShotFunctionsReportCodesAndCreateParents)
{
    const std::wstring deep = kScratch + L"\\One\\Two";
    DWORD error = 1;
    EXPECT_TRUE(Reg::StoreValue(HKEY_LOCAL_MACHINE, deep, L"Name", std::wstring(L"value"), 0, &error));
    EXPECT_EQ(0u, error);
    EXPECT_EQ(L"value", Reg::QueryValue(HKEY_LOCAL_MACHINE, deep, L"Name", std::wstring(L"d")));
    EXPECT_EQ(L"d", Reg::QueryValue(HKEY_LOCAL_MACHINE, deep, L"Missing", std::wstring(L"d")));
    EXPECT_EQ(9u, Reg::QueryValue(HKEY_LOCAL_MACHINE, deep, L"Name", DWORD(9))); // wrong type

    ByteArray bytes;
    EXPECT_FALSE(Reg::QueryValue(HKEY_LOCAL_MACHINE, kScratch + L"\\Nowhere", L"Name", bytes, 0, &error));
    EXPECT_EQ(2u, error);
    EXPECT_FALSE(Reg::StoreValue(nullptr, deep, L"Name", DWORD(1), 0, &error));
    EXPECT_EQ(160u, error);

    EXPECT_TRUE(Reg::DeleteValue(HKEY_LOCAL_MACHINE, deep, L"Name"));
    EXPECT_FALSE(Reg::DeleteValue(HKEY_LOCAL_MACHINE, deep, L"Name"));
}

TEST_F(RegistryTest, CreatedKeyCarriesTheSevenGroupDacl)
{
    const std::wstring path = kScratch + L"\\Secured";
    ASSERT_TRUE(Registry().CreateKey(HKEY_LOCAL_MACHINE, path, 0));
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, READ_CONTROL, &key));
    KvCommon::UniqueHKey owner(key);
    std::vector<BYTE> sd = DaclCheck::ReadDescriptor(
        [&](BYTE* buffer, DWORD* size)
        { return ::RegGetKeySecurity(key, DACL_SECURITY_INFORMATION, buffer, size) == ERROR_SUCCESS; });
    ASSERT_FALSE(sd.empty());
    if (DaclCheck::RunningOnWine())
        GTEST_SKIP()
            << "Wine gives new keys its own default DACL and drops the one passed to RegCreateKeyExW";
    DaclCheck::ExpectGroupDacl(sd.data(), KvCommon::AccessControl::KindRegistryKey);
}

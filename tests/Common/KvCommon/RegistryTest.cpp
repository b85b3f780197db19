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
namespace Reg = KvCommon::Storage::Reg;

using StorageCheck::kNothingRaised;
using StorageCheck::RaisedCode;

namespace
{
const std::wstring kScratch = L"Software\\NorquillTest\\KvCommon";
const Key kScratchKey(KvCommon::Storage::KindRegistry, HKEY_LOCAL_MACHINE,
                      L"Software\\NorquillTest\\KvCommon");

void SetRaw(const std::wstring& name, DWORD type, const void* data, DWORD size)
{
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExW(HKEY_LOCAL_MACHINE, kScratch.c_str(), 0, nullptr, 0,
                                               KEY_SET_VALUE, nullptr, &key, nullptr));
    KvCommon::UniqueHKey owner(key);
    ASSERT_EQ(ERROR_SUCCESS,
              ::RegSetValueExW(key, name.c_str(), 0, type, static_cast<const BYTE*>(data), size));
}

class RegistryTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(TestSupport::SetRegDword(HKEY_LOCAL_MACHINE, kScratch, L"Seed", 1)); }

    // The scratch key opened for reading and writing.
    void OpenScratch(Registry& registry) { ASSERT_TRUE(registry.Create(kScratchKey, nullptr)); }

    TestSupport::RegistryKeyGuard m_guard{HKEY_LOCAL_MACHINE, kScratch};
};
} // namespace

TEST_F(RegistryTest, DwordQwordAndBinaryRoundTrip)
{
    Registry registry;
    OpenScratch(registry);
    ASSERT_TRUE(registry.StoreValue(L"Dword", DWORD(0xFFFFFFFF)));
    ASSERT_TRUE(registry.StoreValue(L"Qword", ULONGLONG(0x0102030405060708ull)));
    ByteArray stamp;
    const SYSTEMTIME moment{2026, 12, 6, 5, 23, 59, 58, 999};
    ASSERT_TRUE(stamp.Allocate(sizeof(moment)));
    ASSERT_TRUE(stamp.SetData(&moment, sizeof(moment)));
    ASSERT_TRUE(registry.StoreValue(L"Stamp", stamp));

    DWORD def = 7;
    EXPECT_EQ(0xFFFFFFFFu, registry.QueryValue(L"Dword", def));
    DWORD type = 0;
    std::vector<BYTE> raw;
    ASSERT_TRUE(TestSupport::GetRegValue(HKEY_LOCAL_MACHINE, kScratch, L"Qword", type, raw));
    EXPECT_EQ(DWORD(REG_QWORD), type);
    ULONGLONG q = 0;
    ASSERT_EQ(sizeof(q), raw.size());
    std::memcpy(&q, raw.data(), sizeof(q));
    EXPECT_EQ(0x0102030405060708ull, q);

    ByteArray back;
    ASSERT_TRUE(registry.QueryValue(L"Stamp", back));
    ASSERT_EQ(sizeof(moment), back.GetSize());
    EXPECT_EQ(0, std::memcmp(&moment, back.GetData(), sizeof(moment)));
}

TEST_F(RegistryTest, StringsAreStoredWithTheirNulAndReadUnexpanded)
{
    Registry registry;
    OpenScratch(registry);
    ASSERT_TRUE(registry.StoreValue(L"Text", std::wstring(L"C:\\Kelvanor\\Log")));
    ASSERT_TRUE(registry.StoreValue(L"Empty", std::wstring()));
    DWORD type = 0;
    std::vector<BYTE> raw;
    ASSERT_TRUE(TestSupport::GetRegValue(HKEY_LOCAL_MACHINE, kScratch, L"Text", type, raw));
    EXPECT_EQ(DWORD(REG_SZ), type);
    EXPECT_EQ((15u + 1) * 2, raw.size());
    ASSERT_TRUE(TestSupport::GetRegValue(HKEY_LOCAL_MACHINE, kScratch, L"Empty", type, raw));
    EXPECT_EQ(2u, raw.size());

    const wchar_t noNul[] = {L'a', L'b', L'c'};
    SetRaw(L"NoNul", REG_SZ, noNul, sizeof(noNul));
    const wchar_t expand[] = L"%SystemRoot%\\x";
    SetRaw(L"Expand", REG_EXPAND_SZ, expand, sizeof(expand));
    const wchar_t embedded[] = L"left\0right";
    SetRaw(L"Embedded", REG_SZ, embedded, sizeof(embedded));

    const std::wstring def = L"default";
    EXPECT_EQ(L"C:\\Kelvanor\\Log", registry.QueryValue(L"Text", def));
    EXPECT_EQ(L"", registry.QueryValue(L"Empty", def));
    EXPECT_EQ(L"abc", registry.QueryValue(L"NoNul", def));
    EXPECT_EQ(L"%SystemRoot%\\x", registry.QueryValue(L"Expand", def));
    EXPECT_EQ(L"left", registry.QueryValue(L"Embedded", def));
}

TEST_F(RegistryTest, WrongTypeOrSizeRaises13AndQuietSlotsFallBack)
{
    Registry registry;
    OpenScratch(registry);
    const WORD shortDword = 5;
    SetRaw(L"Short", REG_DWORD, &shortDword, sizeof(shortDword));
    ASSERT_TRUE(registry.StoreValue(L"Text", std::wstring(L"30")));
    ASSERT_TRUE(registry.StoreValue(L"Number", DWORD(30)));

    DWORD def = 7;
    EXPECT_EQ(13u, RaisedCode([&] { registry.QueryValue(L"Text", def); }));
    EXPECT_EQ(13u, RaisedCode([&] { registry.QueryValue(L"Short", def); }));
    EXPECT_EQ(13u, RaisedCode([&] { registry.QueryValue(L"Number", std::wstring()); }));
    ByteArray bytes;
    EXPECT_EQ(13u, RaisedCode([&] { registry.QueryValue(L"Text", bytes); }));

    DWORD error = 0;
    EXPECT_EQ(7u, registry.QueryValue(L"Text", def, &error));
    EXPECT_EQ(13u, error);
    error = 0;
    EXPECT_EQ(L"fallback", registry.QueryValue(L"Number", std::wstring(L"fallback"), &error));
    EXPECT_EQ(13u, error);
    error = 0;
    EXPECT_FALSE(registry.QueryValue(L"Missing", bytes, &error));
    EXPECT_EQ(2u, error);
    EXPECT_EQ(30u, registry.QueryValue(L"Number", def, nullptr));
}

TEST_F(RegistryTest, MissingClosedAndNullRootRaiseTheirCodes)
{
    Registry registry;
    DWORD def = 0;
    EXPECT_EQ(6u, RaisedCode([&] { registry.QueryValue(L"Seed", def); }));
    EXPECT_EQ(6u, RaisedCode([&] { registry.StoreValue(L"Seed", DWORD(1)); }));
    EXPECT_EQ(6u, RaisedCode([&] { registry.DeleteValue(L"Seed"); }));
    EXPECT_EQ(6u, RaisedCode([&] { registry.Flush(); }));
    bool flush = false;
    EXPECT_EQ(6u, RaisedCode([&] { registry.Close(flush); }));

    EXPECT_EQ(160u, RaisedCode([&] { registry.OpenKey(nullptr, kScratch, 0); }));
    EXPECT_EQ(160u, RaisedCode([&] { registry.Open(Key(0, nullptr, L"Software"), nullptr); }));
    EXPECT_EQ(2u, RaisedCode([&] { registry.Open(kScratchKey, L"NoSuchKey"); }));
    EXPECT_FALSE(registry.IsOpen());

    OpenScratch(registry);
    EXPECT_EQ(2u, RaisedCode([&] { registry.QueryValue(L"Missing", def); }));
    EXPECT_EQ(2u, RaisedCode([&] { registry.DeleteValue(L"Missing"); }));
}

TEST_F(RegistryTest, CloseFlushesThenClosesAndSecondCloseRaises6)
{
    Registry registry;
    OpenScratch(registry);
    EXPECT_EQ(kScratch + L"\\", registry.GetPath()); // no sub-key: the separator stays
    bool flush = true;
    EXPECT_TRUE(registry.Close(flush));
    EXPECT_FALSE(registry.IsOpen());
    EXPECT_TRUE(registry.GetPath().empty());
    EXPECT_EQ(6u, RaisedCode([&] { registry.Close(flush); }));
}

TEST_F(RegistryTest, PathJoiningUsesOneSeparator)
{
    EXPECT_EQ(L"Software\\A\\B", Registry::JoinPath(L"Software\\A", L"B"));
    EXPECT_EQ(L"Software\\A\\B", Registry::JoinPath(L"Software\\A\\", L"B"));
    EXPECT_EQ(L"B", Registry::JoinPath(L"", L"B"));
    EXPECT_EQ(L"B", Registry::JoinPath(nullptr, L"B"));
    EXPECT_EQ(L"Software\\A\\", Registry::JoinPath(L"Software\\A", nullptr));

    Registry registry;
    ASSERT_TRUE(registry.Create(Key(0, HKEY_LOCAL_MACHINE, L"Software\\NorquillTest\\"), L"KvCommon\\Sub"));
    EXPECT_EQ(kScratch + L"\\Sub", registry.GetPath());
    Registry fromRoot;
    ASSERT_TRUE(fromRoot.Open(Key(0, HKEY_LOCAL_MACHINE, L""), kScratch.c_str()));
    EXPECT_EQ(kScratch, fromRoot.GetPath());
}

TEST_F(RegistryTest, EnumerationAppendsKeysAndValues)
{
    ASSERT_TRUE(TestSupport::SetRegDword(HKEY_LOCAL_MACHINE, kScratch + L"\\Alpha", L"x", 1));
    ASSERT_TRUE(TestSupport::SetRegDword(HKEY_LOCAL_MACHINE, kScratch + L"\\Beta", L"x", 1));
    ASSERT_TRUE(TestSupport::SetRegString(HKEY_LOCAL_MACHINE, kScratch, L"Other", L"v"));

    Registry registry;
    ASSERT_TRUE(registry.OpenForEnumeration(kScratchKey, nullptr));
    std::vector<std::wstring> keys{L"kept"};
    ASSERT_TRUE(registry.EnumKeys(keys));
    std::sort(keys.begin() + 1, keys.end());
    EXPECT_EQ((std::vector<std::wstring>{L"kept", L"Alpha", L"Beta"}), keys);
    std::vector<std::wstring> values;
    ASSERT_TRUE(registry.EnumValues(values));
    std::sort(values.begin(), values.end());
    EXPECT_EQ((std::vector<std::wstring>{L"Other", L"Seed"}), values);

    Registry leaf;
    ASSERT_TRUE(leaf.OpenForEnumeration(kScratchKey, L"Alpha"));
    std::vector<std::wstring> none;
    EXPECT_TRUE(leaf.EnumKeys(none));
    EXPECT_TRUE(none.empty());
}

TEST_F(RegistryTest, DeleteValueAndDeleteKey)
{
    const wchar_t def[] = L"unnamed";
    SetRaw(L"", REG_SZ, def, sizeof(def));
    Registry writer;
    ASSERT_TRUE(writer.OpenForWrite(kScratchKey, nullptr));
    EXPECT_TRUE(writer.DeleteValue(static_cast<const wchar_t*>(nullptr))); // the default value
    EXPECT_TRUE(writer.DeleteValue(std::wstring(L"Seed")));
    DWORD type = 0;
    std::vector<BYTE> raw;
    EXPECT_FALSE(TestSupport::GetRegValue(HKEY_LOCAL_MACHINE, kScratch, L"", type, raw));
    EXPECT_FALSE(TestSupport::GetRegValue(HKEY_LOCAL_MACHINE, kScratch, L"Seed", type, raw));

    ASSERT_TRUE(TestSupport::SetRegDword(HKEY_LOCAL_MACHINE, kScratch + L"\\Leaf", L"x", 1));
    Registry leaf;
    ASSERT_TRUE(leaf.OpenKeyForWrite(HKEY_LOCAL_MACHINE, kScratch + L"\\Leaf", 0));
    EXPECT_TRUE(leaf.DeleteKey());
    HKEY gone = nullptr;
    EXPECT_EQ(ERROR_FILE_NOT_FOUND,
              ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, (kScratch + L"\\Leaf").c_str(), 0, KEY_READ, &gone));
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
    EXPECT_FALSE(Reg::QueryValue(HKEY_LOCAL_MACHINE, deep, L"Name", bytes, 0, &error));
    EXPECT_EQ(13u, error);
    EXPECT_FALSE(Reg::StoreValue(nullptr, deep, L"Name", DWORD(1), 0, &error));
    EXPECT_EQ(160u, error);

    EXPECT_TRUE(Reg::DeleteValue(HKEY_LOCAL_MACHINE, deep, L"Name"));
    EXPECT_FALSE(Reg::DeleteValue(HKEY_LOCAL_MACHINE, deep, L"Name"));
}

TEST_F(RegistryTest, CreatedKeyCarriesTheSevenGroupDacl)
{
    Registry registry;
    ASSERT_TRUE(registry.CreateKey(HKEY_LOCAL_MACHINE, kScratch + L"\\Secured", 0));
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS,
              ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, (kScratch + L"\\Secured").c_str(), 0, READ_CONTROL, &key));
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

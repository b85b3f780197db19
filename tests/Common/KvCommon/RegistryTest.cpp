#include "Checks.h"
#include "KvComn_Reg.h"
#include "KvComn_Registry.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>

using Checks::RaisedCode;
using KvCommon::ByteArray;
using KvCommon::Storage::Key;
using KvCommon::Storage::Registry;
namespace Reg = KvCommon::Storage::Reg;

namespace
{
const std::wstring kScratch = L"Software\\NorquillTest\\KvCommon";
const Key kScratchKey(KvCommon::Storage::KindRegistry, HKEY_LOCAL_MACHINE, kScratch.c_str());

class RegistryTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_registry.Create(kScratchKey, nullptr) &&
                    m_registry.StoreValue(L"Seed", DWORD(0xFFFFFFFF)));
    }
    // Any type and size, bypassing the class under test.
    void SetRaw(const wchar_t* name, DWORD type, const void* data, DWORD size)
    {
        ASSERT_EQ(ERROR_SUCCESS,
                  ::RegSetValueExW(m_registry.GetKey(), name, 0, type, static_cast<const BYTE*>(data), size));
    }
    std::vector<BYTE> Raw(const wchar_t* name, DWORD type)
    {
        DWORD actual = REG_NONE;
        std::vector<BYTE> data;
        EXPECT_TRUE(TestSupport::GetRegValue(HKEY_LOCAL_MACHINE, kScratch, name, actual, data));
        EXPECT_EQ(type, actual);
        return data;
    }

    TestSupport::RegistryKeyGuard m_guard{HKEY_LOCAL_MACHINE, kScratch};
    Registry m_registry;
};
} // namespace

TEST(PrivateRegistry, MachineKeyOfTheTestsIsPrivate)
{
    wchar_t root[512] = {};
    ASSERT_NE(0u, GetEnvironmentVariableW(NQ_PRIVATE_REGISTRY_VARIABLE, root, 512));
    ASSERT_TRUE(TestSupport::SetRegDword(HKEY_LOCAL_MACHINE, kScratch, L"Probe", 5));
    DWORD type = 0;
    std::vector<BYTE> data;
    EXPECT_TRUE(TestSupport::GetRegValue(HKEY_CURRENT_USER, std::wstring(root) + L"\\" + kScratch, L"Probe",
                                         type, data));
    EXPECT_TRUE(TestSupport::DeleteRegTree(HKEY_LOCAL_MACHINE, kScratch));
}

TEST_F(RegistryTest, ValuesRoundTripWithTheirTypes)
{
    const ULONGLONG qword = 0x0102030405060708ull;
    const BYTE blob[5] = {0, 1, 0xFE, 0xFF, 7};
    ByteArray bytes, back;
    ASSERT_TRUE(bytes.Allocate(5) && bytes.SetData(blob, 5) && m_registry.StoreValue(L"Blob", bytes));
    ASSERT_TRUE(m_registry.StoreValue(L"Qword", qword));
    ASSERT_TRUE(m_registry.StoreValue(L"Text", std::wstring(L"C:\\Log")));
    EXPECT_EQ(
        std::vector<BYTE>(reinterpret_cast<const BYTE*>(&qword), reinterpret_cast<const BYTE*>(&qword + 1)),
        Raw(L"Qword", REG_QWORD));
    EXPECT_EQ(14u, Raw(L"Text", REG_SZ).size()); // the NUL is stored
    // Nothing after an embedded NUL reaches the registry, not even what the string holds beyond it.
    ASSERT_TRUE(m_registry.StoreValue(L"Embedded", std::wstring(L"ab\0cdefghijklmnopqrstuvwxyz", 28)));
    EXPECT_EQ(std::vector<BYTE>({'a', 0, 'b', 0, 0, 0}), Raw(L"Embedded", REG_SZ));
    const wchar_t noNul[] = {L'a', L'b', L'c'}, expand[] = L"%SystemRoot%\\x";
    SetRaw(L"NoNul", REG_SZ, noNul, sizeof(noNul));
    SetRaw(L"Expand", REG_EXPAND_SZ, expand, sizeof(expand));

    DWORD def = 7;
    EXPECT_EQ(0xFFFFFFFFu, m_registry.QueryValue(L"Seed", def));
    ASSERT_TRUE(m_registry.QueryValue(L"Blob", back));
    EXPECT_EQ(std::vector<BYTE>(blob, blob + 5),
              std::vector<BYTE>(back.GetData(), back.GetData() + back.GetSize()));
    const std::wstring none = L"default";
    EXPECT_EQ(L"C:\\Log", m_registry.QueryValue(L"Text", none));
    EXPECT_EQ(L"abc", m_registry.QueryValue(L"NoNul", none));
    EXPECT_EQ(L"%SystemRoot%\\x", m_registry.QueryValue(L"Expand", none));
}

TEST_F(RegistryTest, FailuresRaiseTheirCodesAndQuietQueriesFallBack)
{
    const WORD shortDword = 5;
    SetRaw(L"Short", REG_DWORD, &shortDword, sizeof(shortDword));
    ASSERT_TRUE(m_registry.StoreValue(L"Text", std::wstring(L"30")));
    DWORD def = 7, error = 0;
    const std::pair<DWORD, std::function<void()>> cases[] = {
        {13, [&] { m_registry.QueryValue(L"Text", def); }},
        {13, [&] { m_registry.QueryValue(L"Short", def); }},
        {13, [&] { m_registry.QueryValue(L"Seed", std::wstring()); }},
        {2, [&] { m_registry.QueryValue(L"Missing", def); }},
        {2, [&] { m_registry.DeleteValue(L"Missing"); }},
        {2, [&] { Registry().Open(kScratchKey, L"NoSuchKey"); }},
        {160, [&] { Registry().Open(Key(0, nullptr, L"Software"), nullptr); }},
    };
    for (const auto& [code, call] : cases)
        EXPECT_EQ(code, RaisedCode(call));
    EXPECT_EQ(7u, m_registry.QueryValue(L"Text", def, &error));
    EXPECT_EQ(13u, error);

    bool flush = true;
    EXPECT_TRUE(m_registry.Close(flush));
    EXPECT_EQ(6u, RaisedCode([&] { m_registry.Close(flush); }));
    EXPECT_EQ(6u, RaisedCode([&] { m_registry.QueryValue(L"Seed", def); }));
    EXPECT_EQ(6u, RaisedCode([&] { m_registry.StoreValue(L"Seed", DWORD(1)); }));
}

TEST_F(RegistryTest, PathsAreJoinedWithOneSeparatorStoresCreateMissingParentsAndEnumerationAppends)
{
    EXPECT_EQ(L"S\\A\\B", Registry::JoinPath(L"S\\A", L"B"));
    EXPECT_EQ(L"S\\A\\B", Registry::JoinPath(L"S\\A\\", L"B"));
    EXPECT_EQ(L"B", Registry::JoinPath(L"", L"B"));
    EXPECT_EQ(L"B", Registry::JoinPath(nullptr, L"B"));
    EXPECT_EQ(L"S\\A\\", Registry::JoinPath(L"S\\A", nullptr));

    const std::wstring deep = kScratch + L"\\One\\Two";
    DWORD error = 1;
    EXPECT_TRUE(Reg::StoreValue(HKEY_LOCAL_MACHINE, deep, L"Name", std::wstring(L"value"), 0, &error));
    EXPECT_EQ(0u, error);
    EXPECT_EQ(L"value", Reg::QueryValue(HKEY_LOCAL_MACHINE, deep, L"Name", std::wstring(L"d")));
    EXPECT_FALSE(Reg::StoreValue(nullptr, deep, L"Name", DWORD(1), 0, &error)); // caught, not raised
    EXPECT_EQ(160u, error);

    ASSERT_TRUE(Registry().Create(kScratchKey, L"Alpha") &&
                m_registry.StoreValue(L"Other", std::wstring(L"v")));
    Registry registry;
    std::vector<std::wstring> keys{L"kept"}, values;
    ASSERT_TRUE(registry.OpenForEnumeration(kScratchKey, nullptr) && registry.EnumKeys(keys) &&
                registry.EnumValues(values));
    std::sort(keys.begin() + 1, keys.end());
    std::sort(values.begin(), values.end());
    EXPECT_EQ((std::vector<std::wstring>{L"kept", L"Alpha", L"One"}), keys);
    EXPECT_EQ((std::vector<std::wstring>{L"Other", L"Seed"}), values);
}

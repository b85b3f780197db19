#include "KvComn_StorageBase.h"

#include <gtest/gtest.h>

namespace
{
// Fills the pure slots only: every plain query fails with the code it is given.
class FailingStorage : public KvCommon::Storage::Base
{
public:
    using Base::QueryValue;
    using Base::StoreValue;

    explicit FailingStorage(DWORD code, bool foreign = false) : m_code(code), m_foreign(foreign) {}
    bool Open(const KvCommon::Storage::Key&, const wchar_t*) override { return true; }
    bool Create(const KvCommon::Storage::Key&, const wchar_t*) override { return true; }
    bool Close(bool&) override { return true; }
    bool Flush() override { return true; }
    std::wstring QueryValue(const std::wstring&, const std::wstring&) override { Raise(); }
    DWORD QueryValue(const std::wstring&, DWORD&) override { Raise(); }
    bool QueryValue(const std::wstring&, KvCommon::ByteArray&) override { Raise(); }
    bool StoreValue(const std::wstring&, const std::wstring&) override { return true; }
    bool StoreValue(const std::wstring&, DWORD) override { return true; }
    bool DeleteKey() override { return true; }
    bool DeleteValue(const wchar_t*) override { return true; }
    bool DeleteValue(const std::wstring&) override { return true; }

private:
    [[noreturn]] void Raise()
    {
        if (m_foreign)
            throw 7;
        KV_THROW_STORAGE(m_code);
    }
    DWORD m_code;
    bool m_foreign;
};

class PlainStorage : public FailingStorage
{
public:
    PlainStorage() : FailingStorage(0) {}
    using FailingStorage::QueryValue;
    using FailingStorage::StoreValue;
    bool QueryValue(const std::wstring&, KvCommon::ByteArray&) override
    {
        return Base::QueryValue(L"", m_array);
    }

private:
    KvCommon::ByteArray m_array;
};
} // namespace

TEST(StorageBase, QuietSlotsReportTheCodeAndReturnTheFallback)
{
    FailingStorage storage(ERROR_FILE_NOT_FOUND);
    DWORD error = 0;
    DWORD def = 77;
    EXPECT_EQ(77u, storage.QueryValue(L"v", def, &error));
    EXPECT_EQ(2u, error);
    error = 0;
    EXPECT_EQ(L"fallback", storage.QueryValue(L"v", std::wstring(L"fallback"), &error));
    EXPECT_EQ(2u, error);
    error = 0;
    KvCommon::ByteArray bytes;
    EXPECT_FALSE(storage.QueryValue(L"v", bytes, &error));
    EXPECT_EQ(2u, error);
    EXPECT_EQ(77u, storage.QueryValue(L"v", def, nullptr)); // the error pointer is optional

    FailingStorage foreign(0, true);
    EXPECT_THROW(foreign.QueryValue(L"v", def, &error), int);
}

TEST(StorageBase, OptionalSlotsAnswerFalse)
{
    PlainStorage storage;
    KvCommon::Storage::Key key(0, HKEY_LOCAL_MACHINE, L"Software");
    KvCommon::ByteArray bytes;
    std::vector<std::wstring> names;
    EXPECT_FALSE(storage.OpenForWrite(key, nullptr));
    EXPECT_FALSE(storage.OpenForEnumeration(key, nullptr));
    EXPECT_FALSE(storage.QueryValue(L"v", bytes));
    EXPECT_FALSE(storage.StoreValue(L"v", bytes));
    EXPECT_FALSE(storage.StoreValue(L"v", ULONGLONG(1)));
    EXPECT_FALSE(storage.EnumKeys(names));
    EXPECT_FALSE(storage.EnumValues(names));
}

#include "KvComn_FileBase.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

using KvCommon::AccessControl::SecurityAttributes;
using KvCommon::Storage::FileBase;

namespace
{
class FileBaseTest : public ::testing::Test
{
protected:
    std::wstring PathOf(const wchar_t* name) const { return m_folder.Path() + name; }

    TestSupport::TempFolder m_folder;
    SecurityAttributes m_none;
};
} // namespace

TEST_F(FileBaseTest, OpenCreatesMissingFileAndAppendsAfterExistingContent)
{
    const std::wstring path = PathOf(L"20261205.VLG");
    {
        FileBase file(path);
        ASSERT_TRUE(file.Open(m_none));
        EXPECT_TRUE(file.IsOpen());
    }
    ASSERT_TRUE(TestSupport::FileExists(path));
    EXPECT_TRUE(TestSupport::ReadFileBytes(path).empty());

    ASSERT_TRUE(TestSupport::WriteFileBytes(path, "head", 4));
    FileBase file(path);
    ASSERT_TRUE(file.Open(m_none));
    ASSERT_TRUE(file.SetFilePointer(0, FILE_END));
    EXPECT_TRUE(file.Write("tail", 4));
    EXPECT_TRUE(file.Write("", 0)); // nothing to write is not a failure
    ASSERT_TRUE(file.Close());
    const std::vector<BYTE> bytes = TestSupport::ReadFileBytes(path);
    EXPECT_EQ("headtail", std::string(bytes.begin(), bytes.end()));
}

TEST_F(FileBaseTest, SecondWriterIsRefusedWithSharingViolationButReadersAreNot)
{
    const std::wstring path = PathOf(L"shared.log");
    FileBase first(path);
    ASSERT_TRUE(first.Open(m_none));

    FileBase second(path);
    DWORD error = 0;
    EXPECT_FALSE(second.Open(m_none, &error));
    EXPECT_EQ(32u, error);
    EXPECT_FALSE(second.IsOpen());
}

TEST_F(FileBaseTest, MisuseGivesItsCodes)
{
    DWORD error = 99;
    FileBase unnamed(L"");
    EXPECT_FALSE(unnamed.Open(m_none, &error));
    EXPECT_EQ(160u, error);

    FileBase file(PathOf(L"misuse.log"));
    EXPECT_FALSE(file.Write("x", 1, &error));
    EXPECT_EQ(0u, error); // closed
    error = 99;
    EXPECT_FALSE(file.Close(&error));
    EXPECT_EQ(0u, error);

    ASSERT_TRUE(file.Open(m_none));
    EXPECT_FALSE(file.Open(m_none, &error));
    EXPECT_EQ(5010u, error);
    EXPECT_TRUE(file.IsOpen()); // the first handle stays
    EXPECT_FALSE(file.Write(nullptr, 4, &error));
    EXPECT_EQ(160u, error);

    EXPECT_TRUE(file.Close());
    error = 99;
    EXPECT_FALSE(file.Close(&error));
    EXPECT_EQ(0u, error);
}

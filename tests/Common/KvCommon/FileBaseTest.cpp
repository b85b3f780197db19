#include "KvComn_FileBase.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

using KvCommon::Storage::FileBase;

TEST(FileBase, OpenCreatesOrAppendsRefusesASecondWriterWith32AndReportsMisuse)
{
    TestSupport::TempFolder folder;
    KvCommon::AccessControl::SecurityAttributes none;
    const std::wstring path = folder.Path() + L"20261205.VLG";
    ASSERT_TRUE(FileBase(path).Open(none));
    EXPECT_TRUE(TestSupport::FileExists(path));

    ASSERT_TRUE(TestSupport::WriteFileBytes(path, "head", 4));
    const std::vector<HANDLE> before = TestSupport::InheritableHandles();
    FileBase file(path), second(path);
    ASSERT_TRUE(file.Open(none));
    EXPECT_EQ(before, TestSupport::InheritableHandles()) << "a child the host starts would hold the day file";
    DWORD error = 0;
    EXPECT_FALSE(second.Open(none, &error));
    EXPECT_EQ(32u, error);
    EXPECT_FALSE(file.Open(none, &error));
    EXPECT_EQ(5010u, error);
    EXPECT_FALSE(file.Write(nullptr, 4, &error));
    EXPECT_EQ(160u, error);

    LONGLONG length = 0;
    ASSERT_TRUE(file.SetFilePointer(0, FILE_END, nullptr, &length));
    EXPECT_EQ(4, length);
    char read[4] = {};
    DWORD got = 0;
    ASSERT_TRUE(file.ReadAt(1, read, 4, got));
    EXPECT_EQ("ead", std::string(read, got));
    EXPECT_TRUE(file.Write("tail", 4));
    EXPECT_TRUE(file.Write("", 0)); // nothing to write is not a failure
    EXPECT_TRUE(file.Write("junk", 4));
    ASSERT_TRUE(file.Truncate(8));
    EXPECT_TRUE(file.Write("", 0));
    ASSERT_TRUE(file.Close());
    error = 99;
    EXPECT_FALSE(file.Close(&error)); // double close
    EXPECT_EQ(0u, error);
    const std::vector<BYTE> bytes = TestSupport::ReadFileBytes(path);
    EXPECT_EQ("headtail", std::string(bytes.begin(), bytes.end()));
}

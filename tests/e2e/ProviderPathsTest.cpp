#include "TracedDll.h"

using namespace E2E;
using namespace SrvFrwk;
using namespace SrvFrwk::EventLog;

namespace
{
void Touch(const std::wstring& path)
{
    const BYTE bom[2] = {0xFF, 0xFE};
    ASSERT_TRUE(TestSupport::WriteFileBytes(path, bom, sizeof(bom)));
}

LogPathQuery Query(DWORD logType, WORD year = 2008, WORD month = 2, WORD day = 30)
{
    LogPathQuery query;
    query.stDate.wYear = year;
    query.stDate.wMonth = month;
    query.stDate.wDay = day;
    query.dwLogType = logType;
    return query;
}

void SetInstalledFolder(const wchar_t* folder)
{
    if (folder)
        TestSupport::SetRegString(HKEY_LOCAL_MACHINE, TestSupport::kInstallKey, L"InstalledFolder", folder);
    else
        RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, TestSupport::kInstallKey, L"InstalledFolder");
}
} // namespace

class LogPathTest : public TracedDllTest
{
protected:
    ULONG Ask(LogPathQuery& query, ULONG option)
    {
        ProviderSession p(Dll());
        return p->QueryData(TYPE_EVENTLOG, DATA_LOG_PATH, &query, option, 0);
    }
    std::wstring Latest(DWORD logType)
    {
        LogPathQuery query = Query(logType);
        query.tsLogPath = L"untouched";
        EXPECT_EQ(RESULT_SUCCESS, Ask(query, 1));
        return query.tsLogPath;
    }
};

TEST_F(LogPathTest, LatestSkipsShortNamesDirectoriesAndUnparsableDates)
{
    const std::wstring folder = m_sandbox.LogFolder();
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    Touch(folder + L"20071230.VLG");
    Touch(folder + L"20071231.VLG");
    Touch(folder + L"2007123.VLG");
    Touch(folder + L"2007x231.VLG");
    Touch(folder + L"20091231.VLGX");
    Touch(folder + L"20091231.PTG");
    ASSERT_TRUE(CreateDirectoryW((folder + L"20080101.VLG").c_str(), nullptr));
    EXPECT_EQ(folder + L"20071231.VLG", Latest(LOG_VIRUS));

    const auto lines = UnloadAndReadTrace();
    EXPECT_EQ(1u, CountTrace(lines, kInfo, L"tsFindFile: " + folder + L"*.VLG"));
    EXPECT_EQ(1u, CountTrace(lines, kInfo, L"tsLatestFile: " + folder + L"20071231.VLG"));
    EXPECT_EQ(1u, CountTrace(lines, kInfo, L"tsDate: 2007x231"));
    EXPECT_EQ(0u, CountTrace(lines, kInfo, L"tsDate: 2007123."));
    EXPECT_EQ(0u, CountTrace(lines, kInfo, L"tsDate: 20080101"));
    EXPECT_EQ(1u, CountTag(lines, kError));
    size_t parseErrors = 0;
    for (const auto& line : lines)
        parseErrors +=
            line.find(L" !!! <Norquill> ::_stscanf_s() failed: ret(1), errno(") != std::wstring::npos;
    EXPECT_EQ(1u, parseErrors);
}

TEST_F(LogPathTest, LatestComparesUnvalidatedDatesAndIgnoresAllZero)
{
    const std::wstring folder = m_sandbox.LogFolder();
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    Touch(folder + L"00000000.SPG");
    EXPECT_EQ(L"", Latest(LOG_SPYWARE));

    Touch(folder + L"20071231.SPG");
    Touch(folder + L"20071399.SPG");
    Touch(folder + L"20071298.SPG");
    // "2007123x" scans as 3 December 2007 on this runtime, earlier than the rest.
    Touch(folder + L"2007123x.SPG");
    EXPECT_EQ(folder + L"20071399.SPG", Latest(LOG_SPYWARE));
}

TEST_F(LogPathTest, LatestWithNoFileOrNoFolderIsEmptySuccess)
{
    EXPECT_EQ(L"", Latest(LOG_UPDATE)); // the Log folder does not exist yet
    const std::wstring folder = m_sandbox.LogFolder();
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    EXPECT_EQ(L"", Latest(LOG_UPDATE));
    const auto lines = UnloadAndReadTrace();
    // A missing folder is "path not found", which counts as a failed search; an empty one is just no file.
    EXPECT_EQ(1u, CountTrace(lines, kError, L"::FindFirstFile() failed: 0x00000003"));
    EXPECT_EQ(1u, CountTrace(lines, kInfo, L"no log file found"));
}

TEST_F(LogPathTest, DayPathIsNotValidatedAndUnknownTypesAreRefused)
{
    LogPathQuery query = Query(LOG_TSC);
    EXPECT_EQ(RESULT_SUCCESS, Ask(query, 0));
    EXPECT_EQ(m_sandbox.LogFolder() + L"20080230.PTG", query.tsLogPath);

    for (DWORD type : {6u, 12u, 100u, 0xFFFFFFFFu})
    {
        LogPathQuery refused = Query(type);
        refused.tsLogPath = L"untouched";
        EXPECT_EQ(RESULT_FAILED, Ask(refused, 0)) << type;
        EXPECT_EQ(RESULT_FAILED, Ask(refused, 1)) << type;
        EXPECT_EQ(L"untouched", refused.tsLogPath);
    }
}

TEST_F(LogPathTest, FolderFollowsInstalledFolderValue)
{
    LogPathQuery query = Query(LOG_SUSPICIOUS, 2007, 12, 31);
    SetInstalledFolder(L"C:\\App");
    ASSERT_EQ(RESULT_SUCCESS, Ask(query, 0));
    EXPECT_EQ(L"C:\\App\\Log\\20071231.SCG", query.tsLogPath);

    SetInstalledFolder(L"C:\\App\\");
    ASSERT_EQ(RESULT_SUCCESS, Ask(query, 0));
    EXPECT_EQ(L"C:\\App\\Log\\20071231.SCG", query.tsLogPath);

    SetInstalledFolder(nullptr);
    ASSERT_EQ(RESULT_SUCCESS, Ask(query, 0));
    EXPECT_EQ(L"Log\\20071231.SCG", query.tsLogPath);

    const auto lines = UnloadAndReadTrace();
    EXPECT_EQ(1u,
              CountTrace(lines, kError,
                         L"*** Frwk::Utility::GetInstalledFolder() -  Got KvCommon::Storage::Exception(). "
                         L"[0x00000002]"));
}

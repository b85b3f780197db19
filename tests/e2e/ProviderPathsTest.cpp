#include "E2EHost.h"

using namespace E2E;
using namespace SrvFrwk;
using namespace SrvFrwk::EventLog;

namespace
{
class LogPathTest : public NorquillTest
{
protected:
    // Option 0 asks for the day's path, option 1 for the latest file of the type.
    ULONG Ask(DWORD logType, ULONG option, std::wstring& path)
    {
        LogPathQuery query;
        query.stDate = SYSTEMTIME{2008, 2, 0, 30, 0, 0, 0, 0};
        query.dwLogType = logType;
        query.tsLogPath = path;
        const ULONG result = Provider()->QueryData(TYPE_EVENTLOG, DATA_LOG_PATH, &query, option, 0);
        path = query.tsLogPath;
        return result;
    }
    std::wstring Latest(DWORD logType)
    {
        std::wstring path = L"untouched";
        EXPECT_EQ(RESULT_SUCCESS, Ask(logType, 1, path));
        return path;
    }
    void Touch(std::initializer_list<const wchar_t*> names)
    {
        CreateDirectoryW(folder.c_str(), nullptr);
        for (const wchar_t* name : names)
            ASSERT_TRUE(TestSupport::WriteFileBytes(folder + name, "\xFF\xFE", 2));
    }

    const std::wstring folder = sandbox.LogFolder();
};
} // namespace

TEST_F(LogPathTest, LatestSkipsBadNamesAndDirectoriesAndComparesUnvalidatedDates)
{
    EXPECT_EQ(L"", Latest(LOG_VIRUS)); // no Log folder yet
    Touch({L"00000000.SPG"});
    EXPECT_EQ(L"", Latest(LOG_SPYWARE));

    Touch({L"20071230.VLG", L"20071231.VLG", L"2007123.VLG", L"2007x231.VLG", L"20091231.VLGX",
           L"20091231.PTG"});
    ASSERT_TRUE(CreateDirectoryW((folder + L"20080101.VLG").c_str(), nullptr));
    EXPECT_EQ(folder + L"20071231.VLG", Latest(LOG_VIRUS));

    // "2007123x" scans as 3 December 2007 on this runtime, earlier than the rest.
    Touch({L"20071231.SPG", L"20071399.SPG", L"20071298.SPG", L"2007123x.SPG"});
    EXPECT_EQ(folder + L"20071399.SPG", Latest(LOG_SPYWARE));
}

TEST_F(LogPathTest, DayPathIsNotValidatedFollowsInstalledFolderAndUnknownTypesAreRefused)
{
    std::wstring path;
    EXPECT_EQ(RESULT_SUCCESS, Ask(LOG_TSC, 0, path));
    EXPECT_EQ(folder + L"20080230.PTG", path);
    for (DWORD type : {6u, 12u, 100u, 0xFFFFFFFFu})
        for (ULONG option : {0u, 1u})
        {
            path = L"untouched";
            EXPECT_EQ(RESULT_FAILED, Ask(type, option, path)) << type;
            EXPECT_EQ(L"untouched", path);
        }

    const wchar_t* installedKey = TestSupport::kInstallKey;
    for (const wchar_t* installed : {L"C:\\App", L"C:\\App\\"})
    {
        TestSupport::SetRegString(HKEY_LOCAL_MACHINE, installedKey, L"InstalledFolder", installed);
        ASSERT_EQ(RESULT_SUCCESS, Ask(LOG_SUSPICIOUS, 0, path));
        EXPECT_EQ(L"C:\\App\\Log\\20080230.SCG", path);
    }
    RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, installedKey, L"InstalledFolder");
    ASSERT_EQ(RESULT_SUCCESS, Ask(LOG_SUSPICIOUS, 0, path));
    EXPECT_EQ(L"Log\\20080230.SCG", path);
}

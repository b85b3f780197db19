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
    std::wstring Path(DWORD logType, ULONG option, ULONG expected = RESULT_SUCCESS)
    {
        LogPathQuery query{{2008, 2, 0, 30, 0, 0, 0, 0}, logType, L"untouched"};
        EXPECT_EQ(expected, Provider()->QueryData(TYPE_EVENTLOG, DATA_LOG_PATH, &query, option, 0));
        return query.tsLogPath;
    }
    void Touch(std::initializer_list<const wchar_t*> names)
    {
        for (const wchar_t* name : names)
            ASSERT_TRUE(TestSupport::WriteUtf16File(folder + name, L"\xFEFF"));
    }

    const std::wstring folder = sandbox.LogFolder();
};
} // namespace

TEST_F(LogPathTest, LatestSkipsBadNamesAndDirectoriesAndComparesUnvalidatedDates)
{
    EXPECT_EQ(L"", Path(LOG_VIRUS, 1)); // no Log folder yet
    Touch({L"00000000.SPG"});
    EXPECT_EQ(L"", Path(LOG_SPYWARE, 1));

    Touch({L"20071230.VLG", L"20071231.VLG", L"2007123.VLG", L"2007x231.VLG", L"20091231.VLGX",
           L"20091231.PTG"});
    ASSERT_TRUE(CreateDirectoryW((folder + L"20080101.VLG").c_str(), nullptr));
    EXPECT_EQ(folder + L"20071231.VLG", Path(LOG_VIRUS, 1));

    // "2007123x" scans as 3 December 2007 on this runtime, earlier than the rest.
    Touch({L"20071231.SPG", L"20071399.SPG", L"20071298.SPG", L"2007123x.SPG"});
    EXPECT_EQ(folder + L"20071399.SPG", Path(LOG_SPYWARE, 1));
    // ... and still beats 2 December.
    Touch({L"20071202.HLG", L"2007123x.HLG"});
    EXPECT_EQ(folder + L"2007123x.HLG", Path(LOG_PHISH_ALERT, 1));
}

TEST_F(LogPathTest, DayPathIsNotValidatedFollowsInstalledFolderAndUnknownTypesAreRefused)
{
    EXPECT_EQ(folder + L"20080230.PTG", Path(LOG_TSC, 0));
    for (DWORD type : {6u, 12u, 100u, 0xFFFFFFFFu})
        for (ULONG option : {0u, 1u})
            EXPECT_EQ(L"untouched", Path(type, option, RESULT_FAILED)) << type;

    const wchar_t* installedKey = TestSupport::kInstallKey;
    for (const wchar_t* installed : {L"C:\\App", L"C:\\App\\"})
    {
        TestSupport::SetRegString(HKEY_LOCAL_MACHINE, installedKey, L"InstalledFolder", installed);
        EXPECT_EQ(L"C:\\App\\Log\\20080230.SCG", Path(LOG_SUSPICIOUS, 0));
    }
    RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, installedKey, L"InstalledFolder");
    EXPECT_EQ(L"Log\\20080230.SCG", Path(LOG_SUSPICIOUS, 0));
}

// The log folder follows "InstalledFolder" from one event to the next, however the value changes.
#include "LogFileTest.h"

#include "Frwk_Utility.h"
#include "KvComn_RegistryWatch.h"
#include "KvComn_StorageException.h"
#include "TscLog.h"

#include <atomic>
#include <thread>

using namespace SrvFrwk;
using namespace SrvFrwk::EventLog;

namespace
{
void SetInstalledFolder(const std::wstring& folder)
{
    ASSERT_TRUE(
        TestSupport::SetRegString(HKEY_LOCAL_MACHINE, TestSupport::kInstallKey, L"InstalledFolder", folder));
}
} // namespace

using LogFolderTest = LogFileTest;

// Another process creates the key after the watch found it missing, or deletes and creates it again after
// the watch opened it, before the key's ancestor is watched: the watch must still tell of what is set later.
TEST_F(LogFolderTest, KeyCreatedOrReplacedWhileItsAncestorIsBeingArmedIsStillFollowed)
{
    static std::atomic<int> hooked{0};
    static std::wstring s_between;
    for (const bool existing : {false, true})
    {
        SCOPED_TRACE(existing);
        TestSupport::TempFolder between, after;
        s_between = between.Path();
        ASSERT_TRUE(TestSupport::DeleteRegTree(HKEY_LOCAL_MACHINE, TestSupport::kInstallKey));
        SetInstalledFolder(L"C:\\Before\\"); // a key of one value and no sub-key
        Frwk::Utility::GetLogFolder();       // the watch has seen the key
        // A change the watch tells of: the next lookup arms it again, with the key there or missing.
        if (existing)
            SetInstalledFolder(L"C:\\Changed\\");
        else
            ASSERT_TRUE(TestSupport::DeleteRegTree(HKEY_LOCAL_MACHINE, TestSupport::kInstallKey));
        hooked = 0;
        KvCommon::Storage::RegistryWatch::SetArmHook(
            []
            {
                if (hooked++ != 0)
                    return;
                // Whole, with its value: deleting the value first would itself tell the key's watch.
                RegDeleteKeyW(HKEY_LOCAL_MACHINE, TestSupport::kInstallKey);
                SetInstalledFolder(s_between);
            });
        const std::wstring seen = Frwk::Utility::GetLogFolder();
        KvCommon::Storage::RegistryWatch::SetArmHook(nullptr);
        ASSERT_GT(hooked.load(), 0);
        EXPECT_EQ(between.Path() + L"Log\\", seen);
        SetInstalledFolder(after.Path()); // the value alone changes
        TscLogRecord record{L"event", 1, {}};
        ASSERT_EQ(RESULT_SUCCESS, CTscLog().WriteLog(&record, 0, 0));
        EXPECT_TRUE(TestSupport::FileExists(after.Path() + L"Log\\" + TestSupport::DateText(kNow) + L".PTG"));
    }
}

TEST_F(LogFolderTest, ThreadsReadingWhileTheValueChangesSeeOneWholeValueOrTheOther)
{
    const std::wstring a = L"C:\\Folder\\A\\", b = L"C:\\Other\\Folder\\Named\\B\\";
    std::atomic<bool> done{false};
    std::atomic<int> torn{0};
    SetInstalledFolder(a);
    std::vector<std::thread> readers;
    for (int t = 0; t < 3; ++t)
        readers.emplace_back(
            [&]
            {
                while (!done)
                {
                    // A lookup that keeps meeting changes between its size query and its read may fail
                    // or find nothing; it never gives a mixture.
                    try
                    {
                        const std::wstring folder = Frwk::Utility::GetLogFolder();
                        if (folder != a + L"Log\\" && folder != b + L"Log\\" && folder != L"Log\\")
                            ++torn;
                    }
                    catch (KvCommon::Storage::Exception* e)
                    {
                        delete e;
                    }
                }
            });
    for (int i = 0; i < 200; ++i)
        SetInstalledFolder(i % 2 ? a : b);
    done = true;
    for (std::thread& reader : readers)
        reader.join();
    EXPECT_EQ(0, torn.load());
    EXPECT_EQ(a + L"Log\\", Frwk::Utility::GetLogFolder());
}

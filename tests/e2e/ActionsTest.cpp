#include "E2EHost.h"

using namespace E2E;
using namespace SrvFrwk;
using namespace SrvFrwk::EventLog;
using TestSupport::FileExists;
using TestSupport::kEventLogKey;

using ActionsTest = NorquillTest;

TEST_F(ActionsTest, ReportIsDueByFrequencyFlagAndStampAndMovesTheStampToTodayNoon)
{
    const struct
    {
        const char* what;
        DWORD frequency, flag;
        int days, month;  // month 0: the day's own
        size_t stampSize; // 0: no stamp
        ULONG result;
        bool due;
    } cases[] = {
        {"one day short", 7, 1, -6, 0, 16, RESULT_SUCCESS, false},
        {"exactly the frequency", 7, 1, -7, 0, 16, RESULT_SUCCESS, true},
        {"frequency 0", 0, 1, 0, 0, 16, RESULT_SUCCESS, true},
        {"future stamp wraps", 7, 1, 3, 0, 16, RESULT_SUCCESS, true},
        {"month 13", 7, 1, 0, 13, 16, RESULT_SUCCESS, true},
        {"switched off", 7, 2, -30, 0, 16, RESULT_SUCCESS, false},
        {"no stamp", 7, 1, 0, 0, 0, RESULT_SUCCESS, false}, // the action's code 2 is success to the host
        {"eight bytes", 7, 1, 0, 0, 8, RESULT_FAILED, false},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        TestSupport::SetRegDword(HKEY_LOCAL_MACHINE, kEventLogKey, L"GenReportFrequency", c.frequency);
        TestSupport::SetRegDword(HKEY_LOCAL_MACHINE, kEventLogKey, L"ReportAlertFlag", c.flag);
        SYSTEMTIME stored = NoonInDays(c.days);
        stored.wMonth = c.month ? static_cast<WORD>(c.month) : stored.wMonth;
        std::vector<BYTE> before = Bytes(stored);
        before.resize(c.stampSize);
        RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kEventLogKey, L"LastReportDate");
        if (!before.empty())
            TestSupport::SetRegBinary(HKEY_LOCAL_MACHINE, kEventLogKey, L"LastReportDate", before.data(),
                                      static_cast<DWORD>(before.size()));
        const size_t reports = controller.calls.size();
        EXPECT_EQ(c.result, Provider()->DoAction(TYPE_EVENTLOG, ACTION_REPORT, 0, nullptr, 0, 0, 0));
        EXPECT_EQ(reports + (c.due ? 1 : 0), controller.calls.size());
        EXPECT_EQ(c.due ? Bytes(NoonInDays(0)) : before, SettingBytes(L"LastReportDate"));
    }
    ASSERT_FALSE(controller.calls.empty());
    const std::vector<ULONG_PTR>& call = controller.calls[0];
    EXPECT_NE(0u, call[4]); // scratch space of the plug-in's own
    EXPECT_EQ(std::vector<ULONG_PTR>({22, 1, 0, 0, call[4], 0x80000, 0, 0}), call);
}

TEST_F(ActionsTest, SetupHooksGoAndAMissingShortcutFails)
{
    const auto removeHooks = [&]
    { return Provider()->DoAction(TYPE_EVENTLOG, ACTION_SETUP_LINK_REMOVE, 0, nullptr, 0, 0, 0); };
    const wchar_t* runKey = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
    TestSupport::RegistryKeyGuard run(HKEY_LOCAL_MACHINE, runKey, false);
    const std::wstring link = StartupLink();
    ASSERT_FALSE(FileExists(link)) << "a real shortcut would be lost";
    ASSERT_TRUE(TestSupport::SetRegString(HKEY_LOCAL_MACHINE, runKey, L"qelsetup.exe", L"C:\\qelsetup.exe"));
    ASSERT_TRUE(TestSupport::WriteFileBytes(link, "x", 1));

    EXPECT_EQ(RESULT_SUCCESS, removeHooks());
    EXPECT_NE(ERROR_SUCCESS, RegGetValueW(HKEY_LOCAL_MACHINE, runKey, L"qelsetup.exe", RRF_RT_ANY, nullptr,
                                          nullptr, nullptr));
    EXPECT_FALSE(FileExists(link));

    // Without the Run value the shortcut is still removed; once it is gone the action fails.
    ASSERT_TRUE(TestSupport::WriteFileBytes(link, "x", 1));
    EXPECT_EQ(RESULT_SUCCESS, removeHooks());
    EXPECT_FALSE(FileExists(link));
    EXPECT_EQ(RESULT_FAILED, removeHooks());
}

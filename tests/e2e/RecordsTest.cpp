#include "E2EHost.h"

using namespace SrvFrwk;
using namespace SrvFrwk::EventLog;

using RecordsTest = E2E::NorquillTest;

// Stored twice: mark and last-date stamp on a new file only; lines exact but for their date and time.
TEST_F(RecordsTest, EveryKindWritesItsExactLineAndReadsItBack)
{
    const std::wstring today = TestSupport::DateText(TestSupport::Today());
    E2E::ForEachKind(
        [&](ULONG subType, const wchar_t* extension, const wchar_t* lastDate, auto record,
            std::wstring fields)
        {
            SCOPED_TRACE(extension);
            const auto store = [&] { return Provider()->StoreData(TYPE_EVENTLOG, subType, &record, 0, 0); };
            const wchar_t* stampName = lastDate ? lastDate : L"VSTLastDate";
            ASSERT_EQ(RESULT_SUCCESS, store());
            const std::vector<BYTE> stamp = E2E::SettingBytes(stampName);
            ASSERT_EQ(lastDate ? sizeof(SYSTEMTIME) : 0u, stamp.size());
            if (lastDate)
            {
                EXPECT_EQ(today, TestSupport::DateText(*reinterpret_cast<const SYSTEMTIME*>(stamp.data())));
            }
            RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, TestSupport::kEventLogKey, stampName);
            ASSERT_EQ(RESULT_SUCCESS, store());
            EXPECT_TRUE(E2E::SettingBytes(stampName).empty()) << "a later event of the day stamped again";

            const std::wstring file = sandbox.LogFolder() + today + L"." + extension;
            const std::wstring text = TestSupport::ReadUtf16File(file);
            const size_t second = text.find(L"\r\n", 17 + fields.size()) + 2;
            ASSERT_GT(text.size(), second + 16);
            EXPECT_EQ(today + L"|", text.substr(1, 9));
            EXPECT_EQ(L"\xFEFF" + text.substr(1, 16) + fields + L"\r\n" + text.substr(second, 16) + fields +
                          L"\r\n",
                      text);
            EXPECT_EQ(0u, TestSupport::ReadFileBytes(file).size() % 2);
            LogQueryData<decltype(record)> query{TestSupport::Today(), {}};
            EXPECT_EQ(RESULT_SUCCESS, Provider()->QueryData(TYPE_EVENTLOG, subType, &query, 0, 0));
            EXPECT_EQ(2u, query.records.size());
        });
}

TEST_F(RecordsTest, VirusEventOutlivesAnUnwritableSettingsKeyAndEachThreatValueIsTraced)
{
    // Under a volatile parent the lasting settings key cannot be created (1021).
    std::wstring parent = TestSupport::kEventLogKey;
    parent.resize(parent.rfind(L'\\'));
    TestSupport::RegistryKeyGuard guard(HKEY_LOCAL_MACHINE, parent);
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_LOCAL_MACHINE, parent.c_str(), 0, nullptr,
                                             REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr, &key, nullptr));
    RegCloseKey(key);

    VirusLogRecord record{1, 2, L"Eicar", 0, 0, 0, 0, {}, L"C:\\v.exe", L"", {}};
    ASSERT_EQ(RESULT_SUCCESS, Provider()->StoreData(TYPE_EVENTLOG, 1, &record, 0, 0));
    EXPECT_TRUE(TestSupport::FileExists(TodayFile(L"VLG")));
    // Name, file and time of the threat, then the new day file's stamp.
    E2E::ExpectTraces(UnloadAndReadTrace(),
                      {{4, E2E::kError, L"KvCommon::Storage::Reg::StoreValue() failed: 0x000003FD"}});
}

// A read of many records runs a thread inside the plug-in, which holds a reference on the DLL of its own: the
// host's reference must stay as it was, and the thread's must be gone once it has ended.
TEST_F(RecordsTest, LargeReadsLeaveThePluginLoadedForTheHostAndUnloadedAfterIt)
{
    const size_t lines = 5000; // 12 MB of records
    std::wstring day(1, L'\xFEFF');
    for (size_t i = 0; i < lines; ++i)
        day += L"20260304|090807|0000002a|0|1|1|Threat|C:\\f.exe|1|2|3|4\r\n";
    ASSERT_TRUE(TestSupport::WriteUtf16File(TodayFile(L"VLG"), day));

    const std::vector<DWORD> threads = TestSupport::ThreadIds();
    for (int read = 0; read < 3; ++read)
    {
        VirusLogQuery query{TestSupport::Today(), {}};
        ASSERT_EQ(RESULT_SUCCESS, Provider()->QueryData(TYPE_EVENTLOG, 1, &query, 0, 0));
        ASSERT_EQ(lines, query.records.size());
    }
    ASSERT_TRUE(TestSupport::ThreadsEnded(threads, 30000));
    ASSERT_NE(nullptr, GetModuleHandleW(L"Norquill.dll"));
    VirusLogQuery again{TestSupport::Today(), {}};
    EXPECT_EQ(RESULT_SUCCESS, Provider()->QueryData(TYPE_EVENTLOG, 1, &again, 0, 0));

    Unload();
    ASSERT_TRUE(TestSupport::ThreadsEnded(threads, 30000));
    EXPECT_EQ(nullptr, GetModuleHandleW(L"Norquill.dll"));
}

#include "E2EHost.h"

#include <functional>

using namespace SrvFrwk;
using namespace SrvFrwk::EventLog;
using SrvFrwk::Interface::IEnforceProvider;

namespace
{
struct Kind
{
    const wchar_t *extension, *lastDate; // lastDate null: the kind keeps no stamp
    std::wstring fields;
    std::function<ULONG(IEnforceProvider*)> store;
    std::function<size_t(IEnforceProvider*)> recordsOfToday;
};

template <class R>
Kind MakeKind(ULONG subType, const wchar_t* extension, const wchar_t* lastDate, R record,
              const wchar_t* fields)
{
    return {extension, lastDate, fields,
            [=](IEnforceProvider* p) mutable { return p->StoreData(TYPE_EVENTLOG, subType, &record, 0, 0); },
            [=](IEnforceProvider* p)
            {
                LogQueryData<R> query;
                query.stDay = TestSupport::Today();
                EXPECT_EQ(RESULT_SUCCESS, p->QueryData(TYPE_EVENTLOG, subType, &query, 0, 0));
                return query.records.size();
            }};
}

} // namespace

using RecordsTest = E2E::NorquillTest;

// Stored twice: mark and last-date stamp on a new file only; lines exact but for their date and time.
TEST_F(RecordsTest, EveryKindWritesItsExactLineAndReadsItBack)
{
    const Kind kinds[] = {
        MakeKind(1, L"VLG", L"VIRLastDate",
                 VirusLogRecord{12, 0x1A, L"Eicar", 0, 0, 0, -4, {}, L"C:\\v.exe", L"", {}},
                 L"00000012|0000001a|2|1|Eicar|C:\\v.exe|0|0|0|-4"),
        MakeKind(2, L"SPG", L"SPYLastDate",
                 SpyLogRecord{{}, 3, L"", 0, L"P", L"", L"N", L"", L"", 1, 0, 0, {}, L"", 0, {}, 0, {}},
                 L"0x00000001|0|P||N|||3||0|0|"),
        MakeKind(3, L"VAG", L"VLNLastDate", VaLogRecord{L"abc", 12345678, 0, L"xyz", {}},
                 L"abc|1234567|0|xyz"),
        MakeKind(4, L"PTG", L"TSCLastDate", TscLogRecord{L"abc", 42, {}}, L"abc|42"),
        MakeKind(5, L"UPG", L"UPGLastDate", AuLogRecord{1, 0, -1, 7, L"A", L"B", {}}, L"1|0|-1|7|A|B"),
        MakeKind(6, L"HCG", L"HISLastDate", HisCleanLogRecord{1, {}, 0, {}, 5368709120LL, {}, 3, {}},
                 L"3|1|1073741824"),
        MakeKind(7, L"ULG", L"URLLastDate",
                 UrlFilterLogRecord{0, 0x80, L"http://x", 0, L"", L"", 0, 0, L"t4", {}},
                 L"00000000|00000080|http://x|t4||"),
        MakeKind(8, L"PPG", L"PVYLastDate", PvyLogRecord{2, 0, L"", 0, L"t2", L"", L"", L"", L"t6", {}},
                 L"2|0||0|t2|t6"),
        MakeKind(9, L"HLG", L"PHALastDate", PhishAlertLogRecord{0, 128, 7, L"t1", L"", L"", {}},
                 L"0|128|7|t1|"),
        MakeKind(10, L"SCG", nullptr,
                 SpyLogRecord{{}, 16, L"", 0, L"", L"", L"N", L"", L"", 0, 0, 0, {}, L"", 1, {}, 0, {}},
                 L"0x00000000|0|||16|N||||0|0|"),
    };
    const std::wstring today = TestSupport::DateText(TestSupport::Today());
    for (const Kind& kind : kinds)
    {
        SCOPED_TRACE(kind.extension);
        const wchar_t* stampName = kind.lastDate ? kind.lastDate : L"VSTLastDate";
        ASSERT_EQ(RESULT_SUCCESS, kind.store(Provider()));
        const std::vector<BYTE> stamp = E2E::SettingBytes(stampName);
        ASSERT_EQ(kind.lastDate ? sizeof(SYSTEMTIME) : 0u, stamp.size());
        if (kind.lastDate)
        {
            EXPECT_EQ(today, TestSupport::DateText(*reinterpret_cast<const SYSTEMTIME*>(stamp.data())));
        }
        RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, TestSupport::kEventLogKey, stampName);
        ASSERT_EQ(RESULT_SUCCESS, kind.store(Provider()));
        EXPECT_TRUE(E2E::SettingBytes(stampName).empty()) << "a later event of the day stamped again";

        const std::wstring file = sandbox.LogFolder() + today + L"." + kind.extension;
        const std::wstring text = TestSupport::ReadUtf16File(file);
        const size_t second = text.find(L"\r\n", 17 + kind.fields.size()) + 2;
        ASSERT_GT(text.size(), second + 16);
        EXPECT_EQ(today + L"|", text.substr(1, 9));
        const std::wstring expected = L"\xFEFF" + text.substr(1, 16) + kind.fields + L"\r\n" +
                                      text.substr(second, 16) + kind.fields + L"\r\n";
        EXPECT_EQ(expected, text);
        EXPECT_EQ(0u, TestSupport::ReadFileBytes(file).size() % 2);
        EXPECT_EQ(2u, kind.recordsOfToday(Provider()));
    }
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
    EXPECT_TRUE(
        TestSupport::FileExists(sandbox.LogFolder() + TestSupport::DateText(TestSupport::Today()) + L".VLG"));
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
    ::CreateDirectoryW(sandbox.LogFolder().c_str(), nullptr);
    ASSERT_TRUE(TestSupport::WriteFileBytes(sandbox.LogFolder() +
                                                TestSupport::DateText(TestSupport::Today()) + L".VLG",
                                            day.data(), day.size() * sizeof(wchar_t)));

    for (int read = 0; read < 3; ++read)
    {
        VirusLogQuery query;
        query.stDay = TestSupport::Today();
        ASSERT_EQ(RESULT_SUCCESS, Provider()->QueryData(TYPE_EVENTLOG, 1, &query, 0, 0));
        ASSERT_EQ(lines, query.records.size());
    }
    ::Sleep(200); // the threads have ended
    ASSERT_NE(nullptr, GetModuleHandleW(L"Norquill.dll"));
    VirusLogQuery again;
    again.stDay = TestSupport::Today();
    EXPECT_EQ(RESULT_SUCCESS, Provider()->QueryData(TYPE_EVENTLOG, 1, &again, 0, 0));

    Unload();
    for (int i = 0; i < 500 && GetModuleHandleW(L"Norquill.dll"); ++i)
        ::Sleep(10);
    EXPECT_EQ(nullptr, GetModuleHandleW(L"Norquill.dll"));
}

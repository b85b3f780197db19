#include "E2EHost.h"

#include <functional>

using namespace SrvFrwk;
using namespace SrvFrwk::EventLog;

namespace
{
class RecordsTest : public E2E::NorquillTest
{
protected:
    std::wstring DayFile(const wchar_t* extension) const
    {
        return sandbox.LogFolder() + TestSupport::DateText(TestSupport::Today()) + L"." + extension;
    }

    static std::vector<BYTE> RegBytes(const wchar_t* name)
    {
        DWORD type = 0;
        std::vector<BYTE> data;
        TestSupport::GetRegValue(HKEY_LOCAL_MACHINE, TestSupport::kEventLogKey, name, type, data);
        return data;
    }

    // Stores the record twice through the provider and checks the day file byte for byte, the last-date
    // stamp of the new file, and the records read back.
    template <class TRecord>
    void WriteAndReadBack(ULONG subType, const wchar_t* extension, const wchar_t* lastDate, TRecord record,
                          const std::wstring& fields, const std::function<void(const TRecord&)>& check)
    {
        SCOPED_TRACE(extension);
        E2E::ProviderSession provider(Dll());
        ASSERT_TRUE(provider.provider);
        ASSERT_EQ(RESULT_SUCCESS, provider->StoreData(TYPE_EVENTLOG, subType, &record, 0, 0));
        std::vector<BYTE> stamp = RegBytes(lastDate ? lastDate : L"VSTLastDate");
        if (lastDate)
        {
            ASSERT_EQ(sizeof(SYSTEMTIME), stamp.size());
            SYSTEMTIME written;
            memcpy(&written, stamp.data(), sizeof(written));
            EXPECT_EQ(TestSupport::DateText(TestSupport::Today()), TestSupport::DateText(written));
            // A later event of the same day must leave the stamp alone.
            const BYTE marker[16] = {0xAA};
            TestSupport::SetRegBinary(HKEY_LOCAL_MACHINE, TestSupport::kEventLogKey, lastDate, marker, 16);
            stamp.assign(marker, marker + 16);
        }
        else
            EXPECT_TRUE(stamp.empty());
        ASSERT_EQ(RESULT_SUCCESS, provider->StoreData(TYPE_EVENTLOG, subType, &record, 0, 0));
        EXPECT_EQ(stamp, RegBytes(lastDate ? lastDate : L"VSTLastDate"));

        // Date and time come from the clock; everything else must be exact.
        const std::wstring text = TestSupport::ReadUtf16File(DayFile(extension));
        const size_t second = text.find(L"\r\n", 17 + fields.size()) + 2;
        ASSERT_GT(text.size(), second + 16);
        const std::wstring expected =
            L"\xFEFF" + text.substr(1, 16) + fields + L"\r\n" + text.substr(second, 16) + fields + L"\r\n";
        const std::vector<BYTE> bytes = TestSupport::ReadFileBytes(DayFile(extension));
        ASSERT_EQ(expected.size() * 2, bytes.size());
        EXPECT_EQ(0, memcmp(expected.data(), bytes.data(), bytes.size()));
        EXPECT_EQ(0xFF, bytes[0]);
        EXPECT_EQ(0xFE, bytes[1]);
        EXPECT_EQ(TestSupport::DateText(TestSupport::Today()) + L"|", text.substr(1, 9));

        LogQueryData<TRecord> query;
        query.stDay = TestSupport::Today();
        ASSERT_EQ(RESULT_SUCCESS, provider->QueryData(TYPE_EVENTLOG, subType, &query, 0, 0));
        ASSERT_EQ(2u, query.records.size());
        EXPECT_EQ(query.stDay.wYear, query.records[1].stTime.wYear);
        EXPECT_EQ(query.stDay.wDay, query.records[1].stTime.wDay);
        check(query.records[1]);
    }
};
} // namespace

TEST_F(RecordsTest, EveryKindWritesItsLineAndReadsItBack)
{
    VirusLogRecord virus{};
    virus.dwNumber = 12;
    virus.dwCode = 0x1A;
    wcscpy_s(virus.szThreatName, L"Eicar");
    wcscpy_s(virus.szFilePath, L"C:\\v.exe");
    virus.nValue4 = -4;
    WriteAndReadBack<VirusLogRecord>(1, L"VLG", L"VIRLastDate", virus,
                                     L"00000012|0000001a|2|1|Eicar|C:\\v.exe|0|0|0|-4",
                                     [](const VirusLogRecord& r)
                                     {
                                         EXPECT_EQ(0x12, r.dwNumber);
                                         EXPECT_STREQ(L"Eicar", r.szThreatName);
                                         EXPECT_EQ(-4, r.nValue4);
                                     });

    SpyLogRecord spy{};
    spy.dwCode = 1;
    wcscpy_s(spy.szPath, L"P");
    wcscpy_s(spy.szItem, L"N");
    spy.nType = 3;
    WriteAndReadBack<SpyLogRecord>(2, L"SPG", L"SPYLastDate", spy, L"0x00000001|0|P||N|||3||0|0|",
                                   [](const SpyLogRecord& r)
                                   {
                                       EXPECT_STREQ(L"N", r.szItem);
                                       EXPECT_EQ(3, r.nType);
                                   });

    VaLogRecord va{};
    wcscpy_s(va.szName, L"abc");
    va.nValue1 = 12345678;
    wcscpy_s(va.szText1, L"xyz");
    WriteAndReadBack<VaLogRecord>(3, L"VAG", L"VLNLastDate", va, L"abc|1234567|0|xyz",
                                  [](const VaLogRecord& r) { EXPECT_EQ(1234567, r.nValue1); });

    WriteAndReadBack<TscLogRecord>(4, L"PTG", L"TSCLastDate", TscLogRecord{L"abc", 42, {}}, L"abc|42",
                                   [](const TscLogRecord& r) { EXPECT_EQ(42, r.nValue1); });

    WriteAndReadBack<AuLogRecord>(5, L"UPG", L"UPGLastDate", AuLogRecord{1, 0, -1, 7, L"A", L"B", {}},
                                  L"1|0|-1|7|A|B",
                                  [](const AuLogRecord& r) { EXPECT_STREQ(L"B", r.szText2); });

    HisCleanLogRecord clean{};
    clean.dwKind = 1;
    clean.dwValue = 3;
    clean.qwAmount = 5368709120LL;
    WriteAndReadBack<HisCleanLogRecord>(6, L"HCG", L"HISLastDate", clean, L"3|1|1073741824",
                                        [](const HisCleanLogRecord& r)
                                        { EXPECT_EQ(1073741824, r.qwAmount); });

    UrlFilterLogRecord url;
    url.dwCode = 0x80;
    url.tsText1 = L"http://x";
    url.tsText4 = L"t4";
    WriteAndReadBack<UrlFilterLogRecord>(7, L"ULG", L"URLLastDate", url, L"00000000|00000080|http://x|t4||",
                                         [](const UrlFilterLogRecord& r) { EXPECT_EQ(L"t4", r.tsText4); });

    PvyLogRecord privacy;
    privacy.dwType = 2;
    privacy.tsText2 = L"t2";
    privacy.tsText6 = L"t6";
    WriteAndReadBack<PvyLogRecord>(8, L"PPG", L"PVYLastDate", privacy, L"2|0||0|t2|t6",
                                   [](const PvyLogRecord& r) { EXPECT_EQ(L"t6", r.tsText6); });

    PhishAlertLogRecord phish;
    phish.dwCode = 128;
    phish.nValue2 = 7;
    phish.tsText1 = L"t1";
    WriteAndReadBack<PhishAlertLogRecord>(9, L"HLG", L"PHALastDate", phish, L"0|128|7|t1|",
                                          [](const PhishAlertLogRecord& r) { EXPECT_EQ(7, r.nValue2); });

    SpyLogRecord change{};
    change.dwFlag = 1;
    change.nType = 16;
    wcscpy_s(change.szItem, L"N");
    WriteAndReadBack<SpyLogRecord>(10, L"SCG", nullptr, change, L"0x00000000|0|||16|N||||0|0|",
                                   [](const SpyLogRecord& r) { EXPECT_STREQ(L"N", r.szText3); });
}

TEST_F(RecordsTest, QueryOfADayWithoutFileFailsAndKeepsTheList)
{
    E2E::ProviderSession provider(Dll());
    ASSERT_TRUE(provider.provider);
    TscLogQuery query;
    query.stDay = TestSupport::Today();
    query.records.resize(1);
    EXPECT_EQ(RESULT_FAILED, provider->QueryData(TYPE_EVENTLOG, DATA_TSC, &query, 0, 0));
    EXPECT_EQ(1u, query.records.size());
}

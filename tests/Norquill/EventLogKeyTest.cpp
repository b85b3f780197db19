#include "EventLogKey.h"

#include "KvComn_Clock.h"
#include "SrvFrwk_Interface.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

using TestSupport::kEventLogKey;

namespace
{
class EventLogKeyTest : public ::testing::Test
{
protected:
    void TearDown() override { KvCommon::Clock::SetSource(nullptr); }
    // Clears the event-log key and its parent levels that a store may create; restored afterwards.
    TestSupport::RegistryKeyGuard m_key{HKEY_LOCAL_MACHINE, kEventLogKey};
};

void WINAPI LeapDayEvening(LPSYSTEMTIME time)
{
    *time = SYSTEMTIME{2024, 2, 4, 29, 23, 59, 58, 999};
}
} // namespace

TEST_F(EventLogKeyTest, QueriesOnAMissingKeyGiveTheirDefaults)
{
    EXPECT_EQ(42u, EventLogKey::QueryDword(L"GenReportFrequency", 42));
    EXPECT_EQ(L"", EventLogKey::QueryString(kEventLogKey, L"MostRecentThreatName"));
    KvCommon::ByteArray data;
    DWORD error = 0;
    EXPECT_FALSE(EventLogKey::QueryBinary(L"VIRLastDate", data, &error));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), error);
    SYSTEMTIME time{};
    time.wYear = 1999;
    EXPECT_EQ(static_cast<ULONG>(ERROR_FILE_NOT_FOUND), EventLogKey::ReadTimeStamp(L"VIRLastDate", time));
    EXPECT_EQ(1999, time.wYear);
}

TEST_F(EventLogKeyTest, WrongTypesFallBackAndWrongStampSizesAreInvalid)
{
    TestSupport::SetRegString(HKEY_LOCAL_MACHINE, kEventLogKey, L"GenReportFrequency", L"14");
    EXPECT_EQ(7u, EventLogKey::QueryDword(L"GenReportFrequency", 7));

    const BYTE eight[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    TestSupport::SetRegBinary(HKEY_LOCAL_MACHINE, kEventLogKey, L"VIRLastDate", eight, sizeof(eight));
    KvCommon::ByteArray data;
    DWORD error = 99;
    ASSERT_TRUE(EventLogKey::QueryBinary(L"VIRLastDate", data, &error));
    EXPECT_EQ(0u, error);
    EXPECT_EQ(8u, data.GetSize());
    SYSTEMTIME time{};
    EXPECT_EQ(SrvFrwk::RESULT_FAILED, EventLogKey::ReadTimeStamp(L"VIRLastDate", time));
    EXPECT_EQ(0, time.wYear);
}

TEST_F(EventLogKeyTest, StoresCreateTheKeyAndRoundTrip)
{
    // Remove the parents too: a store must create the whole path.
    TestSupport::RegistryKeyGuard parent(HKEY_LOCAL_MACHINE,
                                         L"Software\\Kelvanor\\Brisqual\\16\\ServiceFramework");
    DWORD error = 99;
    ASSERT_TRUE(EventLogKey::StoreDword(L"EventLogPurgeFre", 12, &error));
    EXPECT_EQ(0u, error);
    EXPECT_EQ(12u, EventLogKey::QueryDword(L"EventLogPurgeFre", 30));
    ASSERT_TRUE(EventLogKey::StoreString(L"MostRecentThreatFile", L"C:\\a b\\c.exe", nullptr));
    EXPECT_EQ(L"C:\\a b\\c.exe", EventLogKey::QueryString(kEventLogKey, L"MostRecentThreatFile"));

    const SYSTEMTIME stamp{2007, 12, 1, 31, 23, 59, 59, 999};
    ASSERT_TRUE(EventLogKey::StoreTimeStamp(L"VIRLastDate", stamp));
    DWORD type = 0;
    std::vector<BYTE> raw;
    ASSERT_TRUE(TestSupport::GetRegValue(HKEY_LOCAL_MACHINE, kEventLogKey, L"VIRLastDate", type, raw));
    EXPECT_EQ(static_cast<DWORD>(REG_BINARY), type);
    ASSERT_EQ(16u, raw.size());
    EXPECT_EQ(0xD7, raw[0]); // 2007, little-endian
    EXPECT_EQ(0x07, raw[1]);
    EXPECT_EQ(31, raw[6]);
    SYSTEMTIME back{};
    ASSERT_EQ(SrvFrwk::RESULT_SUCCESS, EventLogKey::ReadTimeStamp(L"VIRLastDate", back));
    EXPECT_EQ(0, memcmp(&stamp, &back, sizeof(stamp)));
}

TEST_F(EventLogKeyTest, TodayAtNoonKeepsDateAndDayOfWeek)
{
    KvCommon::Clock::SetSource(&LeapDayEvening);
    const SYSTEMTIME noon = EventLogKey::TodayAtNoon();
    const SYSTEMTIME expected{2024, 2, 4, 29, 12, 0, 0, 0};
    EXPECT_EQ(0, memcmp(&expected, &noon, sizeof(noon)));
}

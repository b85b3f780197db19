#include "EventLogProvider.h"

#include "KvComn_Clock.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

using namespace SrvFrwk;
using TestSupport::kEventLogKey;

namespace
{
void WINAPI NewYearsEve(LPSYSTEMTIME time)
{
    *time = SYSTEMTIME{2007, 12, 1, 31, 23, 59, 59, 999};
}

SYSTEMTIME Stamp(const wchar_t* name)
{
    DWORD type = 0;
    std::vector<BYTE> raw;
    SYSTEMTIME time{};
    if (TestSupport::GetRegValue(HKEY_LOCAL_MACHINE, kEventLogKey, name, type, raw) &&
        raw.size() == sizeof(time))
        memcpy(&time, raw.data(), sizeof(time));
    return time;
}

class EventLogProviderTest : public ::testing::Test
{
protected:
    void SetUp() override { KvCommon::Clock::SetSource(&NewYearsEve); }
    void TearDown() override { KvCommon::Clock::SetSource(nullptr); }
    TestSupport::EventLogSandbox m_sandbox;
    CEventLogProvider m_provider{nullptr};
};
} // namespace

TEST_F(EventLogProviderTest, InstallStampsTheMomentAndTheReportDayAtNoon)
{
    ASSERT_EQ(RESULT_SUCCESS, m_provider.Install());
    const SYSTEMTIME now{2007, 12, 1, 31, 23, 59, 59, 999};
    for (const wchar_t* name : {L"MostRecentThreatTime", L"VIRLastDate", L"SPYLastDate", L"TSCLastDate",
                                L"UPGLastDate", L"PFWLastDate", L"VLNLastDate", L"URLLastDate",
                                L"PHALastDate", L"PVYLastDate", L"HISLastDate", L"VSTLastDate"})
    {
        const SYSTEMTIME stamp = Stamp(name);
        EXPECT_EQ(0, memcmp(&now, &stamp, sizeof(now))) << static_cast<int>(stamp.wYear);
    }
    const SYSTEMTIME noon{2007, 12, 1, 31, 12, 0, 0, 0};
    const SYSTEMTIME report = Stamp(L"LastReportDate");
    EXPECT_EQ(0, memcmp(&noon, &report, sizeof(noon)));
}

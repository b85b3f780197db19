#include "LogFileTest.h"

#include "PhishAlertLog.h"

using namespace SrvFrwk::EventLog;

namespace
{
PhishAlertLogRecord Phish(LONG code)
{
    PhishAlertLogRecord r;
    r.nValue1 = -5;
    r.dwCode = code;
    r.nValue2 = 7;
    r.tsText1 = L"t1";
    r.tsText2 = L"t2";
    r.tsText3 = L"t3";
    return r;
}
} // namespace

using PhishAlertLogTest = LogFileTest;

TEST_F(PhishAlertLogTest, EveryFieldIsFollowedByASeparator)
{
    EXPECT_EQ(std::wstring(kPrefix) + L"-5|3|t2|t1|t3|\r\n", Line<CPhishAlertLog>(Phish(3)));
    EXPECT_EQ(std::wstring(kPrefix) + L"-5|128|7|t1|\r\n", Line<CPhishAlertLog>(Phish(128)));
}

TEST_F(PhishAlertLogTest, CodeReadFromTheLineDecidesTheFields)
{
    PhishAlertLogRecord r =
        ReadBack<CPhishAlertLog, PhishAlertLogRecord>(Body(Line<CPhishAlertLog>(Phish(3))));
    EXPECT_EQ(-5, r.nValue1);
    EXPECT_EQ(3, r.dwCode);
    EXPECT_EQ(0, r.nValue2);
    EXPECT_EQ(L"t2", r.tsText2);
    EXPECT_EQ(L"t1", r.tsText1);
    EXPECT_EQ(L"t3", r.tsText3);

    r = ReadBack<CPhishAlertLog, PhishAlertLogRecord>(Body(Line<CPhishAlertLog>(Phish(128))));
    EXPECT_EQ(128, r.dwCode);
    EXPECT_EQ(7, r.nValue2);
    EXPECT_EQ(L"t1", r.tsText1);
    EXPECT_EQ(L"", r.tsText2);
    EXPECT_EQ(L"", r.tsText3);
}

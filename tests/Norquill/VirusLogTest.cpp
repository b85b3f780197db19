#include "LogFileTest.h"

#include "VirusLog.h"

using namespace SrvFrwk::EventLog;

namespace
{
VirusLogRecord Virus(const wchar_t* name, const wchar_t* path, const wchar_t* detail)
{
    VirusLogRecord r{};
    r.dwNumber = -5;
    r.dwCode = 0x1A;
    wcscpy_s(r.szThreatName, name);
    wcscpy_s(r.szFilePath, path);
    wcscpy_s(r.szDetail, detail);
    r.nValue1 = 1;
    r.nValue2 = -2;
    r.nValue3 = 2147483647;
    r.nValue4 = 0;
    return r;
}

std::wstring RegString(const wchar_t* name)
{
    DWORD type = 0;
    std::vector<BYTE> data;
    if (!TestSupport::GetRegValue(HKEY_LOCAL_MACHINE, TestSupport::kEventLogKey, name, type, data) ||
        type != REG_SZ)
        return L"<none>";
    return std::wstring(reinterpret_cast<const wchar_t*>(data.data()), data.size() / sizeof(wchar_t)).c_str();
}
} // namespace

using VirusLogTest = LogFileTest;

TEST_F(VirusLogTest, NameFileAndFlagFollowWhatTheRecordHolds)
{
    const struct
    {
        const wchar_t *name, *path, *detail, *fields;
    } cases[] = {
        {L"Eicar", L"C:\\x.exe", L"", L"1|Eicar|C:\\x.exe"},
        {L"Eicar", L"C:", L"", L"0|Eicar|C:"},
        {L"Eicar", L"C", L"", L"1|Eicar|C"},
        {L"Eicar", L"C:\\x.zip", L"inner.exe", L"1|Eicar|C:\\x.zip (inner.exe)"},
        {L"", L"C:\\y", L"", L"1|---|C:\\y"},
        {L"", L"", L"only detail", L"1|---|only detail"},
        {L"Eicar", L"", L"d", L"1|Eicar| (d)"},
    };
    for (const auto& c : cases)
    {
        const std::wstring line = Line<CVirusLog>(Virus(c.name, c.path, c.detail));
        EXPECT_EQ(std::wstring(kPrefix) + L"-0000005|0000001a|2|" + c.fields + L"|1|-2|2147483647|0\r\n",
                  line);
    }
}

TEST_F(VirusLogTest, EveryEventBecomesTheMostRecentThreat)
{
    Line<CVirusLog>(Virus(L"", L"C:\\a.exe", L"in"));
    EXPECT_EQ(L"---", RegString(L"MostRecentThreatName"));
    EXPECT_EQ(L"C:\\a.exe (in)", RegString(L"MostRecentThreatFile"));
    DWORD type = 0;
    std::vector<BYTE> data;
    ASSERT_TRUE(TestSupport::GetRegValue(HKEY_LOCAL_MACHINE, TestSupport::kEventLogKey,
                                         L"MostRecentThreatTime", type, data));
    ASSERT_EQ(sizeof(SYSTEMTIME), data.size());
    EXPECT_EQ(0, memcmp(&kNow, data.data(), data.size()));
}

TEST_F(VirusLogTest, ReadingTakesNumberAsHexAndKeepsNoCode)
{
    const VirusLogRecord r = ReadBack<CVirusLog, VirusLogRecord>(
        std::wstring(kPrefix) + L"00000012|0000001a|2|1|---|C:\\a (d)|1|-2|2147483647|99999999999|" +
        std::wstring(300, L'n'));
    EXPECT_EQ(0x12, r.dwNumber);
    EXPECT_EQ(0u, r.dwCode);
    EXPECT_STREQ(L"---", r.szThreatName);
    EXPECT_STREQ(L"C:\\a (d)", r.szFilePath);
    EXPECT_STREQ(L"", r.szDetail);
    EXPECT_EQ(1, r.nValue1);
    EXPECT_EQ(-2, r.nValue2);
    EXPECT_EQ(2147483647, r.nValue3);
    EXPECT_EQ(2147483647, r.nValue4); // _wtoi clamps
    EXPECT_EQ(2026, r.stTime.wYear);
    EXPECT_EQ(7, r.stTime.wSecond);
}

TEST_F(VirusLogTest, UnterminatedRecordTextsAreReadWithinTheirArrays)
{
    VirusLogRecord r = Virus(L"", L"", L"");
    wmemset(r.szThreatName, L'N', 132);
    wmemset(r.szFilePath, L'P', 520);
    wmemset(r.szDetail, L'D', 534);
    r.stTime.wYear = 0x41; // right behind szDetail: must not be read as text
    const std::wstring line = Line<CVirusLog>(r);
    EXPECT_NE(std::wstring::npos, line.find(L"|" + std::wstring(132, L'N') + L"|" + std::wstring(520, L'P') +
                                            L" (" + std::wstring(534, L'D') + L")|"));
}

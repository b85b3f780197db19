// Damaged and random day files read by every kind. NQ_FUZZ_COUNT and NQ_FUZZ_SEED enlarge or vary the run
// (scripts/fuzz-logs.sh).
#include "LogFileTest.h"

#include "LogBase.h"

#include <cstdlib>
#include <memory>
#include <random>

using namespace SrvFrwk;
using namespace SrvFrwk::EventLog;

namespace
{
unsigned long EnvNumber(const char* name, unsigned long def)
{
    const char* text = std::getenv(name);
    return text && *text ? std::strtoul(text, nullptr, 10) : def;
}

class DayFileGenerator
{
public:
    explicit DayFileGenerator(unsigned long seed) : m_random(seed) {}

    std::vector<BYTE> Next()
    {
        std::wstring text;
        if (Chance(4))
            text += L'\xFEFF';
        const int lines = Pick(0, 12);
        for (int i = 0; i < lines; ++i)
            AppendLine(text);
        std::vector<BYTE> bytes(reinterpret_cast<const BYTE*>(text.data()),
                                reinterpret_cast<const BYTE*>(text.data() + text.size()));
        if (Chance(4) && !bytes.empty())
            bytes.resize(Pick(0, static_cast<int>(bytes.size()) - 1)); // cut anywhere, odd counts included
        else if (Chance(8))
            bytes.push_back(static_cast<BYTE>(Pick(0, 255)));
        return bytes;
    }

private:
    int Pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(m_random); }
    bool Chance(int oneIn) { return Pick(0, oneIn - 1) == 0; }

    wchar_t Character()
    {
        static const wchar_t kSpecial[] = {L'|', L'\r', L'\n', L'\0', L'\xFEFF', L'\xD800', L'-', L' '};
        switch (Pick(0, 3))
        {
        case 0:
            return kSpecial[Pick(0, 7)];
        case 1:
            return static_cast<wchar_t>(L'0' + Pick(0, 9));
        case 2:
            return static_cast<wchar_t>(Pick(1, 0xFFFF));
        default:
            return static_cast<wchar_t>(L'a' + Pick(0, 25));
        }
    }

    void AppendField(std::wstring& text)
    {
        int length = Pick(0, 12);
        if (Chance(40))
            length = Pick(30, 600); // beyond the members' copy limits
        else if (Chance(200))
            length = Pick(2000, 6000); // beyond the reader's buffer
        for (int i = 0; i < length; ++i)
            text += Chance(3) ? Character() : static_cast<wchar_t>(L'0' + Pick(0, 9));
    }

    void AppendLine(std::wstring& text)
    {
        if (Chance(6))
            text += L"20260304|090807|"; // a proper start, so that more fields reach the records
        const int fields = Chance(20) ? Pick(16, 300) : Pick(0, 16);
        for (int i = 0; i < fields; ++i)
        {
            AppendField(text);
            if (!Chance(8))
                text += L'|';
        }
        static const wchar_t* const kEnds[] = {L"\r\n", L"\r\n", L"\r\n",   L"\n",
                                               L"\r",   L"",     L"\r\r\n", L"\n\r"};
        text += kEnds[Pick(0, 7)];
    }

    std::mt19937 m_random;
};

template <class TRecord> size_t ReadKind(ULONG subType, const SYSTEMTIME& day, ULONG& result)
{
    LogQueryData<TRecord> query;
    query.stDay = day;
    std::unique_ptr<CLogBase> log(CreateLogObject(subType));
    result = log ? log->ReadLog(&query, 0, 0) : RESULT_FAILED;
    return query.records.size();
}

size_t ReadAs(ULONG subType, const SYSTEMTIME& day, ULONG& result)
{
    switch (subType)
    {
    case DATA_VIRUS:
        return ReadKind<VirusLogRecord>(subType, day, result);
    case DATA_SPYWARE:
    case DATA_SUSPICIOUS_CHANGE:
        return ReadKind<SpyLogRecord>(subType, day, result);
    case DATA_VULNERABILITY:
        return ReadKind<VaLogRecord>(subType, day, result);
    case DATA_TSC:
        return ReadKind<TscLogRecord>(subType, day, result);
    case DATA_UPDATE:
        return ReadKind<AuLogRecord>(subType, day, result);
    case DATA_HISTORY_CLEAN:
        return ReadKind<HisCleanLogRecord>(subType, day, result);
    case DATA_URL_FILTER:
        return ReadKind<UrlFilterLogRecord>(subType, day, result);
    case DATA_PRIVACY:
        return ReadKind<PvyLogRecord>(subType, day, result);
    default:
        return ReadKind<PhishAlertLogRecord>(subType, day, result);
    }
}
} // namespace

using LogBaseFuzzTest = LogFileTest;

TEST_F(LogBaseFuzzTest, DamagedDayFilesNeverCrashAnyKind)
{
    static const wchar_t* const kExtensions[] = {L"VLG", L"SPG", L"VAG", L"PTG", L"UPG",
                                                 L"HCG", L"ULG", L"PPG", L"HLG", L"SCG"};
    const unsigned long count = EnvNumber("NQ_FUZZ_COUNT", 10000);
    const unsigned long seed = EnvNumber("NQ_FUZZ_SEED", 20260304);
    ::CreateDirectoryW(sandbox.LogFolder().c_str(), nullptr);

    // One file under ten names: each iteration writes it once and every kind reads it.
    const std::wstring base = DayFile(kExtensions[0]);
    ASSERT_TRUE(TestSupport::WriteFileBytes(base, "", 0));
    bool linked = true;
    for (size_t k = 1; k < 10; ++k)
        linked = linked && ::CreateHardLinkW(DayFile(kExtensions[k]).c_str(), base.c_str(), nullptr);

    DayFileGenerator generator(seed);
    for (unsigned long i = 0; i < count; ++i)
    {
        const std::vector<BYTE> bytes = generator.Next();
        for (size_t k = 0; k < (linked ? 1 : 10); ++k)
            ASSERT_TRUE(TestSupport::WriteFileBytes(DayFile(kExtensions[k]), bytes));
        size_t newlines = 0;
        for (size_t b = 2; b + 1 < bytes.size(); b += 2)
            newlines += bytes[b] == '\n' && bytes[b + 1] == 0;

        for (ULONG subType = 1; subType <= 10; ++subType)
        {
            ULONG result = 0;
            const size_t records = ReadAs(subType, kNow, result);
            ASSERT_EQ(RESULT_SUCCESS, result) << "seed " << seed << " iteration " << i << " kind " << subType;
            ASSERT_LE(records, newlines) << "seed " << seed << " iteration " << i << " kind " << subType;
        }
    }
}

// Damaged and random day files read by every kind. NQ_FUZZ_COUNT and NQ_FUZZ_SEED enlarge or vary the run
// (scripts/fuzz-logs.sh).
#include "LogFileTest.h"

#include "DayFileGenerator.h"
#include "LogBase.h"

#include <memory>

using namespace SrvFrwk;
using namespace SrvFrwk::EventLog;

namespace
{
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

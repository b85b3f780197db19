// Texts come from outside: whatever they hold, an event is one line and reads back as it was stored.
#include "LogFileTest.h"

#include "KindTexts.h"
#include "LogLine.h"

#include <random>

using namespace SrvFrwk;
using namespace SrvFrwk::EventLog;

using namespace KindTexts;

namespace
{
// Texts made of the characters that could move a field or start a line, among others.
class HostileTexts
{
public:
    explicit HostileTexts(unsigned seed) : m_random(seed) {}

    std::wstring operator()(size_t limit)
    {
        static const wchar_t* const kPieces[] = {
            L"|", L"\r", L"\n",           L"\r\n",  L"|\r\n", L"\n20261206|000000|",
            L"a", L"Z",  L"\xD83D\xDE00", L"\xF07B"};
        const size_t length = Pick(1, limit);
        std::wstring text;
        while (text.size() < length)
        {
            const std::wstring piece = kPieces[Pick(0, 9)];
            if (text.size() + piece.size() <= length)
                text += piece;
            else
                text += L'|';
        }
        return text;
    }

private:
    size_t Pick(size_t low, size_t high)
    {
        return std::uniform_int_distribution<size_t>(low, high)(m_random);
    }
    std::mt19937 m_random;
};

size_t LineCount(const std::wstring& day)
{
    size_t count = 0;
    for (size_t at = day.find(L"\r\n"); at != std::wstring::npos; at = day.find(L"\r\n", at + 2))
        ++count;
    return count;
}
} // namespace

using LogLineTest = LogFileTest;

TEST_F(LogLineTest, TextsHoldingSeparatorsAndLineEndsReadBackExactlyAndEachEventIsOneLine)
{
    // Fixed places (start, end, the whole field) first, then seeded random texts.
    const std::wstring fixed[] = {L"|a", L"a|", L"\rb", L"b\n", L"\r\nc", L"d\r\n", L"|\r\n", L"e|f\rg\nh"};
    ForEachKindsTexts(
        [&](auto log, const wchar_t* extension, auto make, auto kept)
        {
            SCOPED_TRACE(extension);
            using Log = decltype(log);
            using Record = decltype(make(TextSource()));
            std::vector<Record> stored;
            size_t next = 0;
            for (size_t i = 0; i < std::size(fixed); ++i)
                stored.push_back(make([&](size_t) { return fixed[next++ % std::size(fixed)]; }));
            stored.push_back(make([](size_t limit) { return std::wstring(limit, L'|'); }));
            HostileTexts random(20261206);
            for (int i = 0; i < 40; ++i)
                stored.push_back(make(std::ref(random)));

            const std::vector<Record> read = StoreAndRead<Log>(stored);
            ASSERT_EQ(stored.size(), read.size());
            for (size_t i = 0; i < stored.size(); ++i)
            {
                ASSERT_EQ(kept(stored[i]), kept(read[i])) << "event " << i;
                ASSERT_EQ(2026, read[i].stTime.wYear) << "event " << i;
            }
            EXPECT_EQ(stored.size(), LineCount(TestSupport::ReadUtf16File(DayFile(extension))));
        });
}

TEST_F(LogLineTest, LongestRecordOfEveryKindIsStoredWholeWithItsLongestTextsShortened)
{
    ForEachKindsTexts(
        [&](auto log, const wchar_t* extension, auto make, auto kept)
        {
            SCOPED_TRACE(extension);
            using Log = decltype(log);
            // Every member full to its end, without a terminating null; unbounded texts far past a line.
            auto record = make([](size_t) { return std::wstring(4000, L'q'); });
            const Texts stored = kept(record);
            const auto read = StoreAndRead<Log>(std::vector<decltype(record)>{record});
            ASSERT_EQ(1u, read.size());
            const Texts back = kept(read[0]);
            for (size_t i = 0; i < stored.size(); ++i)
                EXPECT_EQ(0, stored[i].compare(0, back[i].size(), back[i])) << "text " << i;
            EXPECT_LE(TestSupport::ReadUtf16File(DayFile(extension)).size(), 1 + LogLine::MaxChars);
        });

    // The longest text gives way first: the vulnerability's name stays whole beside its long text.
    VaLogRecord va{{}, 1, 2, {}, {}};
    wmemset(va.szName, L'n', 31);
    wmemset(va.szText1, L't', 2047);
    const auto read = StoreAndRead<CVaLog>(std::vector<VaLogRecord>{va});
    ASSERT_EQ(2u, read.size());
    EXPECT_EQ(std::wstring(30, L'n'), read[1].szName);
    EXPECT_EQ(LogLine::MaxChars - 54, wcslen(read[1].szText1)); // date, time, name, numbers, separators
}

TEST(LogLine, ShorteningNeverSplitsASurrogatePair)
{
    LogLine line(LogFileTest::kNow);
    std::wstring text(LogLine::MaxChars - 16 - 2 - 1, L'a');
    text += L"\xD83D\xDE00";
    line.Text(text);
    EXPECT_EQ(2u, line.Fit());
    const std::wstring joined = line.Join();
    EXPECT_EQ(LogLine::MaxChars - 1, joined.size());
    EXPECT_EQ(L"a\r\n", joined.substr(joined.size() - 3));
}

// A crash in the middle of an append leaves its first k bytes: the next event of any kind still reads back.
TEST_F(LogLineTest, PartOfAnAppendLeftByACrashCostsNoLaterEventOfAnyKind)
{
    std::mt19937 random(20261207);
    ForEachKindsTexts(
        [&](auto log, const wchar_t* extension, auto make, auto kept)
        {
            SCOPED_TRACE(extension);
            using Log = decltype(log);
            auto first = make([](size_t) { return std::wstring(L"first"); });
            auto cut = make([](size_t) { return std::wstring(L"cut|short"); });
            auto next = make([](size_t) { return std::wstring(L"next"); });
            const std::wstring whole = L"\xFEFF" + Log().MakeRecode(&first);
            const std::wstring crashed = Log().MakeRecode(&cut);
            for (int round = 0; round < 10; ++round)
            {
                const size_t k = std::uniform_int_distribution<size_t>(1, crashed.size() * 2 - 1)(random);
                std::vector<BYTE> bytes(reinterpret_cast<const BYTE*>(whole.data()),
                                        reinterpret_cast<const BYTE*>(whole.data() + whole.size()));
                bytes.insert(bytes.end(), reinterpret_cast<const BYTE*>(crashed.data()),
                             reinterpret_cast<const BYTE*>(crashed.data()) + k);
                ::CreateDirectoryW(sandbox.LogFolder().c_str(), nullptr);
                ASSERT_TRUE(TestSupport::WriteFileBytes(DayFile(extension), bytes));
                const auto read = StoreAndRead<Log>(std::vector<decltype(next)>{next});
                ASSERT_GE(read.size(), 2u) << "k " << k;
                EXPECT_EQ(kept(first), kept(read.front())) << "k " << k;
                EXPECT_EQ(kept(next), kept(read.back())) << "k " << k;
            }
        });
}

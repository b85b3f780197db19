// Texts come from outside: whatever they hold, an event is one line and reads back as it was stored.
#include "LogFileTest.h"

#include "KindTexts.h"
#include "LogLine.h"

#include <algorithm>
#include <random>

using namespace SrvFrwk;
using namespace SrvFrwk::EventLog;

using namespace KindTexts;

namespace
{
// Texts of any units but NUL, those that could move a field, end a line or the file, or that the line's own
// encoding uses weighted up.
TextSource HostileTexts(unsigned seed)
{
    static const wchar_t kSpecial[] = {L'|',      L'\r',     L'\n',     L'\xFFFF', L'\xFFFE', L'\xF07C',
                                       L'\xF00D', L'\xF00A', L'\xF0FF', L'\xF01B', L'\xD83D', L'\xDE00'};
    return [random = std::mt19937(seed)](size_t limit) mutable
    {
        auto pick = [&](size_t low, size_t high)
        { return std::uniform_int_distribution<size_t>(low, high)(random); };
        std::wstring text(pick(1, std::min<size_t>(limit, 150)), L' ');
        for (wchar_t& c : text)
            c = pick(0, 1) ? kSpecial[pick(0, std::size(kSpecial) - 1)]
                           : static_cast<wchar_t>(pick(1, 0xFFFF));
        return text;
    };
}

// A text ends at its null, in a member of fixed size or not.
Texts UpToNull(Texts texts)
{
    for (std::wstring& text : texts)
        text.resize(wcsnlen(text.c_str(), text.size()));
    return texts;
}
} // namespace

using LogLineTest = LogFileTest;

TEST_F(LogLineTest, TextsOfAnyUnitsReadBackExactlyAndEachEventIsOneLine)
{
    // Fixed places (start, end, the whole field) first, then seeded random texts.
    const std::wstring fixed[] = {L"|a",
                                  L"a|",
                                  L"\rb",
                                  L"b\n",
                                  L"\r\nc",
                                  L"d\r\n",
                                  L"|\r\n",
                                  L"e|f\rg\nh",
                                  L"http://x/\xFFFF\xFFFF/a.exe",
                                  L"evil\xF07Cx.exe",
                                  L"\xF01B",
                                  L"\xF01B|\xF01B\xF07C",
                                  L"\xDE00\xD83D",
                                  L"\xFFFE\xF0FF",
                                  std::wstring(L"be\0hind", 7)};
    ForEachKindsTexts(
        [&](auto log, const wchar_t* extension, auto make, auto kept)
        {
            SCOPED_TRACE(extension);
            using Log = decltype(log);
            using Record = decltype(make(TextSource()));
            std::vector<Record> stored;
            // Each field meets every fixed text.
            for (size_t i = 0, field = 0; i < std::size(fixed); ++i, field = 0)
                stored.push_back(make([&](size_t) { return fixed[(i + field++) % std::size(fixed)]; }));
            stored.push_back(make([](size_t limit) { return std::wstring(limit, L'|'); }));
            const TextSource random = HostileTexts(20261206);
            for (int i = 0; i < 60; ++i)
                stored.push_back(make(random));

            const std::vector<Record> read = StoreAndRead<Log>(stored);
            ASSERT_EQ(stored.size(), read.size());
            for (size_t i = 0; i < stored.size(); ++i)
            {
                ASSERT_EQ(UpToNull(kept(stored[i])), kept(read[i])) << "event " << i;
                ASSERT_EQ(2026, read[i].stTime.wYear) << "event " << i;
            }
            const std::wstring day = TestSupport::ReadUtf16File(DayFile(extension));
            EXPECT_EQ(stored.size(), static_cast<size_t>(std::count(day.begin(), day.end(), L'\n')));
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
            const auto read = StoreAndRead<Log>({record});
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
    const auto read = StoreAndRead<CVaLog>({va});
    ASSERT_EQ(2u, read.size());
    EXPECT_EQ(std::wstring(30, L'n'), read[1].szName);
    const std::wstring day = TestSupport::ReadUtf16File(DayFile(L"VAG"));
    EXPECT_EQ(LogLine::MaxChars, day.size() - day.find(L"\r\n") - 2) << "shortened no more than it must";
}

TEST(LogLine, ShorteningNeverSplitsAnEscapeOrASurrogatePair)
{
    const size_t room = LogLine::MaxChars - 16 - 2 - 1; // after date, time, separators and line end
    for (const wchar_t* tail : {L"\xD83D\xDE00", L"\xF01B", L"\xF07C"})
    {
        LogLine line(LogFileTest::kNow);
        line.Text(std::wstring(room, L'a') + tail); // one over, and the tail takes two units of the line
        EXPECT_EQ(2u, line.Fit()) << "tail " << tail[0];
        const std::wstring joined = line.Join();
        EXPECT_EQ(LogLine::MaxChars - 1, joined.size());
        EXPECT_EQ(L"a\r\n", joined.substr(joined.size() - 3));
    }
}

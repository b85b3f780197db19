// Damaged and random day files: cut lines, missing separators, overlong fields, lone CR or LF, embedded
// nulls, odd byte counts, huge lines. NQ_FUZZ_COUNT and NQ_FUZZ_SEED enlarge or vary the run
// (scripts/fuzz-logs.sh).
#include "KindTexts.h"

#include "LogBase.h"
#include "KvComn_Handle.h"
#include "LogLineReader.h"

#include <algorithm>
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
        std::wstring text = Chance(4) ? L"\xFEFF" : L"";
        for (int lines = Pick(0, 12); lines > 0; --lines)
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
        static const wchar_t kOdd[] = {L'|', L'\r', L'\n', L'\0', L'\xFEFF', L'\xD800', L'-', L' ', L'a'};
        // No U+FFFF: fgetws takes it for the end (LogReadTest pins the reader's way with it).
        return Chance(2) ? kOdd[Pick(0, 8)] : static_cast<wchar_t>(Pick(1, 0xFFFE));
    }

    void AppendLine(std::wstring& text)
    {
        if (Chance(6))
            text += LogFileTest::kPrefix; // a proper start, so that more fields reach the records
        for (int fields = Chance(20) ? Pick(16, 300) : Pick(0, 16); fields > 0; --fields)
        {
            int length = Chance(40) ? Pick(30, 600) : Pick(0, 12); // beyond the members' copy limits
            if (Chance(200))
                length = Pick(2000, 6000); // beyond the reader's buffer
            for (; length > 0; --length)
                text += Chance(3) ? Character() : static_cast<wchar_t>(L'0' + Pick(0, 9));
            if (!Chance(8))
                text += L'|';
        }
        static const wchar_t* const kEnds[] = {L"\r\n", L"\r\n", L"\r\n",   L"\n",
                                               L"\r",   L"",     L"\r\r\n", L"\n\r"};
        text += kEnds[Pick(0, 7)];
    }

    std::mt19937 m_random;
};

using Pieces = std::vector<std::wstring>;

// The pieces after the mark, by fgetws or by the reader that replaces it.
Pieces Cut(const std::wstring& name, bool byFgetws)
{
    Pieces pieces;
    wchar_t buffer[2048];
    if (byFgetws)
    {
        KvCommon::UniqueStdioFile file(::_wfopen(name.c_str(), L"rb"));
        if (!file)
            return {L"<not opened>"};
        ::fseek(file.get(), 2, SEEK_SET);
        while (::fgetws(buffer, 2047, file.get()) != nullptr)
            pieces.emplace_back(buffer);
        return pieces;
    }
    KvCommon::UniqueFileHandle file(
        ::CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    LARGE_INTEGER size{}, mark{};
    mark.QuadPart = 2;
    if (!file || !::GetFileSizeEx(file.get(), &size) ||
        !::SetFilePointerEx(file.get(), mark, nullptr, FILE_BEGIN))
        return {L"<not opened>"};
    LogLineReader reader(file.get(), size.QuadPart > 2 ? size.QuadPart - 2 : 0, buffer, 2048);
    const wchar_t* piece = nullptr;
    size_t length = 0;
    while (reader.Next(piece, length))
        pieces.emplace_back(piece, length);
    return pieces;
}

} // namespace

using LogFuzzTest = LogFileTest;

TEST_F(LogFuzzTest, DamagedDayFilesAreCutLikeFgetwsAndNeverFailAnyKind)
{
    const unsigned long count = EnvNumber("NQ_FUZZ_COUNT", 10000);
    const unsigned long seed = EnvNumber("NQ_FUZZ_SEED", 20260304);

    // One file under ten names: each iteration writes it once and every kind reads it.
    const std::wstring file = DayFile(L"day");
    WriteDay(L"day", L"", false);
    KindTexts::ForEachKindsTexts(
        [&](auto, const wchar_t* extension, auto, auto)
        { ASSERT_TRUE(::CreateHardLinkW(DayFile(extension).c_str(), file.c_str(), nullptr)); });

    DayFileGenerator generator(seed);
    for (unsigned long i = 0; i < count; ++i)
    {
        SCOPED_TRACE(testing::Message() << "seed " << seed << " iteration " << i);
        const std::vector<BYTE> bytes = generator.Next();
        ASSERT_TRUE(TestSupport::WriteFileBytes(file, bytes));
        if (i % 5 == 0)
        {
            ASSERT_EQ(Cut(file, true), Cut(file, false));
        }
        size_t newlines = 0;
        for (size_t b = 2; b + 1 < bytes.size(); b += 2)
            newlines += bytes[b] == '\n' && bytes[b + 1] == 0;

        KindTexts::ForEachKindsTexts(
            [&](auto log, const wchar_t* extension, auto make, auto)
            {
                LogQueryData<decltype(make(KindTexts::TextSource()))> query;
                query.stDay = kNow;
                ASSERT_EQ(RESULT_SUCCESS, log.ReadLog(&query, 0, 0)) << extension;
                ASSERT_LE(query.records.size(), newlines) << extension;
            });
        ASSERT_FALSE(HasFatalFailure());
    }
}

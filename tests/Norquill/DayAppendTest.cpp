#include "DayAppend.h"
#include "DayLineRules.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace
{
// The records the reader makes of a file's bytes: pieces end after each "\n" (the lines here are short and
// hold no null), a trailing odd byte is no unit.
std::vector<std::wstring> Records(const std::string& bytes)
{
    std::wstring units(bytes.size() / 2, L'\0');
    for (size_t i = 0; i < units.size(); ++i)
        units[i] = static_cast<wchar_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                        static_cast<unsigned char>(bytes[2 * i + 1]) << 8);
    std::vector<std::wstring> records;
    DayLineRules rules;
    for (size_t at = DayLineRules::LinesBegin(units.data(), units.size()); at < units.size();)
    {
        const size_t end = std::min(units.find(L'\n', at), units.size() - 1) + 1;
        if (const size_t chars = rules.RecordChars(units.data() + at, end - at))
            records.emplace_back(units, at, chars);
        at = end;
    }
    return records;
}

std::string Bytes(const std::wstring& text)
{
    return std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
}
} // namespace

// The repair is what keeps the next event from gluing onto a damaged end, so it must agree with the reader
// on where a line begins: after a line feed or the file's opening mark, never after a mark inside a text.
TEST(DayAppendTest, RepairedEndLetsTheReaderTakeTheNextLineAndHealthyEndsGetNoRepair)
{
    const std::wstring mark(1, DayLineRules::Mark);
    const struct
    {
        std::string file;
        size_t repair;
        std::vector<std::wstring> records; // what the reader takes of the damaged lines too, once ended
    } kEnds[] = {
        {"", 0, {}},
        {Bytes(mark), 0, {}},
        {Bytes(mark + L"a|b\r\n"), 0, {L"a|b"}},
        {Bytes(mark + L"a|b\r\nc|d"), 4, {L"a|b", L"c|d"}},
        {Bytes(mark + L"a|b\r\nc|d\r"), 4, {L"a|b", L"c|d\r"}},
        {Bytes(mark + L"a|b\r\nc|" + mark), 4, {L"a|b", L"c|" + mark}},
        {Bytes(mark + L"a|b\r\nc|d\r\n").substr(0, 17), 5, {L"a|b", L"c|d"}},
    };
    for (const auto& end : kEnds)
    {
        SCOPED_TRACE(end.file.size());
        const std::string& file = end.file;
        wchar_t last = 0;
        if (file.size() >= 2)
            memcpy(&last, &file[file.size() - 2], sizeof(last));
        const DayAppend::EndRepair repair = DayAppend::RepairFor(static_cast<LONGLONG>(file.size()), last);
        EXPECT_EQ(end.repair, repair.size);
        EXPECT_EQ(repair.size != 0, repair.reason != nullptr);
        std::vector<std::wstring> expected = end.records;
        expected.push_back(L"x|y");
        EXPECT_EQ(expected, Records(file + std::string(repair.bytes, repair.size) + Bytes(L"x|y\r\n")));
    }
}

#include "DayFileGenerator.h"
#include "LogLineReader.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cwchar>

namespace
{
using Pieces = std::vector<std::wstring>;

Pieces ByFgetws(FILE* file)
{
    Pieces pieces;
    wchar_t buffer[2048];
    while (::fgetws(buffer, 2047, file))
        pieces.emplace_back(buffer, wcslen(buffer));
    return pieces;
}

Pieces ByReader(FILE* file)
{
    Pieces pieces;
    wchar_t buffer[2048];
    LogLineReader reader(file, buffer, 2048);
    const wchar_t* piece = nullptr;
    size_t length = 0;
    while (reader.Next(piece, length))
        pieces.emplace_back(piece, length);
    return pieces;
}

Pieces Read(const std::wstring& name, Pieces (*how)(FILE*))
{
    FILE* file = ::_wfopen(name.c_str(), L"rb");
    if (!file)
        return {L"<not opened>"};
    ::fseek(file, 2, SEEK_SET);
    Pieces pieces = how(file);
    ::fclose(file);
    return pieces;
}
} // namespace

TEST(LogLineReader, CutsEveryFileExactlyAsFgetwsDoes)
{
    TestSupport::TempFolder folder;
    const std::wstring name = folder.Path() + L"day.VLG";
    const unsigned long count = EnvNumber("NQ_FUZZ_COUNT", 10000) / 5;
    const unsigned long seed = EnvNumber("NQ_FUZZ_SEED", 20260304) + 1;
    DayFileGenerator generator(seed);
    for (unsigned long i = 0; i < count; ++i)
    {
        ASSERT_TRUE(TestSupport::WriteFileBytes(name, generator.Next()));
        ASSERT_EQ(Read(name, ByFgetws), Read(name, ByReader)) << "seed " << seed << " iteration " << i;
    }
}

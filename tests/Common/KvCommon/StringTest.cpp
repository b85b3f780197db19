#include "KvComn_String.h"
#include "Checks.h"

#include <gtest/gtest.h>

using KvCommon::String::Format;

namespace
{
// One FormatV attempt with its own argument list, as a trace caller makes it.
bool FormatOnce(std::wstring& out, size_t& size, const wchar_t* format, ...)
{
    va_list args;
    va_start(args, format);
    bool done = KvCommon::String::FormatV(out, size, format, args);
    va_end(args);
    return done;
}
} // namespace

TEST(String, PercentSPrintsWideTextLongTextTakesASecondAttemptAndAnImpossibleBufferRaises6)
{
    std::wstring out;
    ASSERT_TRUE(Format(out, L"[%s|%d|%08X]", L"wide text", -5, 0xBEEFu));
    EXPECT_EQ(L"[wide text|-5|0000BEEF]", out);
    for (size_t length : {256u, 300u}) // 256 leaves no room for the NUL
    {
        const std::wstring text(length, L'x');
        size_t size = 256;
        EXPECT_FALSE(FormatOnce(out, size, L"%s", text.c_str())) << length;
        EXPECT_EQ(512u, size);
        EXPECT_TRUE(FormatOnce(out, size, L"%s", text.c_str()));
        EXPECT_EQ(text, out);
    }
    ASSERT_TRUE(Format(out, L"%s", std::wstring(300, L'x').c_str())); // Format retries by itself
    EXPECT_EQ(300u, out.size());
    size_t huge = size_t(1) << 30; // past any buffer the formatter will take
    EXPECT_EQ(6u, Checks::RaisedCode<KvCommon::String::Exception>([&] { FormatOnce(out, huge, L"%d", 1); }));
}

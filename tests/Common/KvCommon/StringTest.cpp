#include "KvComn_String.h"

#include <gtest/gtest.h>

using KvCommon::String::Format;
using KvCommon::String::FormatV;

namespace
{
// One FormatV attempt with its own argument list, as a trace caller makes it.
bool FormatOnce(std::wstring& out, size_t& size, const wchar_t* format, ...)
{
    va_list args;
    va_start(args, format);
    bool done = FormatV(out, size, format, args);
    va_end(args);
    return done;
}
} // namespace

TEST(String, WideArgumentOfPercentSIsPrintedAsWideText)
{
    std::wstring out;
    ASSERT_TRUE(Format(out, L"[%s|%d|%08X]", L"wide text", -5, 0xBEEFu));
    EXPECT_EQ(L"[wide text|-5|0000BEEF]", out);
}

TEST(String, TextLongerThanFirstBufferNeedsSecondAttemptOf512)
{
    const std::wstring longText(300, L'x');
    size_t size = KvCommon::String::GetStartSize();
    ASSERT_EQ(256u, size);
    std::wstring out;
    EXPECT_FALSE(FormatOnce(out, size, L"%s", longText.c_str()));
    EXPECT_EQ(512u, size);
    EXPECT_TRUE(FormatOnce(out, size, L"%s", longText.c_str()));
    EXPECT_EQ(longText, out);

    ASSERT_TRUE(Format(out, L"%s", longText.c_str()));
    EXPECT_EQ(longText, out);
}

TEST(String, ExactlyStartSizeCharactersLeaveNoRoomForTheNul)
{
    const std::wstring text(256, L'y');
    size_t size = 256;
    std::wstring out;
    EXPECT_FALSE(FormatOnce(out, size, L"%s", text.c_str()));
    EXPECT_TRUE(FormatOnce(out, size, L"%s", text.c_str()));
    EXPECT_EQ(text, out);
}

TEST(String, ConversionsRoundTripAsciiAndRefuseNull)
{
    std::wstring wide;
    ASSERT_TRUE(KvCommon::String::ToWide("KvDbgTrace.cpp", wide));
    EXPECT_EQ(L"KvDbgTrace.cpp", wide);
    std::string narrow;
    ASSERT_TRUE(KvCommon::String::ToNarrow(L"CheckTokenMembership", narrow));
    EXPECT_EQ("CheckTokenMembership", narrow);

    const std::wstring longName(400, L'n'); // past the inline buffer
    ASSERT_TRUE(KvCommon::String::ToNarrow(longName.c_str(), narrow));
    EXPECT_EQ(std::string(400, 'n'), narrow);

    EXPECT_FALSE(KvCommon::String::ToWide(nullptr, wide));
    EXPECT_FALSE(KvCommon::String::ToNarrow(nullptr, narrow));
}

TEST(String, BufferThatCannotBeHadRaisesException6)
{
    size_t size = size_t(1) << 30; // past any buffer the formatter will take
    std::wstring out;
    try
    {
        FormatOnce(out, size, L"%d", 1);
        ADD_FAILURE() << "no exception";
    }
    catch (KvCommon::String::Exception* e)
    {
        EXPECT_EQ(6u, e->GetCode());
        delete e;
    }
}

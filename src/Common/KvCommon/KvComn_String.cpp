#include "KvComn_String.h"
#include "KvComn_System.h"

#include <windows.h>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <memory>
#include <new>
#include <vector>

namespace KvCommon
{
namespace String
{
namespace
{
constexpr size_t kDefaultSize = 256;
// A format that fails for another reason than length (a bad conversion) would otherwise grow forever.
constexpr size_t kMaxFormatChars = size_t(1) << 24;
size_t g_startSize = 0;
size_t g_stepSize = 0;

// Texts this long or longer are refused by the narrow-to-wide conversion.
constexpr size_t kMaxNarrowLength = (size_t(1) << 30) - 1;
constexpr size_t kInlineNarrow = 128;

UINT ConversionCodePage()
{
    const DWORD nt5 = 11;
    if (System::IsOsVersion(nt5) && System::GetVersionError() == 0)
        return CP_THREAD_ACP;
    char text[16] = {};
    if (::GetLocaleInfoA(::GetThreadLocale(), LOCALE_IDEFAULTANSICODEPAGE, text, sizeof(text)) > 0)
    {
        UINT page = static_cast<UINT>(std::strtoul(text, nullptr, 10));
        if (page != 0)
            return page;
    }
    return ::GetACP();
}
} // namespace

size_t GetStartSize()
{
    if (g_startSize == 0)
        g_startSize = kDefaultSize;
    return g_startSize;
}

size_t GetStepSize()
{
    if (g_stepSize == 0)
        g_stepSize = kDefaultSize;
    return g_stepSize;
}

bool FormatV(std::wstring& out, size_t& size, const wchar_t* format, va_list& args)
{
    out.clear();
    const size_t step = GetStepSize();
    if (size == 0)
        size = GetStartSize();
    std::unique_ptr<wchar_t[]> buffer(size <= kMaxFormatChars ? new (std::nothrow) wchar_t[size] : nullptr);
    if (!buffer)
        throw new Exception(ERROR_INVALID_HANDLE, KV_SOURCE_FILE, __LINE__);
    wmemset(buffer.get(), 0, size);
    va_list attempt;
    va_copy(attempt, args);
    int written = _vsnwprintf_s(buffer.get(), size, _TRUNCATE, format ? format : L"", attempt);
    va_end(attempt);
    if (written < 0)
    {
        size += step;
        return false;
    }
    out.assign(buffer.get(), static_cast<size_t>(written));
    return true;
}

bool Format(std::wstring& out, const wchar_t* format, ...)
{
    out.clear();
    size_t size = GetStartSize();
    for (;;)
    {
        va_list args;
        va_start(args, format);
        bool done = false;
        try
        {
            done = FormatV(out, size, format, args);
        }
        catch (...)
        {
            va_end(args);
            throw;
        }
        va_end(args);
        if (done)
            return true;
    }
}

bool ToWide(const char* text, std::wstring& out)
{
    out.clear();
    if (!text)
        return false;
    const size_t length = std::strlen(text);
    if (length >= kMaxNarrowLength)
        return false;
    if (length == 0)
        return true;
    const UINT page = ConversionCodePage();
    std::vector<wchar_t> buffer;
    try
    {
        buffer.assign(length + 1, L'\0');
    }
    catch (const std::bad_alloc&)
    {
        return false;
    }
    int count = ::MultiByteToWideChar(page, 0, text, static_cast<int>(length), buffer.data(),
                                      static_cast<int>(length + 1));
    if (count <= 0)
        return false;
    out.assign(buffer.data(), static_cast<size_t>(count));
    return true;
}

namespace
{
bool ToNarrowOnHeap(UINT page, const wchar_t* text, size_t length, std::string& out)
{
    const int wideCount = static_cast<int>(length);
    // Four bytes a character first, then the size the platform asks for.
    std::vector<char> heap((length + 1) * 4);
    int count = ::WideCharToMultiByte(page, 0, text, wideCount, heap.data(), static_cast<int>(heap.size()),
                                      nullptr, nullptr);
    if (count <= 0)
    {
        int needed = ::WideCharToMultiByte(page, 0, text, wideCount, nullptr, 0, nullptr, nullptr);
        if (needed <= 0)
            return false;
        heap.assign(static_cast<size_t>(needed), '\0');
        count = ::WideCharToMultiByte(page, 0, text, wideCount, heap.data(), needed, nullptr, nullptr);
        if (count <= 0)
            return false;
    }
    out.assign(heap.data(), static_cast<size_t>(count));
    return true;
}
} // namespace

bool ToNarrow(const wchar_t* text, std::string& out)
{
    out.clear();
    if (!text)
        return false;
    const size_t length = std::wcslen(text);
    if (length == 0)
        return true;
    if (length > static_cast<size_t>(INT_MAX / 4) - 1)
        return false;
    const UINT page = ConversionCodePage();
    const int wideCount = static_cast<int>(length);
    char inlineBuffer[kInlineNarrow];
    int count =
        ::WideCharToMultiByte(page, 0, text, wideCount, inlineBuffer, sizeof(inlineBuffer), nullptr, nullptr);
    if (count > 0)
    {
        out.assign(inlineBuffer, static_cast<size_t>(count));
        return true;
    }
    if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER)
        return false;
    try
    {
        return ToNarrowOnHeap(page, text, length, out);
    }
    catch (const std::bad_alloc&)
    {
        out.clear();
        return false;
    }
}
} // namespace String
} // namespace KvCommon

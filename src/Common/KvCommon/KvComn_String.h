#pragma once
#include "KvComn_Exception.h"

#include <cstdarg>
#include <string>

namespace KvCommon
{
namespace String
{
// Raised (as a heap pointer) with code 6 when a formatting buffer cannot be allocated.
class Exception : public KvCommon::Exception::Base
{
public:
    using Base::Base;
};

// Process-wide formatting sizes in characters; each is set to 256 the first time it is found 0.
size_t GetStartSize();
size_t GetStepSize();

// Microsoft printf semantics (%s is wide). out is emptied first; grows the buffer until the text fits.
bool Format(std::wstring& out, const wchar_t* format, ...);

// One attempt with a buffer of size characters. When the text does not fit, size grows by the step and
// the result is false: the caller restarts its argument list and calls again.
bool FormatV(std::wstring& out, size_t& size, const wchar_t* format, va_list& args);

// Narrow text in the thread's ANSI code page to UTF-16 and back. False (out empty) when the text is null,
// too long or cannot be converted.
bool ToWide(const char* text, std::wstring& out);
bool ToNarrow(const wchar_t* text, std::string& out);
} // namespace String
} // namespace KvCommon

#pragma once
#include <windows.h>

namespace Norquill
{
// Call only inside a catch handler at the boundary to the host: traces what was caught at the error level,
// deletes a common-library exception, and gives the result code the host gets instead (out of memory for
// std::bad_alloc, otherwise failed). Never throws.
ULONG CaughtExceptionResult(const char* sourceFile, DWORD line, const wchar_t* operation) noexcept;
} // namespace Norquill

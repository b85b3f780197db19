#pragma once
// Names of the codes that come back from the plug-in: its own result codes and the Win32 errors it hands
// through.
#include <windows.h>

#include <string>

namespace NqHost
{
namespace ResultCodes
{
// "RESULT_FAILED", "ERROR_FILE_NOT_FOUND", or "" for a code without a known name.
std::wstring Name(ULONG code);
// "RESULT_FAILED (0x80040201)", "2 (ERROR_FILE_NOT_FOUND)", "0x00001234".
std::wstring Describe(ULONG code);
bool IsFailure(ULONG code);
} // namespace ResultCodes
} // namespace NqHost

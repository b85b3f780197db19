#pragma once
#include <windows.h>

namespace Norquill
{
// Extension of a LogType 0 to 11 ("UPG", "VLG", ...); null for any other code.
const wchar_t* GetLogTypeExtension(DWORD logType);
} // namespace Norquill

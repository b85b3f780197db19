#pragma once
// A day file of virus events as the plug-in writes them, for the host's benchmarks to read.
#include "TestSupport.h"

#include <string>

namespace Bench
{
inline void WriteVirusDay(const std::wstring& path, const std::wstring& date, int records)
{
    std::wstring text(1, L'\xFEFF');
    for (int i = 0; i < records; ++i)
        text += date + L"|090807|00000012|0000001a|2|1|Threat.Name." + std::to_wstring(i % 1000) +
                L"|C:\\Users\\someone\\Downloads\\file_" + std::to_wstring(i) + L".exe|0|1|2|3\r\n";
    TestSupport::WriteFileBytes(path, text.data(), text.size() * sizeof(wchar_t));
}
} // namespace Bench

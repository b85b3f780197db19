#include "LogTypes.h"

namespace Norquill
{
const wchar_t* GetLogTypeExtension(DWORD logType)
{
    static const wchar_t* const kExtensions[] = {L"UPG", L"VLG", L"PTG", L"PFG", L"ULG", L"PPG",
                                                 L"ASG", L"VAG", L"SPG", L"HCG", L"HLG", L"SCG"};
    return logType < sizeof(kExtensions) / sizeof(kExtensions[0]) ? kExtensions[logType] : nullptr;
}
} // namespace Norquill

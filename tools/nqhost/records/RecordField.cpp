// A number typed for a record field, refused with a UsageError when it is no number in its range.
#include "RecordField.h"

namespace NqHost
{
namespace FieldDetail
{
long long ParseOrRefuse(const std::wstring& name, const std::wstring& value, long long min, long long max,
                        const wchar_t* range)
{
    long long number = 0;
    if (!Text::ParseInteger(value, min, max, number))
        throw UsageError{name + L"=" + value + L" is not a number in the range " + range};
    // Only the hexadecimal form may name the upper half of a signed 32-bit member, as a bit pattern.
    bool hex = value.find(L"0x") != std::wstring::npos || value.find(L"0X") != std::wstring::npos;
    if (max == 0xFFFFFFFFLL && min < 0 && number > 2147483647LL && !hex)
        throw UsageError{name + L"=" + value + L" is not a number in the range " + range};
    return number;
}
} // namespace FieldDetail
} // namespace NqHost

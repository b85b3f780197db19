#pragma once
// What a day line of each kind looks like once it is cut into fields: how many there are and which
// hold the date, the time and numbers. A line that fits none of its kind's forms was not written by the
// plug-in as it stands (overwritten, cut, joined): its fields would make up an event.
#include <string>
#include <vector>

namespace NqHost
{
namespace LineLayout
{
// The fields as the reader cuts them at "|" (a "|" at the very start gives no field), into fields, whose
// strings are reused: a day has many lines.
void Split(const wchar_t* line, size_t length, std::vector<std::wstring>& fields);
// Why the fields do not fit the kind's line, or "" when they do.
std::wstring Problem(const std::wstring& kind, const std::vector<std::wstring>& fields);
} // namespace LineLayout
} // namespace NqHost

#pragma once
// Small text helpers of the host: formatting, conversions, numbers and dates as a person types them.
#include <windows.h>

#include <string>

namespace NqHost
{
namespace Text
{
// Microsoft printf semantics (%s takes a wide string), whatever the runtime's C99 setting.
std::wstring Format(const wchar_t* format, ...);
std::string ToUtf8(const std::wstring& text);
std::wstring FromUtf8(const std::string& text);

// Decimal or 0x hexadecimal, with an optional sign; false when the text is not a number in [min, max].
bool ParseInteger(const std::wstring& text, long long min, long long max, long long& value);

// "YYYY-MM-DD" of a real calendar day; false otherwise.
bool ParseDate(const std::wstring& text, SYSTEMTIME& day);
std::wstring DateText(const SYSTEMTIME& t);     // YYYY-MM-DD
std::wstring DateTimeText(const SYSTEMTIME& t); // YYYY-MM-DD HH:MM:SS
std::wstring IsoTimeText(const SYSTEMTIME& t);  // YYYY-MM-DDTHH:MM:SS
// The day as one sortable number, YYYYMMDD, as day files are named.
DWORD DayKey(const SYSTEMTIME& t);
// The day of a DayKey, its time zero.
SYSTEMTIME DayFromKey(DWORD key);
SYSTEMTIME NextDay(const SYSTEMTIME& day);
// The local time now (NQ_CLOCK_START moves it for tests).
SYSTEMTIME Today();

// The text with every control character (C0, DEL, C1), every format character (the bidirectional
// controls, zero-width characters, tags) and the line and paragraph separators as a visible escape,
// \x1b, \u202e or \U000e0041, so that no text from outside can act on the terminal that shows it or
// reorder its line; keepLineEnds leaves "\n" as it is.
std::wstring Visible(const std::wstring& text, bool keepLineEnds = false);
// A text of an event as Visible shows it, its own backslashes doubled, so that a literal "\x1b" in
// the text reads "\\x1b" and stays apart from an escaped ESC.
std::wstring VisibleText(const std::wstring& text);

bool EqualsNoCase(const std::wstring& a, const std::wstring& b);
} // namespace Text
} // namespace NqHost

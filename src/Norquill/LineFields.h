#pragma once
#include <windows.h>
#include <string>
#include <vector>

// A day line's fields, and the numbers and texts of a record going into them or coming out of them.
class LineFields
{
public:
    // Cuts line at "|" into fields, decoding the texts; keeps the strings' capacity from line to line. False
    // for a line without any "|", which no writer makes.
    static bool Split(const std::wstring& line, std::vector<std::wstring>& fields);
    // Fields 0 (YYYYMMDD) and 1 (HHMMSS) into time; missing digits read as absent.
    static void PutTime(ULONG index, const wchar_t* text, SYSTEMTIME& time);

    // A number formatted and cut to limit characters, as a fixed buffer would cut it.
    static std::wstring FormatNumber(const wchar_t* format, LONG value, size_t limit = 31);
    // Copies text into dest, cut to limit - 1 characters and terminated.
    static void CopyText(wchar_t* dest, size_t limit, const wchar_t* text);
    // _wtoi of a field, quicker for a field of plain digits.
    static int ToInt(const wchar_t* text);
};

#pragma once
// Random and damaged day files for the reading tests: cut lines, missing separators, overlong fields,
// lone CR or LF, embedded nulls, odd byte counts, huge lines.
#include <windows.h>

#include <cstdlib>
#include <random>
#include <string>
#include <vector>

// NQ_FUZZ_COUNT and NQ_FUZZ_SEED enlarge or vary a run (scripts/fuzz-logs.sh).
inline unsigned long EnvNumber(const char* name, unsigned long def)
{
    const char* text = std::getenv(name);
    return text && *text ? std::strtoul(text, nullptr, 10) : def;
}

class DayFileGenerator
{
public:
    explicit DayFileGenerator(unsigned long seed) : m_random(seed) {}

    std::vector<BYTE> Next()
    {
        std::wstring text;
        if (Chance(4))
            text += L'\xFEFF';
        const int lines = Pick(0, 12);
        for (int i = 0; i < lines; ++i)
            AppendLine(text);
        std::vector<BYTE> bytes(reinterpret_cast<const BYTE*>(text.data()),
                                reinterpret_cast<const BYTE*>(text.data() + text.size()));
        if (Chance(4) && !bytes.empty())
            bytes.resize(Pick(0, static_cast<int>(bytes.size()) - 1)); // cut anywhere, odd counts included
        else if (Chance(8))
            bytes.push_back(static_cast<BYTE>(Pick(0, 255)));
        return bytes;
    }

private:
    int Pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(m_random); }
    bool Chance(int oneIn) { return Pick(0, oneIn - 1) == 0; }

    wchar_t Character()
    {
        static const wchar_t kSpecial[] = {L'|', L'\r', L'\n', L'\0', L'\xFEFF', L'\xD800', L'-', L' '};
        switch (Pick(0, 3))
        {
        case 0:
            return kSpecial[Pick(0, 7)];
        case 1:
            return static_cast<wchar_t>(L'0' + Pick(0, 9));
        case 2:
            return static_cast<wchar_t>(Pick(1, 0xFFFF));
        default:
            return static_cast<wchar_t>(L'a' + Pick(0, 25));
        }
    }

    void AppendField(std::wstring& text)
    {
        int length = Pick(0, 12);
        if (Chance(40))
            length = Pick(30, 600); // beyond the members' copy limits
        else if (Chance(200))
            length = Pick(2000, 6000); // beyond the reader's buffer
        for (int i = 0; i < length; ++i)
            text += Chance(3) ? Character() : static_cast<wchar_t>(L'0' + Pick(0, 9));
    }

    void AppendLine(std::wstring& text)
    {
        if (Chance(6))
            text += L"20260304|090807|"; // a proper start, so that more fields reach the records
        const int fields = Chance(20) ? Pick(16, 300) : Pick(0, 16);
        for (int i = 0; i < fields; ++i)
        {
            AppendField(text);
            if (!Chance(8))
                text += L'|';
        }
        static const wchar_t* const kEnds[] = {L"\r\n", L"\r\n", L"\r\n",   L"\n",
                                               L"\r",   L"",     L"\r\r\n", L"\n\r"};
        text += kEnds[Pick(0, 7)];
    }

    std::mt19937 m_random;
};

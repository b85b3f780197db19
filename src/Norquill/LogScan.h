#pragma once
#include <emmintrin.h>

#include <cstddef>

namespace LogScan
{
// The first of [p, end) that is a, b or c, or end. Eight characters a step: a day's reading scans every
// character of the file twice, once for the line ends and once for the separators.
inline const wchar_t* FindAny(const wchar_t* p, const wchar_t* end, wchar_t a, wchar_t b, wchar_t c)
{
    const __m128i va = _mm_set1_epi16(static_cast<short>(a));
    const __m128i vb = _mm_set1_epi16(static_cast<short>(b));
    const __m128i vc = _mm_set1_epi16(static_cast<short>(c));
    for (; end - p >= 8; p += 8)
    {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const __m128i hit = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi16(v, va), _mm_cmpeq_epi16(v, vb)),
                                         _mm_cmpeq_epi16(v, vc));
        if (_mm_movemask_epi8(hit) != 0)
            break;
    }
    while (p < end && *p != a && *p != b && *p != c)
        ++p;
    return p;
}

// The first of [p, end) that is "|" or in U+F000 to U+F0FF, where the stand-ins of a text's "|", CR and
// LF lie, or end.
inline const wchar_t* FindSeparator(const wchar_t* p, const wchar_t* end)
{
    const __m128i bar = _mm_set1_epi16(static_cast<short>(L'|'));
    const __m128i high = _mm_set1_epi16(static_cast<short>(0xFF00));
    const __m128i block = _mm_set1_epi16(static_cast<short>(0xF000));
    for (; end - p >= 8; p += 8)
    {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const __m128i hit =
            _mm_or_si128(_mm_cmpeq_epi16(v, bar), _mm_cmpeq_epi16(_mm_and_si128(v, high), block));
        if (_mm_movemask_epi8(hit) != 0)
            break;
    }
    while (p < end && *p != L'|' && (*p & 0xFF00) != 0xF000)
        ++p;
    return p;
}
} // namespace LogScan

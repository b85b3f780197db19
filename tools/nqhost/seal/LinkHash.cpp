// LinkHash: SHA-256 with the CPU's SHA extensions (SHA-NI), one block at a time, for verify's links.
#include "LinkHash.h"

#include "KvCommon/KvComn_SealKeeper.h"

#include <cstring>
#include <immintrin.h>
#ifdef _MSC_VER
#include <intrin.h>
#define NQ_SHA_TARGET
#else
#include <cpuid.h>
#define NQ_SHA_TARGET __attribute__((target("sha,sse4.1")))
#endif

namespace NqHost
{
namespace
{
alignas(16) const uint32_t kRound[64] = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2};

bool CpuHasSha()
{
    int regs[4] = {};
#ifdef _MSC_VER
    __cpuidex(regs, 7, 0);
#else
    unsigned a = 0, b = 0, c = 0, d = 0;
    if (!__get_cpuid_count(7, 0, &a, &b, &c, &d))
        return false;
    regs[1] = static_cast<int>(b);
#endif
    return (regs[1] & (1 << 29)) != 0; // leaf 7, EBX bit 29: SHA extensions (SSE4.1 comes with them)
}

// The state as the instructions hold it: ABEF and CDGH.
struct State
{
    __m128i abef, cdgh;
};

alignas(16) const uint32_t kStart[8] = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                                        0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};

NQ_SHA_TARGET State Start()
{
    const __m128i cdab = _mm_shuffle_epi32(_mm_load_si128(reinterpret_cast<const __m128i*>(kStart)), 0xB1);
    const __m128i efgh =
        _mm_shuffle_epi32(_mm_load_si128(reinterpret_cast<const __m128i*>(kStart + 4)), 0x1B);
    return {_mm_alignr_epi8(cdab, efgh, 8), _mm_blend_epi16(efgh, cdab, 0xF0)};
}

NQ_SHA_TARGET void Block(State& s, const BYTE* block)
{
    const __m128i swap = _mm_set_epi64x(0x0c0d0e0f08090a0bULL, 0x0405060700010203ULL);
    __m128i w[4];
    for (int i = 0; i < 4; ++i)
        w[i] = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(block + 16 * i)), swap);
    const State saved = s;
    for (int i = 0; i < 16; ++i)
    {
        __m128i& cur = w[i & 3];
        if (i >= 4) // the schedule: w[t] from w[t-16], w[t-15], w[t-7] and w[t-2], four words at a time
        {
            __m128i next = _mm_sha256msg1_epu32(cur, w[(i + 1) & 3]);
            next = _mm_add_epi32(next, _mm_alignr_epi8(w[(i + 3) & 3], w[(i + 2) & 3], 4));
            cur = _mm_sha256msg2_epu32(next, w[(i + 3) & 3]);
        }
        __m128i wk = _mm_add_epi32(cur, _mm_load_si128(reinterpret_cast<const __m128i*>(kRound + 4 * i)));
        s.cdgh = _mm_sha256rnds2_epu32(s.cdgh, s.abef, wk);
        wk = _mm_shuffle_epi32(wk, 0x0E);
        s.abef = _mm_sha256rnds2_epu32(s.abef, s.cdgh, wk);
    }
    s.abef = _mm_add_epi32(s.abef, saved.abef);
    s.cdgh = _mm_add_epi32(s.cdgh, saved.cdgh);
}

NQ_SHA_TARGET void Finish(const State& s, KvCommon::Crypto::Digest& out)
{
    const __m128i feba = _mm_shuffle_epi32(s.abef, 0x1B);
    const __m128i dchg = _mm_shuffle_epi32(s.cdgh, 0xB1);
    const __m128i swap = _mm_set_epi64x(0x0c0d0e0f08090a0bULL, 0x0405060700010203ULL);
    const __m128i dcba = _mm_shuffle_epi8(_mm_blend_epi16(feba, dchg, 0xF0), swap);
    const __m128i hgfe = _mm_shuffle_epi8(_mm_alignr_epi8(dchg, feba, 8), swap);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out.data()), dcba);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out.data() + 16), hgfe);
}
} // namespace

bool LinkHash::Fast()
{
    static const bool fast = CpuHasSha();
    return fast;
}

bool LinkHash::Sha256(std::initializer_list<KvCommon::Crypto::Piece> pieces, KvCommon::Crypto::Digest& out)
{
    State state = Start();
    BYTE block[64];
    size_t held = 0;
    unsigned long long total = 0;
    for (const KvCommon::Crypto::Piece& piece : pieces)
    {
        const BYTE* data = static_cast<const BYTE*>(piece.data);
        size_t left = piece.bytes;
        total += left;
        if (held > 0)
        {
            const size_t take = left < 64 - held ? left : 64 - held;
            std::memcpy(block + held, data, take);
            held += take, data += take, left -= take;
            if (held < 64)
                continue;
            Block(state, block);
            held = 0;
        }
        for (; left >= 64; data += 64, left -= 64)
            Block(state, data);
        std::memcpy(block, data, left);
        held = left;
    }
    // The padding: a one bit, zeros, and the length in bits, big-endian, at the end of a block.
    block[held++] = 0x80;
    if (held > 56)
    {
        std::memset(block + held, 0, 64 - held);
        Block(state, block);
        held = 0;
    }
    std::memset(block + held, 0, 56 - held);
    for (int i = 0; i < 8; ++i)
        block[56 + i] = static_cast<BYTE>((total * 8) >> (56 - 8 * i));
    Block(state, block);
    Finish(state, out);
    return true;
}

bool LinkHash::Of(const BYTE* prev, const KvCommon::SealFormat::LineSeal& seal, const void* line,
                  KvCommon::Crypto::Digest& link)
{
    return KvCommon::SealKeeper::Link(prev, seal, line, link, Fast() ? &Sha256 : &KvCommon::Crypto::Sha256);
}
} // namespace NqHost

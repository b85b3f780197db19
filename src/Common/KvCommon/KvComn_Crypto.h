#pragma once
#include <windows.h>

#include <array>
#include <cstddef>
#include <initializer_list>

namespace KvCommon
{
// The system's own random generator and SHA-256, through BCrypt.
class Crypto
{
public:
    using Digest = std::array<BYTE, 32>;
    struct Piece
    {
        const void* data;
        size_t bytes;
    };

    // False when the generator fails; out is then undefined.
    static bool Random(void* out, size_t bytes);
    // SHA-256 of the pieces one after the other.
    static bool Sha256(std::initializer_list<Piece> pieces, Digest& out);
    // The provider of SHA-256, opened once for the process; with hmac, its keyed form. Null on failure.
    static void* Provider(bool hmac);

    // FNV-1a, 64 bits, going on from hash: a quick name for bytes, no protection.
    static constexpr unsigned long long kFnvStart = 14695981039346656037ull;
    static unsigned long long Fnv1a64(unsigned long long hash, const void* bytes, size_t size)
    {
        const unsigned char* p = static_cast<const unsigned char*>(bytes);
        for (size_t i = 0; i < size; ++i)
            hash = (hash ^ p[i]) * 1099511628211ull;
        return hash;
    }
};
} // namespace KvCommon

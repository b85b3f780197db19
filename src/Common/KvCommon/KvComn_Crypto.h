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
};
} // namespace KvCommon

#include "KvComn_Crypto.h"

#include "KvComn_Handle.h"

#include <bcrypt.h>

namespace KvCommon
{
namespace
{
UniqueCryptAlg OpenProvider(ULONG flags)
{
    UniqueCryptAlg alg;
    if (::BCryptOpenAlgorithmProvider(alg.put(), BCRYPT_SHA256_ALGORITHM, nullptr, flags) < 0)
        alg.reset();
    return alg;
}
} // namespace

bool Crypto::Random(void* out, size_t bytes)
{
    return ::BCryptGenRandom(nullptr, static_cast<PUCHAR>(out), static_cast<ULONG>(bytes),
                             BCRYPT_USE_SYSTEM_PREFERRED_RNG) >= 0;
}

bool Crypto::Sha256(std::initializer_list<Piece> pieces, Digest& out)
{
    UniqueCryptHash hash;
    auto alg = static_cast<BCRYPT_ALG_HANDLE>(Provider(false));
    if (!alg || ::BCryptCreateHash(alg, hash.put(), nullptr, 0, nullptr, 0, 0) < 0)
        return false;
    for (const Piece& piece : pieces)
        if (::BCryptHashData(hash.get(), static_cast<PUCHAR>(const_cast<void*>(piece.data)),
                             static_cast<ULONG>(piece.bytes), 0) < 0)
            return false;
    return ::BCryptFinishHash(hash.get(), out.data(), static_cast<ULONG>(out.size()), 0) >= 0;
}

void* Crypto::Provider(bool hmac)
{
    // Opening a provider costs far more than a code; they live as long as the process.
    static UniqueCryptAlg plain = OpenProvider(0);
    static UniqueCryptAlg keyed = OpenProvider(BCRYPT_ALG_HANDLE_HMAC_FLAG);
    return hmac ? keyed.get() : plain.get();
}
} // namespace KvCommon

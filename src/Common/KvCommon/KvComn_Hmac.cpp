#include "KvComn_Hmac.h"

#include <bcrypt.h>

namespace KvCommon
{
bool Hmac::SetKey(const Crypto::Digest& key)
{
    m_keyed.reset();
    auto alg = static_cast<BCRYPT_ALG_HANDLE>(Crypto::Provider(true));
    return alg && ::BCryptCreateHash(alg, m_keyed.put(), nullptr, 0, const_cast<BYTE*>(key.data()),
                                     static_cast<ULONG>(key.size()), 0) >= 0;
}

bool Hmac::Code(std::initializer_list<Crypto::Piece> pieces, Crypto::Digest& out)
{
    // A copy of the keyed state skips hashing the key's two padded blocks again, a third of a short
    // line's cost; a reusable hash would hash them again after every code.
    UniqueCryptHash hash;
    if (!m_keyed || ::BCryptDuplicateHash(m_keyed.get(), hash.put(), nullptr, 0, 0) < 0)
        return false;
    for (const Crypto::Piece& piece : pieces)
        if (::BCryptHashData(hash.get(), static_cast<PUCHAR>(const_cast<void*>(piece.data)),
                             static_cast<ULONG>(piece.bytes), 0) < 0)
            return false;
    return ::BCryptFinishHash(hash.get(), out.data(), static_cast<ULONG>(out.size()), 0) >= 0;
}
} // namespace KvCommon

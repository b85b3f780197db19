#include "KvComn_Hmac.h"

#include <bcrypt.h>

#ifndef BCRYPT_HASH_REUSABLE_FLAG
#define BCRYPT_HASH_REUSABLE_FLAG 0x00000020
#endif

namespace KvCommon
{
bool Hmac::SetKey(const Crypto::Digest& key)
{
    m_key = key;
    m_reusable.reset();
    auto alg = static_cast<BCRYPT_ALG_HANDLE>(Crypto::Provider(true));
    m_keyed = alg != nullptr;
    if (m_keyed && ::BCryptCreateHash(alg, m_reusable.put(), nullptr, 0, m_key.data(),
                                      static_cast<ULONG>(m_key.size()), BCRYPT_HASH_REUSABLE_FLAG) < 0)
        m_reusable.reset();
    return m_keyed;
}

bool Hmac::Code(std::initializer_list<Crypto::Piece> pieces, Crypto::Digest& out)
{
    if (!m_keyed)
        return false;
    if (m_reusable)
        return Feed(m_reusable.get(), pieces, out);
    UniqueCryptHash hash;
    if (::BCryptCreateHash(static_cast<BCRYPT_ALG_HANDLE>(Crypto::Provider(true)), hash.put(), nullptr, 0,
                           m_key.data(), static_cast<ULONG>(m_key.size()), 0) < 0)
        return false;
    return Feed(hash.get(), pieces, out);
}

bool Hmac::Feed(BCRYPT_HASH_HANDLE hash, std::initializer_list<Crypto::Piece> pieces, Crypto::Digest& out)
{
    for (const Crypto::Piece& piece : pieces)
        if (::BCryptHashData(hash, static_cast<PUCHAR>(const_cast<void*>(piece.data)),
                             static_cast<ULONG>(piece.bytes), 0) < 0)
            return false;
    return ::BCryptFinishHash(hash, out.data(), static_cast<ULONG>(out.size()), 0) >= 0;
}
} // namespace KvCommon

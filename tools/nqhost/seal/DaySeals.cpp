// CDaySeals: a day file's line seals read from its installation's chain folder, as hex by the offset of
// their line.
#include "DaySeals.h"

#include "DayFileCheck.h"

#include "KvCommon/KvComn_SealFormat.h"
#include "KvCommon/KvComn_SealKeeper.h"

#include <cstring>
#include <vector>

namespace NqHost
{
CDaySeals::CDaySeals(const std::wstring& path)
{
    using namespace KvCommon::SealFormat;
    const size_t slash = path.find_last_of(L'\\');
    const std::wstring folder = path.substr(0, slash + 1);
    std::vector<BYTE> bytes;
    DWORD error = 0;
    State state{};
    if (!CDayFileCheck::ReadBytes(KvCommon::SealKeeper::StatePath(folder), bytes, error) ||
        bytes.size() < sizeof(state))
        return;
    std::memcpy(&state, bytes.data(), sizeof(state));
    SecureZeroMemory(bytes.data(), bytes.size());
    const std::wstring seals = KvCommon::SealKeeper::ChainFolder(folder, state.chain) +
                               KvCommon::SealKeeper::Upper(path.substr(slash + 1)) + L".seal";
    SecureZeroMemory(&state, sizeof(state));
    if (!CDayFileCheck::ReadBytes(seals, bytes, error))
        return;
    static const char kHex[] = "0123456789abcdef";
    for (size_t at = 0; at + sizeof(LineSeal) <= bytes.size(); at += sizeof(LineSeal))
    {
        LineSeal seal;
        std::memcpy(&seal, bytes.data() + at, sizeof(seal));
        if (seal.type != kLine)
            continue;
        std::string code;
        for (BYTE b : seal.mac)
            code.append(1, kHex[b >> 4]).append(1, kHex[b & 15]);
        m_codes[seal.offset] = std::move(code); // a day begun anew: its latest seals
    }
}

const std::string* CDaySeals::At(ULONGLONG offset) const
{
    // The first line's seal covers the byte-order mark before it.
    auto found = m_codes.find(offset == 2 ? 0 : offset);
    return found == m_codes.end() ? nullptr : &found->second;
}
} // namespace NqHost

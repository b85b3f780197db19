// The verification key's file written and read: its header, its chain and the key of epoch 0 in hex.
#include "SealKey.h"

#include "DayFileCheck.h"
#include "ResultCodes.h"

#include "KvCommon/KvComn_SealKeeper.h"

#include <sstream>

namespace NqHost
{
namespace
{
const char kHeader[] = "norquill-seal-key 1";

bool FromHex(const std::string& text, BYTE* out, size_t bytes)
{
    if (text.size() != bytes * 2)
        return false;
    auto nibble = [](char c) -> int
    {
        return c >= '0' && c <= '9'   ? c - '0'
               : c >= 'a' && c <= 'f' ? c - 'a' + 10
               : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                      : -1;
    };
    for (size_t i = 0; i < bytes; ++i)
    {
        const int high = nibble(text[2 * i]), low = nibble(text[2 * i + 1]);
        if (high < 0 || low < 0)
            return false;
        out[i] = static_cast<BYTE>(high * 16 + low);
    }
    return true;
}
} // namespace

std::wstring SealKey::Text() const
{
    std::wstring text = std::wstring(kHeader, kHeader + sizeof(kHeader) - 1) + L"\nchain " +
                        KvCommon::SealKeeper::ChainText(chain) + L"\nkey ";
    static const wchar_t kHex[] = L"0123456789abcdef";
    for (BYTE b : key)
        text.append(1, kHex[b >> 4]).append(1, kHex[b & 15]);
    return text + L"\n";
}

bool SealKey::Read(const std::wstring& path, std::wstring& why)
{
    std::vector<BYTE> bytes;
    DWORD error = 0;
    if (!CDayFileCheck::ReadBytes(path, bytes, error))
    {
        why = L"cannot read the verification key " + path + L": " + ResultCodes::Describe(error);
        return false;
    }
    std::istringstream lines(std::string(bytes.begin(), bytes.end()));
    SecureZeroMemory(bytes.data(), bytes.size());
    std::string header, word, chainText, keyText;
    std::getline(lines, header);
    lines >> word >> chainText;
    const bool chainOk = word == "chain" && FromHex(chainText, chain, sizeof(chain));
    lines >> word >> keyText;
    const bool keyOk = word == "key" && FromHex(keyText, key.data(), key.size());
    SecureZeroMemory(&keyText[0], keyText.size());
    if (header.rfind(kHeader, 0) != 0 || !chainOk || !keyOk)
    {
        why = path + L" is no verification key of seal init";
        return false;
    }
    return true;
}
} // namespace NqHost

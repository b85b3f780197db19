#pragma once
// The seals of one day file as its installation keeps them, for export to carry: each event's code by
// where its line starts. Not checked here: the code is for a store that holds the verification key.
#include <windows.h>

#include <map>
#include <string>

namespace NqHost
{
class CDaySeals
{
public:
    // path: the day file. Empty when sealing is off or the day has no seals.
    explicit CDaySeals(const std::wstring& path);
    // The code (hex) of the line starting at offset (bytes, the byte-order mark included); null for none.
    const std::string* At(ULONGLONG offset) const;

private:
    std::map<ULONGLONG, std::string> m_codes;
};
} // namespace NqHost

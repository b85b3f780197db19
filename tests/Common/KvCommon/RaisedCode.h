#pragma once
// The code of the Storage::Exception* a call raises.
#include "KvComn_StorageException.h"

#include <functional>

namespace StorageCheck
{
constexpr DWORD kNothingRaised = 0xFFFFFFFF;

inline DWORD RaisedCode(const std::function<void()>& call)
{
    try
    {
        call();
    }
    catch (KvCommon::Storage::Exception* e)
    {
        DWORD code = e->GetCode();
        delete e;
        return code;
    }
    return kNothingRaised;
}
} // namespace StorageCheck

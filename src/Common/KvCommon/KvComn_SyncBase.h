#pragma once
#include <windows.h>

namespace KvCommon
{
namespace Synchronize
{
class Base
{
public:
    Base() = default;
    Base(const Base&) = delete;
    Base& operator=(const Base&) = delete;
    virtual ~Base() = default;
    virtual DWORD Lock() = 0;
    virtual DWORD Unlock() = 0;
};
} // namespace Synchronize
} // namespace KvCommon

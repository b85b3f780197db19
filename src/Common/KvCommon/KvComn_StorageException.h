#pragma once
#include "KvComn_Exception.h"

namespace KvCommon
{
namespace Storage
{
// Raised as a heap pointer by the storage classes; code is the Win32 status.
class Exception : public KvCommon::Exception::Base
{
public:
    Exception(DWORD code, const char* file, DWORD line) : Base(code, file, line) {}
};
} // namespace Storage
} // namespace KvCommon

#define KV_THROW_STORAGE(code) throw new ::KvCommon::Storage::Exception((code), KV_SOURCE_FILE, __LINE__)

#include "KvComn_ByteArray.h"

#include <cstring>
#include <new>

namespace KvCommon
{
namespace
{
bool Fail(DWORD code, DWORD* error)
{
    if (error)
        *error = code;
    return false;
}

bool Succeed(DWORD* error)
{
    if (error)
        *error = ERROR_SUCCESS;
    return true;
}
} // namespace

ByteArray::~ByteArray()
{
    delete[] m_pData;
    m_pData = nullptr;
    m_size = 0;
}

bool ByteArray::Allocate(size_t size, DWORD* error)
{
    if (m_pData || m_size)
        return Fail(ERROR_OBJECT_ALREADY_EXISTS, error);
    if (size == 0)
        return Fail(ERROR_BAD_ARGUMENTS, error);
    BYTE* data = new (std::nothrow) BYTE[size];
    if (!data)
        return Fail(ERROR_INVALID_HANDLE, error);
    std::memset(data, 0, size);
    m_pData = data;
    m_size = size;
    return Succeed(error);
}

bool ByteArray::SetData(const void* source, size_t length, DWORD* error)
{
    if (!source)
        return Fail(ERROR_INVALID_HANDLE, error);
    if (length != m_size || !m_pData)
        return Fail(ERROR_BAD_ARGUMENTS, error);
    std::memcpy(m_pData, source, length);
    return Succeed(error);
}
} // namespace KvCommon

#include "KvComn_FileBase.h"

namespace KvCommon
{
namespace Storage
{
namespace
{
bool Fail(DWORD code, DWORD* error)
{
    if (error)
        *error = code;
    return false;
}
} // namespace

FileBase::~FileBase()
{
    if (m_hFile)
        ::CloseHandle(m_hFile);
    m_hFile = nullptr;
}

bool FileBase::Open(AccessControl::SecurityAttributes& attributes, DWORD* error)
{
    if (m_hFile)
        return Fail(ERROR_OBJECT_ALREADY_EXISTS, error);
    if (m_strPath.empty())
        return Fail(ERROR_BAD_ARGUMENTS, error);
    HANDLE h = ::CreateFileW(m_strPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, attributes.Get(), OPEN_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return Fail(::GetLastError(), error);
    m_hFile = h;
    return true;
}

bool FileBase::SetFilePointer(LONG distance, DWORD method, DWORD* error)
{
    if (!m_hFile)
        return Fail(::GetLastError(), error);
    if (::SetFilePointer(m_hFile, distance, nullptr, method) == INVALID_SET_FILE_POINTER)
        return Fail(::GetLastError(), error);
    return true;
}

bool FileBase::Write(const void* data, DWORD byteCount, DWORD* error)
{
    if (!m_hFile)
        return Fail(ERROR_SUCCESS, error);
    if (!data)
        return Fail(ERROR_BAD_ARGUMENTS, error);
    DWORD written = 0;
    if (!::WriteFile(m_hFile, data, byteCount, &written, nullptr))
        return Fail(::GetLastError(), error);
    if (written != byteCount)
        return Fail(ERROR_INVALID_DATA, error);
    return true;
}

bool FileBase::Close(DWORD* error)
{
    if (!m_hFile)
        return Fail(ERROR_SUCCESS, error);
    ::CloseHandle(m_hFile);
    m_hFile = nullptr;
    return true;
}
} // namespace Storage
} // namespace KvCommon

#include "KvComn_FileBase.h"

#include <atomic>

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

std::atomic<FileBase::WriteFunction> g_write{nullptr};
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
    HANDLE h = ::CreateFileW(m_strPath.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                             attributes.Get(), OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return Fail(::GetLastError(), error);
    FILE_STANDARD_INFO info{};
    if (::GetFileInformationByHandleEx(h, FileStandardInfo, &info, sizeof(info)) && info.DeletePending)
    {
        ::CloseHandle(h);
        return Fail(ERROR_DELETE_PENDING, error);
    }
    m_hFile = h;
    return true;
}

bool FileBase::SetFilePointer(LONGLONG distance, DWORD method, DWORD* error, LONGLONG* position)
{
    if (!m_hFile)
        return Fail(::GetLastError(), error);
    LARGE_INTEGER to, moved;
    to.QuadPart = distance;
    if (!::SetFilePointerEx(m_hFile, to, &moved, method))
        return Fail(::GetLastError(), error);
    if (position)
        *position = moved.QuadPart;
    return true;
}

bool FileBase::ReadAt(LONGLONG offset, void* data, DWORD byteCount, DWORD& read, DWORD* error)
{
    read = 0;
    if (!m_hFile)
        return Fail(ERROR_SUCCESS, error);
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(static_cast<ULONGLONG>(offset) >> 32);
    if (!::ReadFile(m_hFile, data, byteCount, &read, &at) && ::GetLastError() != ERROR_HANDLE_EOF)
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
    WriteFunction write = g_write.load(std::memory_order_acquire);
    if (!(write ? write : ::WriteFile)(m_hFile, data, byteCount, &written, nullptr))
        return Fail(::GetLastError(), error);
    if (written != byteCount)
        return Fail(ERROR_INVALID_DATA, error);
    return true;
}

bool FileBase::Truncate(LONGLONG length, DWORD* error)
{
    if (!m_hFile)
        return Fail(ERROR_SUCCESS, error);
    LARGE_INTEGER to;
    to.QuadPart = length;
    if (!::SetFilePointerEx(m_hFile, to, nullptr, FILE_BEGIN) || !::SetEndOfFile(m_hFile))
        return Fail(::GetLastError(), error);
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

void FileBase::SetWriteFunction(WriteFunction write)
{
    g_write.store(write, std::memory_order_release);
}
} // namespace Storage
} // namespace KvCommon

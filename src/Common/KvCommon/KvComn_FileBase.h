#pragma once
#include "KvComn_SecurityAttributes.h"

#include <windows.h>
#include <string>

namespace KvCommon
{
namespace Storage
{
// One file handle opened for appending: GENERIC_WRITE, FILE_SHARE_READ, OPEN_ALWAYS.
// Each operation returns false and writes a Win32 code through error when it fails.
class FileBase
{
public:
    explicit FileBase(const std::wstring& path) : m_strPath(path) {}
    FileBase(const FileBase&) = delete;
    FileBase& operator=(const FileBase&) = delete;
    virtual ~FileBase();

    // 5010 when already open, 160 for an empty path, else CreateFileW's error.
    bool Open(AccessControl::SecurityAttributes& attributes, DWORD* error = nullptr);
    bool SetFilePointer(LONG distance, DWORD method, DWORD* error = nullptr);
    // 0 when closed, 160 for null data, 13 for a short write.
    bool Write(const void* data, DWORD byteCount, DWORD* error = nullptr);
    // 0 when already closed.
    bool Close(DWORD* error = nullptr);

    bool IsOpen() const { return m_hFile != nullptr; }
    const std::wstring& GetPath() const { return m_strPath; }

private:
    HANDLE m_hFile = nullptr;
    std::wstring m_strPath;
};
} // namespace Storage
} // namespace KvCommon

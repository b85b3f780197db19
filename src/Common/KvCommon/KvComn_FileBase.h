#pragma once
#include "KvComn_SecurityAttributes.h"

#include <windows.h>
#include <string>

namespace KvCommon
{
namespace Storage
{
// One file handle opened for appending: GENERIC_WRITE, FILE_SHARE_READ, OPEN_ALWAYS. It may also read,
// so that an append can look at what it follows; two openers still exclude each other.
// Each operation returns false and writes a Win32 code through error when it fails.
class FileBase
{
public:
    explicit FileBase(const std::wstring& path) : m_strPath(path) {}
    FileBase(const FileBase&) = delete;
    FileBase& operator=(const FileBase&) = delete;
    virtual ~FileBase();

    // 5010 when already open, 160 for an empty path, 303 (nothing kept open) when the file is marked for
    // deletion: what went into it would go with it. Else CreateFileW's error.
    bool Open(AccessControl::SecurityAttributes& attributes, DWORD* error = nullptr);
    // position, when given, receives the new file pointer: with 0 from FILE_END, the file's length.
    bool SetFilePointer(LONGLONG distance, DWORD method, DWORD* error = nullptr,
                        LONGLONG* position = nullptr);
    // Reads up to byteCount bytes at offset; the file pointer ends behind them. read receives the count.
    bool ReadAt(LONGLONG offset, void* data, DWORD byteCount, DWORD& read, DWORD* error = nullptr);
    // 0 when closed, 160 for null data, 13 for a short write.
    bool Write(const void* data, DWORD byteCount, DWORD* error = nullptr);
    // Cuts the file back to length bytes, so that a failed append leaves no part of itself behind.
    bool Truncate(LONGLONG length, DWORD* error = nullptr);
    // 0 when already closed.
    bool Close(DWORD* error = nullptr);

    bool IsOpen() const { return m_hFile != nullptr; }
    const std::wstring& GetPath() const { return m_strPath; }

    // Tests put a failing or short WriteFile here; nullptr restores ::WriteFile.
    using WriteFunction = BOOL(WINAPI*)(HANDLE, LPCVOID, DWORD, LPDWORD, LPOVERLAPPED);
    static void SetWriteFunction(WriteFunction write);

private:
    HANDLE m_hFile = nullptr;
    std::wstring m_strPath;
};
} // namespace Storage
} // namespace KvCommon

#pragma once
// Where exported records go: standard output or a file, as UTF-8 bytes without a byte-order mark,
// written in large blocks.
#include "KvCommon/KvComn_Handle.h"

#include <windows.h>

#include <string>

namespace NqHost
{
class COutputStream
{
public:
    // Standard output.
    COutputStream();
    ~COutputStream() { Flush(); }
    COutputStream(const COutputStream&) = delete;
    COutputStream& operator=(const COutputStream&) = delete;

    // Creates (or empties) the file and writes there instead; false with the Win32 code in Error().
    bool Open(const std::wstring& path);
    void Write(const std::string& bytes);
    // False once a write has failed (a full disk, a reader that went away); the rest is dropped.
    bool Flush();
    bool Failed() const { return m_error != 0; }
    DWORD Error() const { return m_error; }

private:
    KvCommon::UniqueFileHandle m_file;
    HANDLE m_handle;
    std::string m_buffer;
    DWORD m_error = 0;
};
} // namespace NqHost

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

    // Creates (or empties) the file, or appends to it, and writes there instead; false with the Win32
    // code in Error().
    bool Open(const std::wstring& path, bool append = false);
    // Nothing was in the output when it was opened (standard output counts as empty).
    bool StartedEmpty() const { return m_startedEmpty; }
    void Write(const std::string& bytes);
    // False once a write has failed (a full disk, a reader that went away); the rest is dropped.
    bool Flush();
    // Flush() and, for a file on disk, its bytes written through to the disk: what a cursor that
    // covers them needs first.
    bool Sync();
    bool Failed() const { return m_error != 0; }
    DWORD Error() const { return m_error; }

private:
    KvCommon::UniqueFileHandle m_file;
    HANDLE m_handle;
    std::string m_buffer;
    DWORD m_error = 0;
    bool m_startedEmpty = true;
    bool m_unsynced = false; // written since the last Sync()
};
} // namespace NqHost

#pragma once
#include <windows.h>

#include <string>

// The seals of this process's stored events, in the installation's sealing (off until set up). One
// keeper for the process keeps the seal files it wrote to open between events.
class CDaySeal
{
public:
    // Sealing has been set up for the log folder. Makes the seals' folder, empty, where it is missing.
    static bool IsOn(const std::wstring& logFolder);
    // Seals the event's bytes that the caller wrote at offset and still holds the day file for. newDay:
    // the day file was empty. false with the Win32 code; nothing is sealed then.
    static bool Seal(const std::wstring& logFolder, const std::wstring& dayName, ULONGLONG offset,
                     const void* bytes, size_t size, bool newDay, DWORD& error);
    // The purge or the delete action removed the day: its seals go, and the journal says so.
    static bool Removed(const std::wstring& logFolder, const std::wstring& dayName, DWORD& error);
};

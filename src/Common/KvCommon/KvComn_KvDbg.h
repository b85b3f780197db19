#pragma once
#include "KvComn_Library.h"

#include <windows.h>
#include <cstddef>

namespace KvCommon
{
#pragma pack(push, 1)
// The settings record handed to KvDbgInitialize (2148 bytes).
struct KvDbgSettings
{
    BYTE bServiceSession;      // 0
    BYTE bRobust;              // 1
    BYTE bDebugger;            // 2
    BYTE bZero;                // 3
    SYSTEMTIME stTime;         // 4: local time when the settings were read
    DWORD dwLogProcess;        // 20
    DWORD dwLogUnitType;       // 24
    WCHAR szModule[32];        // 28
    WCHAR szLogFolder[260];    // 92
    WCHAR szLogPrefix[256];    // 612
    WCHAR szLogFile[256];      // 1124
    WCHAR szLogExtension[256]; // 1636
};
#pragma pack(pop)
static_assert(sizeof(KvDbgSettings) == 2148, "KvDbgSettings is shared with the trace library");
static_assert(offsetof(KvDbgSettings, szLogFolder) == 92, "layout");
static_assert(offsetof(KvDbgSettings, szLogExtension) == 1636, "layout");

using PFN_KvDbgInitialize = int(WINAPI*)(void** handle, KvDbgSettings* settings);
using PFN_KvDbgUninitialize = int(WINAPI*)(void* handle);
using PFN_KvDbgTrace = int(WINAPI*)(void* handle, const SYSTEMTIME* time, const wchar_t* line);

namespace Library
{
// The trace library's three entries.
class KvDbg : public Wrapper
{
public:
    ~KvDbg() override = default;
    // load true: look up the three entries (error 6 without a module, else GetLastError of the failed
    // lookup); bound only when all three were found. load false: clear them.
    virtual bool Bind(bool load, DWORD* error = nullptr);

    bool IsBound() const { return m_bBound; }
    PFN_KvDbgInitialize m_pfnInitialize = nullptr;
    PFN_KvDbgUninitialize m_pfnUninitialize = nullptr;
    PFN_KvDbgTrace m_pfnTrace = nullptr;

private:
    bool m_bBound = false;
};
} // namespace Library
} // namespace KvCommon

#include "KvComn_System.h"
#include "KvComn_Library.h"

namespace KvCommon
{
namespace System
{
namespace
{
constexpr DWORD kPlatform9x = VER_PLATFORM_WIN32_WINDOWS; // 1
constexpr DWORD kPlatformNt = VER_PLATFORM_WIN32_NT;      // 2
constexpr BYTE kWorkstation = VER_NT_WORKSTATION;         // 1
constexpr BYTE kServer = VER_NT_SERVER;                   // 3
constexpr WORD kUnknownArchitecture = 0xFFFF;

OSVERSIONINFOW g_version{};
OSVERSIONINFOEXW g_versionEx{};
bool g_versionFilled = false;
bool g_versionExFilled = false;
DWORD g_versionError = 0;
WORD g_architecture = kUnknownArchitecture;

bool FillVersion()
{
    if (!g_versionFilled)
    {
        OSVERSIONINFOW info{};
        info.dwOSVersionInfoSize = sizeof(info);
        if (!::GetVersionExW(&info))
        {
            g_versionError = ::GetLastError();
            return false;
        }
        g_version = info;
        g_versionFilled = true;
    }
    if (!g_versionExFilled)
    {
        OSVERSIONINFOEXW info{};
        info.dwOSVersionInfoSize = sizeof(info);
        if (!::GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&info)))
        {
            g_versionError = ::GetLastError();
            return false;
        }
        g_versionEx = info;
        g_versionExFilled = true;
    }
    return true;
}

// Version major.minor compared as one number.
bool AtLeast(const OSVERSIONINFOEXW& v, DWORD major, DWORD minor)
{
    return v.dwMajorVersion > major || (v.dwMajorVersion == major && v.dwMinorVersion >= minor);
}

bool Is(const OSVERSIONINFOEXW& v, DWORD major, DWORD minor)
{
    return v.dwMajorVersion == major && v.dwMinorVersion == minor;
}

// The given version with at least the given service pack, or any later version.
bool AtLeastWithSp(const OSVERSIONINFOEXW& v, DWORD major, DWORD minor, WORD sp)
{
    return (Is(v, major, minor) && v.wServicePackMajor >= sp) ||
           (AtLeast(v, major, minor) && !Is(v, major, minor));
}

template <class Fn> bool CallKernel32(const wchar_t* entry, Fn&& call)
{
    Library::Base kernel;
    if (!kernel.Load(L"kernel32.dll"))
        return false;
    FARPROC proc = kernel.GetEntry(entry);
    if (!proc)
        return false;
    return call(proc);
}
} // namespace

bool EvaluateOsCondition(DWORD condition, const OSVERSIONINFOEXW& v, bool native64)
{
    const bool nt = v.dwPlatformId == kPlatformNt;
    switch (condition)
    {
    case 0:
        return v.dwPlatformId == kPlatform9x && Is(v, 4, 90);
    case 1:
        return v.dwPlatformId == kPlatform9x;
    case 2:
        return nt && Is(v, 5, 0);
    case 3:
        return nt && Is(v, 5, 2) && v.wProductType == kServer;
    case 4:
        return nt && Is(v, 5, 1) && v.wProductType == kWorkstation;
    case 5:
        return nt && Is(v, 5, 2) && v.wProductType == kWorkstation;
    case 6:
        return nt && (Is(v, 5, 1) || Is(v, 5, 2)) && v.wProductType == kWorkstation;
    case 7:
        return nt && v.dwMajorVersion == 6 && !native64;
    case 8:
        return nt && v.dwMajorVersion == 6 && native64;
    case 9:
        return nt && v.dwMajorVersion == 6;
    case 10:
        return nt;
    case 11:
        return nt && v.dwMajorVersion >= 5;
    case 12:
        return nt && AtLeast(v, 5, 1);
    case 13:
        return nt && AtLeastWithSp(v, 5, 1, 2);
    case 14:
        return nt && AtLeastWithSp(v, 5, 1, 3);
    case 15:
        return nt && v.dwMajorVersion >= 6;
    case 16:
        return nt && AtLeastWithSp(v, 6, 0, 1);
    default:
        return false;
    }
}

bool IsOsVersion(const DWORD& condition)
{
    if (!FillVersion())
        return false;
    // Only the processor conditions need the architecture lookup.
    const bool native64 = (condition == 7 || condition == 8) ? IsNative64Bit() : false;
    return EvaluateOsCondition(condition, g_versionEx, native64);
}

DWORD GetVersionError()
{
    return g_versionError;
}

bool IsNative64Bit()
{
    if (g_architecture == kUnknownArchitecture)
    {
        CallKernel32(L"GetNativeSystemInfo",
                     [](FARPROC proc)
                     {
                         SYSTEM_INFO info{};
                         reinterpret_cast<void(WINAPI*)(LPSYSTEM_INFO)>(reinterpret_cast<void*>(proc))(&info);
                         g_architecture = info.wProcessorArchitecture;
                         return true;
                     });
    }
    return g_architecture == PROCESSOR_ARCHITECTURE_AMD64;
}

bool GetProcessSessionId(DWORD& session)
{
    session = 0xFFFFFFFF;
    const DWORD nt5 = 11;
    if (!IsOsVersion(nt5) || GetVersionError() != 0)
        return false;
    return CallKernel32(L"ProcessIdToSessionId",
                        [&session](FARPROC proc)
                        {
                            using Fn = BOOL(WINAPI*)(DWORD, DWORD*);
                            return reinterpret_cast<Fn>(reinterpret_cast<void*>(proc))(
                                       ::GetCurrentProcessId(), &session) != FALSE;
                        });
}
} // namespace System
} // namespace KvCommon

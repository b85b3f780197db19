// CFolderLink: a junction made through the system's reparse data, or under Wine a symbolic link of the Unix
// side, and removed with its owner.
#include "FolderLink.h"

#include "KvCommon/KvComn_Handle.h"

#include <winioctl.h>

#include <cstddef>

#include <vector>

namespace NqHost
{
namespace
{
// The mount-point form of the system's reparse data.
struct MountPoint
{
    DWORD tag;
    WORD dataLength;
    WORD reserved;
    WORD substituteOffset;
    WORD substituteLength;
    WORD printOffset;
    WORD printLength;
    WCHAR paths[1];
};

using ToUnix = char*(CDECL*)(LPCWSTR);

ToUnix WineUnixName()
{
    return reinterpret_cast<ToUnix>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32"), "wine_get_unix_file_name")));
}

std::wstring UnixName(ToUnix toUnix, const std::wstring& path)
{
    char* name = toUnix(path.c_str());
    if (!name)
        return std::wstring();
    const int size = MultiByteToWideChar(CP_UTF8, 0, name, -1, nullptr, 0);
    std::wstring wide(size > 0 ? size - 1 : 0, L'\0');
    if (size > 1)
        MultiByteToWideChar(CP_UTF8, 0, name, -1, &wide[0], size);
    HeapFree(GetProcessHeap(), 0, name);
    return wide;
}
} // namespace

CFolderLink::~CFolderLink()
{
    if (m_link.empty())
        return;
    // Either way only the link goes, never what it leads to.
    if (m_unix)
        RunUnix(L"Z:\\bin\\rm", L"-f --", m_link, nullptr);
    else
        RemoveDirectoryW(m_link.c_str());
}

bool CFolderLink::Create(const std::wstring& link, const std::wstring& target, DWORD& error)
{
    if (CreateJunction(link, target, error))
    {
        m_link = link;
        return true;
    }
    if (!WineUnixName())
        return false;
    if (!RunUnix(L"Z:\\bin\\ln", L"-s --", target, &link))
        return false;
    m_link = link;
    m_unix = true;
    return true;
}

bool CFolderLink::CreateJunction(const std::wstring& link, const std::wstring& target, DWORD& error)
{
    if (!CreateDirectoryW(link.c_str(), nullptr))
    {
        error = GetLastError();
        return false;
    }
    const std::wstring substitute = L"\\??\\" + target;
    const size_t pathBytes = (substitute.size() + 1 + target.size() + 1) * sizeof(WCHAR);
    std::vector<BYTE> buffer(offsetof(MountPoint, paths) + pathBytes);
    auto* data = reinterpret_cast<MountPoint*>(buffer.data());
    data->tag = IO_REPARSE_TAG_MOUNT_POINT;
    data->dataLength = static_cast<WORD>(buffer.size() - 8);
    data->substituteLength = static_cast<WORD>(substitute.size() * sizeof(WCHAR));
    data->printOffset = static_cast<WORD>(data->substituteLength + sizeof(WCHAR));
    data->printLength = static_cast<WORD>(target.size() * sizeof(WCHAR));
    memcpy(data->paths, substitute.c_str(), data->substituteLength);
    memcpy(reinterpret_cast<BYTE*>(data->paths) + data->printOffset, target.c_str(), data->printLength);
    KvCommon::UniqueFileHandle handle(CreateFileW(link.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                                  FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS,
                                                  nullptr));
    DWORD returned = 0;
    const bool made =
        handle && DeviceIoControl(handle.get(), FSCTL_SET_REPARSE_POINT, buffer.data(),
                                  static_cast<DWORD>(buffer.size()), nullptr, 0, &returned, nullptr);
    error = made ? 0 : GetLastError();
    handle.reset();
    if (!made)
        RemoveDirectoryW(link.c_str());
    return made;
}

bool CFolderLink::RunUnix(const wchar_t* program, const wchar_t* options, const std::wstring& first,
                          const std::wstring* second)
{
    const ToUnix toUnix = WineUnixName();
    std::wstring command = std::wstring(program) + L" " + options + L" \"" + UnixName(toUnix, first) + L"\"";
    if (second)
        command += L" \"" + UnixName(toUnix, *second) + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(program, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        return false;
    KvCommon::UniqueHandle thread(process.hThread), child(process.hProcess);
    // Wine cannot wait for a Unix process; the link's arrival or departure is what tells.
    for (int waited = 0; waited < 100; ++waited)
    {
        const bool exists = GetFileAttributesW((second ? *second : first).c_str()) != INVALID_FILE_ATTRIBUTES;
        if (exists == (second != nullptr))
            return true;
        Sleep(20);
    }
    return false;
}
} // namespace NqHost

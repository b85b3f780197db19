// The names of the plug-in's result codes and of the Win32 errors it hands through, and the words a person
// reads for each.
#include "ResultCodes.h"

#include "SrvFrwk_Interface.h"
#include "Text.h"

#include "KvCommon/KvComn_Handle.h"

namespace NqHost
{
namespace ResultCodes
{
namespace
{
struct NamedCode
{
    ULONG code;
    const wchar_t* name;
};

const NamedCode kResults[] = {
    {SrvFrwk::RESULT_SUCCESS, L"RESULT_SUCCESS"},
    {SrvFrwk::RESULT_NOT_IMPLEMENTED, L"RESULT_NOT_IMPLEMENTED"},
    {SrvFrwk::RESULT_FAILED, L"RESULT_FAILED"},
    {SrvFrwk::RESULT_NO_STORAGE, L"RESULT_NO_STORAGE"},
    {SrvFrwk::RESULT_BAD_TYPE, L"RESULT_BAD_TYPE"},
    {SrvFrwk::RESULT_INVALID_ARG, L"RESULT_INVALID_ARG"},
    {SrvFrwk::RESULT_OUT_OF_MEMORY, L"RESULT_OUT_OF_MEMORY"},
    {0x800300FD, L"STG_E_UNKNOWN"},
};

// The Win32 errors the registry and file operations of the plug-in can hand through.
const NamedCode kWin32[] = {
    {0, L"ERROR_SUCCESS"},
    {2, L"ERROR_FILE_NOT_FOUND"},
    {3, L"ERROR_PATH_NOT_FOUND"},
    {5, L"ERROR_ACCESS_DENIED"},
    {6, L"ERROR_INVALID_HANDLE"},
    {8, L"ERROR_NOT_ENOUGH_MEMORY"},
    {13, L"ERROR_INVALID_DATA"},
    {32, L"ERROR_SHARING_VIOLATION"},
    {87, L"ERROR_INVALID_PARAMETER"},
    {126, L"ERROR_MOD_NOT_FOUND"},
    {127, L"ERROR_PROC_NOT_FOUND"},
    {160, L"ERROR_BAD_ARGUMENTS"},
    {183, L"ERROR_ALREADY_EXISTS"},
    {193, L"ERROR_BAD_EXE_FORMAT"},
    {234, L"ERROR_MORE_DATA"},
    {1010, L"ERROR_BADKEY"},
    {1018, L"ERROR_KEY_DELETED"},
    {19, L"ERROR_WRITE_PROTECT"},
    {21, L"ERROR_NOT_READY"},
    {33, L"ERROR_LOCK_VIOLATION"},
    {80, L"ERROR_FILE_EXISTS"},
    {109, L"ERROR_BROKEN_PIPE"},
    {112, L"ERROR_DISK_FULL"},
    {123, L"ERROR_INVALID_NAME"},
    {145, L"ERROR_DIR_NOT_EMPTY"},
    {206, L"ERROR_FILENAME_EXCED_RANGE"},
    {232, L"ERROR_NO_DATA"},
    {267, L"ERROR_DIRECTORY"},
};

template <size_t N> const wchar_t* Find(const NamedCode (&table)[N], ULONG code)
{
    for (const NamedCode& entry : table)
        if (entry.code == code)
            return entry.name;
    return nullptr;
}
} // namespace

std::wstring Name(ULONG code)
{
    const wchar_t* name = Find(kResults, code);
    if (!name)
        name = Find(kWin32, code);
    return name ? name : L"";
}

std::wstring Describe(ULONG code)
{
    if (const wchar_t* name = Find(kResults, code))
        return Text::Format(L"%s (0x%08X)", name, code);
    if (const wchar_t* name = Find(kWin32, code))
        return Text::Format(L"%lu (%s)", code, name);
    // Any other Win32 error by number and the system's own words, so that no code stands bare.
    wchar_t* message = nullptr;
    if (code < 0x10000 && FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                             FORMAT_MESSAGE_IGNORE_INSERTS,
                                         nullptr, code, 0, reinterpret_cast<wchar_t*>(&message), 0, nullptr))
    {
        KvCommon::UniqueLocalMem owner(message);
        std::wstring text = message;
        while (!text.empty() &&
               (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ' || text.back() == L'.'))
            text.pop_back();
        return Text::Format(L"%lu (%s)", code, text.c_str());
    }
    return Text::Format(code < 0x10000 ? L"%lu (Win32 error)" : L"0x%08X", code);
}

bool IsFailure(ULONG code)
{
    return SrvFrwk::Failed(code);
}
} // namespace ResultCodes
} // namespace NqHost

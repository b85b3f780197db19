// What the commands share: argument checks, days, numbers and --format as typed, saving a cursor, and
// listing and removing folders.
#include "Commands.h"

#include "ResultCodes.h"
#include "Text.h"
#include "UsageError.h"

#include "KvCommon/KvComn_Handle.h"

#include <algorithm>

namespace NqHost
{
namespace Commands
{
void ExpectArgs(const CommandArgs& args, size_t min, size_t max, const wchar_t* command)
{
    if (args.size() < min)
        throw UsageError{Text::Format(L"'%s' needs more arguments", command)};
    if (args.size() > max)
        throw UsageError{Text::Format(L"'%s' does not take '%s'", command, args[max].c_str())};
}

DWORD ParseDword(const std::wstring& option, const std::wstring& text, DWORD max)
{
    long long value = 0;
    if (!Text::ParseInteger(text, 0, max, value))
        throw UsageError{
            Text::Format(L"%s %s is not a number from 0 to %lu", option.c_str(), text.c_str(), max)};
    return static_cast<DWORD>(value);
}

WriterChoice ParseWriterChoice(const CCommandLine& line, const wchar_t* defaultFormat, bool allowText)
{
    // A schema is of JSON Lines, so it needs no --format of its own.
    const std::wstring schema = line.Option(L"schema");
    return {line.Has(L"format") ? line.Option(L"format")
            : schema.empty()    ? defaultFormat
                                : L"jsonl",
            schema, allowText, line.Has(L"csv-raw")};
}

bool SaveCursor(CommandContext& context, CCursor& cursor)
{
    DWORD error = 0;
    if (cursor.Save(error))
        return true;
    context.output.Failure(L"cannot save the cursor: " + ResultCodes::Describe(error));
    return false;
}

std::vector<std::wstring> ListFiles(const std::wstring& folder)
{
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data;
    KvCommon::UniqueFindHandle find(FindFirstFileW((folder + L"*").c_str(), &data));
    if (!find)
        return names;
    do
    {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.push_back(data.cFileName);
    } while (FindNextFileW(find.get(), &data));
    std::sort(names.begin(), names.end());
    return names;
}
void RemoveTree(const std::wstring& folder)
{
    WIN32_FIND_DATAW data;
    {
        KvCommon::UniqueFindHandle find(FindFirstFileW((folder + L"*").c_str(), &data));
        if (find)
            do
            {
                const std::wstring name = data.cFileName, path = folder + name;
                if (name == L"." || name == L"..")
                    continue;
                // A junction or symbolic link goes itself, never what it leads to; where the system
                // cannot remove it, it stays, and so does the folder holding it.
                if (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)
                {
                    if (!((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
                          RemoveDirectoryW(path.c_str())))
                        DeleteFileW(path.c_str());
                }
                else if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                    RemoveTree(path + L"\\");
                else
                {
                    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                    DeleteFileW(path.c_str());
                }
            } while (FindNextFileW(find.get(), &data));
    }
    RemoveDirectoryW(folder.c_str());
}
} // namespace Commands
} // namespace NqHost

// store --jsonl: many events in one run of the plug-in, one JSON object a line.
#include "Commands.h"

#include "RecordKindTable.h"
#include "ResultCodes.h"
#include "StoreFacts.h"
#include "Text.h"
#include "UsageError.h"

#include "KvCommon/KvComn_Handle.h"

#include <nlohmann/json.hpp>

namespace NqHost
{
namespace Commands
{
namespace
{
using namespace SrvFrwk::EventLog;

// The whole of the file, or of standard input for "-"; false with the Win32 code.
bool ReadAllBytes(const std::wstring& path, std::string& bytes, DWORD& error)
{
    KvCommon::UniqueFileHandle file;
    HANDLE handle = GetStdHandle(STD_INPUT_HANDLE);
    if (path != L"-")
    {
        file.reset(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        handle = file.get();
        if (!file)
        {
            error = GetLastError();
            return false;
        }
    }
    char buffer[65536];
    DWORD read = 0;
    while (ReadFile(handle, buffer, sizeof(buffer), &read, nullptr) && read > 0)
        bytes.append(buffer, read);
    error = GetLastError();
    return error == ERROR_SUCCESS || error == ERROR_BROKEN_PIPE || error == ERROR_HANDLE_EOF;
}

// The object's members as "field=value" words; its "kind" (or the default) picks the kind.
const CRecordKind& ToAssignments(const nlohmann::json& object, const CRecordKind* defaultKind,
                                 std::vector<std::wstring>& words)
{
    if (!object.is_object())
        throw UsageError{L"not a JSON object"};
    const CRecordKind* kind = defaultKind;
    for (const auto& member : object.items())
    {
        const std::wstring name = Text::FromUtf8(member.key());
        const nlohmann::json& value = member.value();
        std::wstring text;
        if (value.is_string())
            text = Text::FromUtf8(value.get<std::string>());
        else if (value.is_number_integer())
            text = Text::FromUtf8(value.dump());
        else
            throw UsageError{L"the value of " + name + L" is neither a text nor a whole number"};
        if (name == L"kind")
            kind = &RecordKindTable::Find(text);
        else
            words.push_back(name + L"=" + text);
    }
    if (!kind)
        throw UsageError{L"no \"kind\" member, and no KIND given after 'store'"};
    return *kind;
}

// One line's event: false when it was refused or the plug-in failed, each said with the line's number.
bool StoreLine(CommandContext& context, const std::string& line, size_t number,
               const CRecordKind* defaultKind)
{
    const std::wstring where = Text::Format(L"line %llu: ", static_cast<unsigned long long>(number));
    std::shared_ptr<void> record;
    const CRecordKind* kind = nullptr;
    std::vector<std::wstring> words;
    try
    {
        nlohmann::json object = nlohmann::json::parse(line, nullptr, false);
        if (object.is_discarded())
            throw UsageError{L"not valid JSON"};
        kind = &ToAssignments(object, defaultKind, words);
        record = kind->BuildRecord(words);
    }
    catch (const UsageError& error)
    {
        context.output.Failure(where + error.message);
        return false;
    }
    std::vector<std::wstring> given;
    for (const std::wstring& word : words)
        given.push_back(word.substr(0, word.find(L'=')));
    for (const std::wstring& warning : StoreFacts::Warnings(*kind, record.get(), given))
        context.output.Warning(where + warning);
    ULONG result = context.host.Provider()->StoreData(TYPE_EVENTLOG, kind->SubType(), record.get(), 0, 0);
    if (!SrvFrwk::Failed(result))
        return true;
    context.output.Result(where + Text::Format(L"StoreData(%lu, %lu = %s)", TYPE_EVENTLOG, kind->SubType(),
                                               kind->Name().c_str()),
                          result);
    return false;
}
} // namespace

void StoreBatch(CommandContext& context, const CommandArgs& args)
{
    ExpectArgs(args, 0, 1, L"store --jsonl");
    const CRecordKind* defaultKind = args.empty() ? nullptr : &RecordKindTable::Find(args[0]);
    const std::wstring path = context.line.Option(L"jsonl");
    std::string bytes;
    DWORD error = 0;
    if (!ReadAllBytes(path, bytes, error))
        return context.output.Failure(L"cannot read " +
                                      (path == L"-" ? std::wstring(L"standard input") : path) + L": " +
                                      ResultCodes::Describe(error));
    if (!context.host.Provider())
        return;
    long long stored = 0, failed = 0;
    size_t number = 0;
    for (size_t start = 0; start < bytes.size();)
    {
        size_t end = bytes.find('\n', start);
        if (end == std::string::npos)
            end = bytes.size();
        std::string line = bytes.substr(start, end - start);
        start = end + 1;
        ++number;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.find_first_not_of(" \t") == std::string::npos)
            continue;
        (StoreLine(context, line, number, defaultKind) ? stored : failed) += 1;
    }
    context.output.Value(L"stored", stored);
    context.output.Value(L"failed", failed);
}
} // namespace Commands
} // namespace NqHost

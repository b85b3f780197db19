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
    for (;;)
    {
        DWORD read = 0;
        if (!ReadFile(handle, buffer, sizeof(buffer), &read, nullptr))
        {
            // A pipe whose writer has gone is its end, as is a file's.
            error = GetLastError();
            return error == ERROR_BROKEN_PIPE || error == ERROR_HANDLE_EOF;
        }
        if (read == 0)
            return true;
        bytes.append(buffer, read);
    }
}

// UTF-16, with or without its byte-order mark: what a PowerShell 5.1 redirect writes. Empty when the
// bytes are not.
std::wstring Utf16Problem(const std::string& bytes)
{
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(bytes[i]); };
    const bool marked =
        bytes.size() >= 2 && ((byte(0) == 0xFF && byte(1) == 0xFE) || (byte(0) == 0xFE && byte(1) == 0xFF));
    const bool unmarked =
        bytes.size() >= 2 && ((byte(0) != 0 && byte(1) == 0) || (byte(0) == 0 && byte(1) != 0));
    if (!marked && !unmarked)
        return std::wstring();
    return std::wstring(marked ? L"begins with a UTF-16 byte-order mark"
                               : L"is UTF-16 (a zero byte in every "
                                 L"character)") +
           L": JSON Lines are UTF-8. Write the file as UTF-8, e.g. in PowerShell '... | Out-File -Encoding "
           L"utf8 FILE' or 'Get-Content FILE | Set-Content -Encoding utf8 NEW', instead of a '>' redirect";
}

// The parser's own account of where and why the line fails: the byte and what it expected.
std::wstring JsonProblem(const std::string& line)
{
    try
    {
        const nlohmann::json parsed = nlohmann::json::parse(line);
        return parsed.is_discarded() ? L"not valid JSON" : std::wstring();
    }
    catch (const nlohmann::json::parse_error& error)
    {
        std::string why = error.what();
        const size_t colon = why.find(": ");
        why = colon == std::string::npos ? why : why.substr(colon + 2);
        return Text::Format(L"not valid JSON at byte %llu: ", static_cast<unsigned long long>(error.byte)) +
               Text::FromUtf8(why);
    }
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
            throw UsageError{JsonProblem(line)};
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
    const std::wstring name = path == L"-" ? std::wstring(L"standard input") : path;
    const std::wstring utf16 = Utf16Problem(bytes);
    if (!utf16.empty())
        return context.output.Failure(name + L" " + utf16);
    if (!context.host.Provider())
        return;
    long long stored = 0, failed = 0;
    size_t number = 0;
    // A UTF-8 byte-order mark is no part of the first line.
    for (size_t start = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0; start < bytes.size();)
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

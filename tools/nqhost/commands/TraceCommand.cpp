// trace on|off: the trace settings the plug-in reads when it is next loaded.
#include "Commands.h"

#include "HostRegistry.h"
#include "ResultCodes.h"
#include "Text.h"
#include "UsageError.h"

namespace NqHost
{
namespace Commands
{
namespace
{
// Function, info and error lines.
constexpr DWORD kDefaultLevel = 273;

struct TraceValue
{
    const wchar_t* name;
    bool isString;
    DWORD number;
    const wchar_t* text;
};

// The reader stops at the first missing value, so all of them are written.
const TraceValue kTraceDefaults[] = {
    {L"Enable", false, 0, nullptr},     {L"Level", false, kDefaultLevel, nullptr},
    {L"LogProcess", false, 0, nullptr}, {L"LogUnitType", false, 0, nullptr},
    {L"LogFolder", true, 0, L""},       {L"LogPrefix", true, 0, L"bsq"},
    {L"LogFile", true, 0, L""},         {L"LogExtension", true, 0, L"log"},
    {L"Robust", false, 1, nullptr},     {L"Debugger", false, 0, nullptr},
};

std::wstring DefaultTraceFolder()
{
    std::wstring installed = HostRegistry::InstalledFolder();
    if (installed.empty())
        return L"C:\\ProgramData\\Norquill\\Debug\\";
    if (installed.back() != L'\\')
        installed += L'\\';
    return installed + L"Debug\\";
}

bool WriteValue(CommandContext& context, const std::wstring& name, const std::wstring* text, DWORD number)
{
    LONG status = text ? HostRegistry::WriteString(HostRegistry::kInteractiveTraceKey, name, *text)
                       : HostRegistry::WriteDword(HostRegistry::kInteractiveTraceKey, name, number);
    if (status != ERROR_SUCCESS)
    {
        context.output.Failure(L"cannot write " + name + L": " + ResultCodes::Describe(status));
        return false;
    }
    if (text)
        context.output.Value(name, *text);
    else
        context.output.Value(name, static_cast<long long>(number));
    return true;
}
} // namespace

void Trace(CommandContext& context, const CommandArgs& args)
{
    ExpectArgs(args, 1, 1, L"trace");
    context.line.AllowOnly({L"level", L"folder"}, L"trace");
    bool on = args[0] == L"on";
    if (!on && args[0] != L"off")
        throw UsageError{L"'trace' takes on or off, not '" + args[0] + L"'"};
    long long level = -1;
    if (context.line.Has(L"level"))
        level = ParseDword(L"--level", context.line.Option(L"level"), 0xFFFFFFFF);
    std::wstring folder = context.line.Option(L"folder");
    if (context.line.Has(L"folder") && folder.empty())
        throw UsageError{L"--folder needs a folder"};
    if (!folder.empty() && folder.back() != L'\\')
        folder += L'\\';

    const std::wstring key = HostRegistry::kInteractiveTraceKey;
    for (const TraceValue& value : kTraceDefaults)
    {
        std::wstring name = value.name;
        std::wstring text;
        DWORD number = value.number;
        // Enable, Level and LogFolder are the person's; the others always get their defaults.
        if (name == L"Enable")
            number = on ? 1 : 0;
        else if (name == L"Level" && level >= 0)
            number = static_cast<DWORD>(level);
        else if (name == L"Level")
            HostRegistry::ReadDword(key, name, number);
        else if (name == L"LogFolder" && !folder.empty())
            text = folder;
        else if (name == L"LogFolder")
            HostRegistry::ReadString(key, name, text);
        else if (value.isString)
            text = value.text;
        if (name == L"LogFolder" && on && text.empty())
            text = DefaultTraceFolder();
        if (name == L"LogFolder" && on && !HostRegistry::CreateFolderTree(text))
            context.output.Failure(L"cannot create the trace folder " + text);
        if (!WriteValue(context, name, value.isString ? &text : nullptr, number))
            return;
    }
    context.output.Message(std::wstring(L"trace ") + (on ? L"on" : L"off") +
                           L" from the next load of the plug-in (HKLM\\" + key + L")");
}
} // namespace Commands
} // namespace NqHost

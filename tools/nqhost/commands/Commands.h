#pragma once
// The commands of nqhost. Each maps onto one provider or service operation (the demo strings several
// together); the operations below are shared by the commands and the demo.
#include "CommandContext.h"
#include "Cursor.h"
#include "RecordKind.h"
#include "RecordWriter.h"

#include <string>
#include <vector>

namespace NqHost
{
struct CommandInfo
{
    const wchar_t* name;
    const wchar_t* synopsis;
    const wchar_t* description;
    std::vector<std::wstring> options;
    void (*run)(CommandContext& context, const CommandArgs& args);
};

namespace Commands
{
const std::vector<CommandInfo>& All();
const CommandInfo* Find(const std::wstring& name);
std::wstring ToolHelp();
std::wstring CommandHelp(const CommandInfo& command);
std::wstring KindHelp(const CRecordKind& kind);

void Install(CommandContext& context, const CommandArgs& args);
void Store(CommandContext& context, const CommandArgs& args);
void StoreBatch(CommandContext& context, const CommandArgs& args);
void Query(CommandContext& context, const CommandArgs& args);
void Export(CommandContext& context, const CommandArgs& args);
void Check(CommandContext& context, const CommandArgs& args);
void Tail(CommandContext& context, const CommandArgs& args);
void Path(CommandContext& context, const CommandArgs& args);
void Recent(CommandContext& context, const CommandArgs& args);
void Config(CommandContext& context, const CommandArgs& args);
void Delete(CommandContext& context, const CommandArgs& args);
void Report(CommandContext& context, const CommandArgs& args);
void Purge(CommandContext& context, const CommandArgs& args);
void RemoveSetupLink(CommandContext& context, const CommandArgs& args);
void Service(CommandContext& context, const CommandArgs& args);
void Trace(CommandContext& context, const CommandArgs& args);
void Demo(CommandContext& context, const CommandArgs& args);
void Seal(CommandContext& context, const CommandArgs& args);
void Verify(CommandContext& context, const CommandArgs& args);

// Shared operations; each reports its result and returns it (RESULT_FAILED when the plug-in is unusable).
ULONG StoreEvent(CommandContext& context, const CRecordKind& kind,
                 const std::vector<std::wstring>& assignments);
ULONG QueryDay(CommandContext& context, const CRecordKind& kind, const SYSTEMTIME& day,
               size_t* count = nullptr);
ULONG QueryPath(CommandContext& context, ULONG logType, const SYSTEMTIME* day, std::wstring* path = nullptr);
ULONG QueryRecent(CommandContext& context);
ULONG ShowReportSettings(CommandContext& context, SrvFrwk::EventLog::ReportSettings* settings = nullptr);
ULONG ShowPurgeSettings(CommandContext& context, SrvFrwk::EventLog::EventLogSettings* settings = nullptr);
ULONG StoreReportSettings(CommandContext& context, const SrvFrwk::EventLog::ReportSettings& settings);
ULONG RunAction(CommandContext& context, ULONG subType, const wchar_t* label, void* param = nullptr);
// The purges; a dry run lists what the plug-in's rules select today and removes nothing.
void PurgeEvents(CommandContext& context, bool dryRun);
void PurgeDebug(CommandContext& context, bool dryRun);
// The files of a folder (names only), for showing what an operation added or removed.
std::vector<std::wstring> ListFiles(const std::wstring& folder);
// Removes the folder (ending in "\\") with everything in it, but no junction or symbolic link inside
// is followed: only the link itself goes, when the system can remove it.
void RemoveTree(const std::wstring& folder);

// Argument helpers that throw UsageError.
void ExpectArgs(const CommandArgs& args, size_t min, size_t max, const wchar_t* command);
DWORD ParseDword(const std::wstring& option, const std::wstring& text, DWORD max);
// --format (or the default) and --schema.
WriterChoice ParseWriterChoice(const CCommandLine& line, const wchar_t* defaultFormat, bool allowText);
// Saves a --cursor; a failure is reported. False then.
bool SaveCursor(CommandContext& context, CCursor& cursor);
} // namespace Commands
} // namespace NqHost

// seal init|status: sets sealing up for the installation and says how it runs.
#include "Commands.h"

#include "LogLocation.h"
#include "RecordKindTable.h"
#include "ResultCodes.h"
#include "SealKey.h"
#include "Text.h"
#include "UsageError.h"

#include "KvCommon/KvComn_Handle.h"
#include "KvCommon/KvComn_SealKeeper.h"

#include <cstring>

namespace NqHost
{
namespace Commands
{
namespace
{
constexpr DWORD kDefaultEpochSeconds = 60;

std::wstring LogFolder(CommandContext& context)
{
    CLogLocation location;
    if (!location.Find(context, *RecordKindTable::All().front()))
        return std::wstring();
    return location.Folder();
}

SYSTEMTIME FromTicks(ULONGLONG ticks)
{
    const FILETIME ft{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
    SYSTEMTIME t{};
    FileTimeToSystemTime(&ft, &t);
    return t;
}

void Init(CommandContext& context, KvCommon::SealKeeper& keeper)
{
    const CCommandLine& line = context.line;
    if (!line.Has(L"verify-key") || line.Option(L"verify-key").empty())
        throw UsageError{L"seal init needs --verify-key FILE: where the verification key goes"};
    const DWORD epoch =
        line.Has(L"epoch") ? ParseDword(L"--epoch", line.Option(L"epoch"), 86400) : kDefaultEpochSeconds;
    if (epoch == 0)
        throw UsageError{L"--epoch 0: an epoch lasts at least one second"};
    if (keeper.IsOn() && !line.Has(L"force"))
    {
        context.output.Failure(L"sealing is already set up here; --force starts a new chain (the old one "
                               L"stays verifiable with its own key)");
        return;
    }
    const std::wstring path = line.Option(L"verify-key");
    // The file first: a key that cannot be kept must not start a chain.
    KvCommon::UniqueFileHandle file(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
    {
        context.output.Failure(L"cannot write the verification key to " + path + L": " +
                               ResultCodes::Describe(GetLastError()));
        return;
    }
    SealKey key;
    DWORD error = 0;
    bool started = false;
    {
        KvCommon::SealKeeper::Lock lock(keeper);
        started =
            lock.Held() && keeper.Start(epoch, KvCommon::SealKeeper::Ticks(Text::Today()), key.key, error);
    }
    std::memcpy(key.chain, keeper.State().chain, sizeof(key.chain));
    std::string text = Text::ToUtf8(key.Text());
    DWORD written = 0;
    const bool kept =
        started && WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
        written == text.size();
    SecureZeroMemory(&text[0], text.size());
    if (!kept)
    {
        file.reset();
        DeleteFileW(path.c_str());
        context.output.Failure(L"seal init failed: " +
                               ResultCodes::Describe(started ? GetLastError() : error));
        return;
    }
    context.output.Value(L"chain", KvCommon::SealKeeper::ChainText(key.chain));
    context.output.Value(L"epoch_seconds", static_cast<long long>(epoch));
    context.output.Value(L"verify_key", path);
    context.output.Message(L"Sealing is on. Move " + path +
                           L" off this machine (and keep a copy): whoever holds it can verify, and it is "
                           L"nowhere else.");
}

void Status(CommandContext& context, KvCommon::SealKeeper& keeper)
{
    if (!keeper.IsOn())
    {
        context.output.Value(L"sealing", L"off");
        return;
    }
    DWORD error = 0;
    KvCommon::SealKeeper::Lock lock(keeper);
    // Looking moves the key on: an epoch that has passed loses its key now.
    if (!lock.Held() || !keeper.Load(KvCommon::SealKeeper::Ticks(Text::Today()), error))
    {
        context.output.Failure(L"cannot read the sealing state: " + ResultCodes::Describe(error));
        return;
    }
    const KvCommon::SealFormat::State& state = keeper.State();
    context.output.Value(L"sealing", L"on");
    context.output.Value(L"chain", KvCommon::SealKeeper::ChainText(state.chain));
    context.output.Value(L"epoch_seconds", static_cast<long long>(state.epochSeconds));
    context.output.Value(L"epoch", static_cast<long long>(state.epoch));
    context.output.Value(L"started", Text::DateTimeText(FromTicks(state.start)));
    context.output.Value(L"epoch_began", Text::DateTimeText(FromTicks(
                                             state.start + (state.epoch - 1) * state.epochSeconds *
                                                               KvCommon::SealFormat::kTicksPerSecond)));
}
} // namespace

void Seal(CommandContext& context, const CommandArgs& args)
{
    ExpectArgs(args, 1, 1, L"seal");
    if (args[0] != L"init" && args[0] != L"status")
        throw UsageError{L"seal " + args[0] + L": the actions are init and status"};
    const std::wstring folder = LogFolder(context);
    if (folder.empty())
        return;
    CreateDirectoryW(folder.c_str(), nullptr);
    KvCommon::SealKeeper keeper(folder);
    if (args[0] == L"init")
        Init(context, keeper);
    else
        Status(context, keeper);
}
} // namespace Commands
} // namespace NqHost

// service start|stop|state: the service object's operations.
#include "Commands.h"

#include "Text.h"
#include "UsageError.h"

namespace NqHost
{
namespace Commands
{
namespace
{
const wchar_t* StateName(ULONG state)
{
    switch (state)
    {
    case 0:
        return L"stopped";
    case 1:
        return L"starting";
    case 2:
        return L"running";
    default:
        return L"unknown";
    }
}

void ShowState(CommandContext& context, SrvFrwk::Interface::IFrameworkService* service)
{
    ULONG state = 0;
    ULONG result = service->GetServiceState(&state);
    context.output.Result(L"GetServiceState()", result);
    if (SrvFrwk::Failed(result))
        return;
    context.output.Value(L"state", static_cast<long long>(state));
    context.output.Value(L"stateName", StateName(state));
}
} // namespace

void Service(CommandContext& context, const CommandArgs& args)
{
    ExpectArgs(args, 1, 1, L"service");
    const std::wstring& verb = args[0];
    if (verb != L"start" && verb != L"stop" && verb != L"state")
        throw UsageError{L"'service' takes start, stop or state, not '" + verb + L"'"};
    auto* service = context.host.Service();
    if (!service)
        return;
    if (verb == L"start")
        context.output.Result(L"StartService(0, 0)", service->StartService(0, 0));
    else if (verb == L"stop")
        context.output.Result(L"StopService()", service->StopService());
    ShowState(context, service);
    if (verb == L"start")
        context.output.Message(L"(the service lives as long as this nqhost process, which frees it on exit)");
}
} // namespace Commands
} // namespace NqHost

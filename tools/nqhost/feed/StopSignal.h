#pragma once
// Ctrl-C, Ctrl-Break or a closing console ask a command that runs until interrupted to end, so that it
// ends as it would on its own: output flushed, the plug-in released.
#include <windows.h>

namespace NqHost
{
class CStopSignal
{
public:
    CStopSignal();
    ~CStopSignal();
    CStopSignal(const CStopSignal&) = delete;
    CStopSignal& operator=(const CStopSignal&) = delete;

    // Waits at most the time given; true once a stop was asked.
    bool Wait(DWORD milliseconds) const;

private:
    static BOOL WINAPI Handler(DWORD type);
    static HANDLE s_event; // the handler runs on a thread of its own and can reach only this
};
} // namespace NqHost

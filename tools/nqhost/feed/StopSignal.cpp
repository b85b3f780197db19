// CStopSignal: the console control handler that sets one event, which a command running until interrupted
// waits on.
#include "StopSignal.h"

namespace NqHost
{
HANDLE CStopSignal::s_event = nullptr;

CStopSignal::CStopSignal()
{
    s_event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    SetConsoleCtrlHandler(Handler, TRUE);
}

CStopSignal::~CStopSignal()
{
    SetConsoleCtrlHandler(Handler, FALSE);
    if (s_event)
        CloseHandle(s_event);
    s_event = nullptr;
}

bool CStopSignal::Wait(DWORD milliseconds) const
{
    if (!s_event)
    {
        Sleep(milliseconds);
        return false;
    }
    return WaitForSingleObject(s_event, milliseconds) == WAIT_OBJECT_0;
}

BOOL WINAPI CStopSignal::Handler(DWORD type)
{
    if (type != CTRL_C_EVENT && type != CTRL_BREAK_EVENT && type != CTRL_CLOSE_EVENT)
        return FALSE;
    if (s_event)
        SetEvent(s_event);
    // A closing console ends the process when the handler returns: give the main thread time to finish.
    if (type == CTRL_CLOSE_EVENT)
        Sleep(2000);
    return TRUE;
}
} // namespace NqHost

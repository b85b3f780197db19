// Holds a session-local named mutex for another test process:
//   purge_mutex_holder.exe <mutex name> <ready event> <quit event>
// Creates Local\<mutex name>, signals the ready event, then waits for the quit event (at most a minute).
#include <windows.h>

#include <string>

namespace
{
std::wstring Widen(const char* text)
{
    return std::wstring(text, text + strlen(text));
}
} // namespace

int main(int argc, char** argv)
{
    if (argc != 4)
        return 2;
    HANDLE mutex = CreateMutexW(nullptr, FALSE, (L"Local\\" + Widen(argv[1])).c_str());
    if (!mutex || GetLastError() == ERROR_ALREADY_EXISTS)
        return 3;
    HANDLE ready = OpenEventW(EVENT_MODIFY_STATE, FALSE, Widen(argv[2]).c_str());
    HANDLE quit = OpenEventW(SYNCHRONIZE, FALSE, Widen(argv[3]).c_str());
    if (!ready || !quit)
        return 4;
    SetEvent(ready);
    const DWORD wait = WaitForSingleObject(quit, 60000);
    CloseHandle(ready);
    CloseHandle(quit);
    CloseHandle(mutex);
    return wait == WAIT_OBJECT_0 ? 0 : 5;
}

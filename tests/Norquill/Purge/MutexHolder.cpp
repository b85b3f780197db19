// Holds Local\<mutex name> for a test in another process: signals <ready event>, then waits to be ended.
#include <windows.h>

#include <string>

int main(int argc, char** argv)
{
    if (argc != 3)
        return 2;
    const std::string mutexName = std::string("Local\\") + argv[1];
    HANDLE mutex = CreateMutexA(nullptr, FALSE, mutexName.c_str());
    if (!mutex || GetLastError() == ERROR_ALREADY_EXISTS)
        return 3;
    HANDLE ready = OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[2]);
    if (!ready || !SetEvent(ready))
        return 4;
    Sleep(60000);
    return 0;
}

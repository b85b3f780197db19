// Second process for the named-mutex tests: creates the mutex, signals the ready event and holds the
// mutex until the release event is set (or 30 s pass).
#include <windows.h>

int wmain(int argc, wchar_t** argv)
{
    if (argc != 4)
        return 2;
    HANDLE mutex = ::CreateMutexW(nullptr, FALSE, argv[1]);
    if (!mutex)
        return 3;
    HANDLE ready = ::OpenEventW(EVENT_MODIFY_STATE, FALSE, argv[2]);
    HANDLE release = ::OpenEventW(SYNCHRONIZE, FALSE, argv[3]);
    if (!ready || !release)
        return 4;
    ::SetEvent(ready);
    DWORD wait = ::WaitForSingleObject(release, 30000);
    ::CloseHandle(release);
    ::CloseHandle(ready);
    ::CloseHandle(mutex);
    return wait == WAIT_OBJECT_0 ? 0 : 5;
}

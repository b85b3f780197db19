// Second process for the named-mutex tests: creates the named mutex given and holds it until ended.
#include <windows.h>

int wmain(int argc, wchar_t** argv)
{
    if (argc != 2 || !::CreateMutexW(nullptr, FALSE, argv[1]) || ::GetLastError() == ERROR_ALREADY_EXISTS)
        return 2;
    ::Sleep(60000);
    return 0;
}

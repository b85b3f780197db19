// Holds Local\<mutex name> for a test in another process until it is ended.
#include <windows.h>

#include <string>

int main(int argc, char** argv)
{
    if (argc != 2)
        return 2;
    HANDLE mutex = CreateMutexA(nullptr, FALSE, (std::string("Local\\") + argv[1]).c_str());
    if (!mutex || GetLastError() == ERROR_ALREADY_EXISTS)
        return 3;
    Sleep(60000);
    return 0;
}

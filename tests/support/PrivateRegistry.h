#pragma once
/* Tests never reach the machine's own settings: HKEY_LOCAL_MACHINE of a test process is a private key
   under HKEY_CURRENT_USER, and the second processes the tests start (C hosts among them) see the same key. */
#include <windows.h>

/* Names the private key (a path under HKEY_CURRENT_USER) for the processes a test starts. */
#define NQ_PRIVATE_REGISTRY_VARIABLE L"NQ_REGISTRY_ROOT"

/* Makes HKEY_LOCAL_MACHINE of this process the key HKEY_CURRENT_USER\path. FALSE when that failed. */
static inline BOOL NqRedirectMachineKey(const wchar_t* path)
{
    HKEY key = NULL;
    LONG status;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, path, 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key, NULL) !=
        ERROR_SUCCESS)
        return FALSE;
    status = RegOverridePredefKey(HKEY_LOCAL_MACHINE, key); /* keeps a handle of its own */
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

/* For a second process: follows the key its parent test named; FALSE when none was named or it failed. */
static inline BOOL NqRedirectMachineKeyAsParent(void)
{
    wchar_t path[512] = {0};
    const DWORD length = GetEnvironmentVariableW(NQ_PRIVATE_REGISTRY_VARIABLE, path, 512);
    return length > 0 && length < 512 && NqRedirectMachineKey(path);
}

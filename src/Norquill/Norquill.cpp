// Placeholder until the factories land: every export refuses.
#include "SrvFrwk_Interface.h"

using namespace SrvFrwk;
using namespace SrvFrwk::Interface;

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID)
{
    return TRUE;
}
extern "C" {
ULONG WINAPI SfSv_Initialize() { return RESULT_NOT_IMPLEMENTED; }
ULONG WINAPI SfSv_Uninitialize() { return RESULT_NOT_IMPLEMENTED; }
ULONG WINAPI SfSv_CreateService(IFrameworkService**, ULONG, ULONG, ISrvManager*, ULONG, ULONG_PTR) { return RESULT_FAILED; }
ULONG WINAPI SfSv_FreeService(IFrameworkService*, ULONG, ULONG, ULONG, ULONG_PTR) { return RESULT_FAILED; }
ULONG WINAPI SfPv_Initialize() { return RESULT_NOT_IMPLEMENTED; }
ULONG WINAPI SfPv_Uninitialize() { return RESULT_NOT_IMPLEMENTED; }
ULONG WINAPI SfPv_CreateProvider(IEnforceProvider**, ULONG, ULONG, IEnforceController*, ULONG, ULONG_PTR) { return RESULT_FAILED; }
ULONG WINAPI SfPv_FreeProvider(IEnforceProvider*, ULONG, ULONG, ULONG, ULONG_PTR) { return RESULT_FAILED; }
}

/* A host written in C: it knows the two objects only as tables of slots, numbered as the framework numbers
 * them, and drives them through those numbers alone. Prints one line per failed check; the exit code is
 * the number of failures (100 and up when the plug-in could not be loaded or created). */
#include "PrivateRegistry.h"

#include <windows.h>

#include <stdio.h>

#define RESULT_SUCCESS 0x00040200UL
#define RESULT_NOT_IMPLEMENTED 0x00040203UL
#define RESULT_BAD_TYPE 0x80040203UL
#define TYPE_EVENTLOG 22UL

typedef struct TscLogRecord
{
    WCHAR szText1[128];
    LONG nValue1;
    SYSTEMTIME stTime;
} TscLogRecord;

/* Every object is a pointer to its table; every slot takes the object first. */
typedef struct Object
{
    void** slots;
} Object;

typedef ULONG (*PlainSlot)(Object*);
typedef ULONG (*DataSlot)(Object*, ULONG, ULONG, void*, ULONG, ULONG_PTR);
typedef ULONG (*ActionSlot)(Object*, ULONG, ULONG, ULONG, void*, ULONG_PTR, ULONG, ULONG_PTR);
typedef ULONG (*StartSlot)(Object*, ULONG, ULONG_PTR);
typedef ULONG (*StateSlot)(Object*, ULONG*);
typedef ULONG (*NotifySlot)(Object*, ULONG, void*, ULONG, ULONG_PTR);

typedef ULONG(WINAPI* InitExport)(void);
typedef ULONG(WINAPI* CreateExport)(Object**, ULONG, ULONG, Object*, ULONG, ULONG_PTR);
typedef ULONG(WINAPI* FreeExport)(Object*, ULONG, ULONG, ULONG, ULONG_PTR);

static int g_failures;
static int g_wrongHostSlots;

static void Expect(const char* what, ULONG expected, ULONG actual)
{
    if (expected == actual)
        return;
    printf("%s: expected 0x%08lX, got 0x%08lX\n", what, expected, actual);
    ++g_failures;
}

#define SLOT(object, index, type) ((type)(object)->slots[index])

/* Host objects: every slot the plug-in must not call counts a failure. */
static ULONG WrongHostSlot(Object* self)
{
    (void)self;
    ++g_wrongHostSlots;
    return 0x80040201UL;
}

/* Also handed the service's codes and arguments (ServiceTest checks them); the caller pops them. */
static int g_handler;
static ULONG GetServiceInterface(Object* self, void** ppInterface)
{
    (void)self;
    *ppInterface = &g_handler;
    return RESULT_SUCCESS;
}

static void* g_managerSlots[2] = {(void*)WrongHostSlot, (void*)GetServiceInterface};
static Object g_manager = {g_managerSlots};
static void* g_controllerSlots[11];
static Object g_controller = {g_controllerSlots};

static void* Export(HMODULE module, const char* name)
{
    void* entry = (void*)GetProcAddress(module, name);
    if (!entry)
        ExitProcess(102);
    return entry;
}

static void DriveProvider(Object* p)
{
    TscLogRecord event;
    DWORD stored[2] = {5, 1}, read[2] = {0, 0}; /* report days and alert flag */
    Expect("Initialize (1)", RESULT_SUCCESS, SLOT(p, 1, PlainSlot)(p));
    Expect("Install (3)", RESULT_SUCCESS, SLOT(p, 3, PlainSlot)(p));
    Expect("Reserved4 (4)", RESULT_NOT_IMPLEMENTED, SLOT(p, 4, PlainSlot)(p));
    Expect("Reserved5 (5)", RESULT_NOT_IMPLEMENTED, SLOT(p, 5, PlainSlot)(p));
    Expect("Reserved6 (6)", RESULT_NOT_IMPLEMENTED, SLOT(p, 6, PlainSlot)(p));
    Expect("StoreConfig (8)", RESULT_SUCCESS, SLOT(p, 8, DataSlot)(p, TYPE_EVENTLOG, 1, stored, 0, 0));
    Expect("QueryConfig (7)", RESULT_SUCCESS, SLOT(p, 7, DataSlot)(p, TYPE_EVENTLOG, 1, read, 0, 0));
    Expect("QueryConfig (7) days and alert", 1, stored[0] == read[0] && stored[1] == read[1]);
    Expect("QueryData (9) of type 21", RESULT_BAD_TYPE, SLOT(p, 9, DataSlot)(p, 21, 4, &event, 0, 0));

    ZeroMemory(&event, sizeof(event));
    lstrcpyW(event.szText1, L"from a C host");
    event.nValue1 = 4711;
    Expect("StoreData (10)", RESULT_SUCCESS, SLOT(p, 10, DataSlot)(p, TYPE_EVENTLOG, 4, &event, 0, 0));
    Expect("Reserved11 (11)", RESULT_NOT_IMPLEMENTED, SLOT(p, 11, PlainSlot)(p));
    Expect("DoAction (12) of sub-type 6", RESULT_SUCCESS,
           SLOT(p, 12, ActionSlot)(p, TYPE_EVENTLOG, 6, 0, NULL, 0, 0, 0));
    Expect("DoAction (12) of type 23", RESULT_BAD_TYPE, SLOT(p, 12, ActionSlot)(p, 23, 1, 0, NULL, 0, 0, 0));
    Expect("Uninitialize (2)", RESULT_SUCCESS, SLOT(p, 2, PlainSlot)(p));
    Expect("Initialize (1) after every slot", RESULT_SUCCESS, SLOT(p, 1, PlainSlot)(p));
}

static void DriveService(Object* s)
{
    ULONG state = 99;
    Expect("Initialize (1)", RESULT_SUCCESS, SLOT(s, 1, PlainSlot)(s));
    Expect("StartService (3)", RESULT_SUCCESS, SLOT(s, 3, StartSlot)(s, 7, 9));
    Expect("GetServiceState (5)", RESULT_SUCCESS, SLOT(s, 5, StateSlot)(s, &state));
    Expect("state after start", 2, state);
    Expect("Notify (10)", RESULT_SUCCESS, SLOT(s, 10, NotifySlot)(s, 1, NULL, 0, 0));
    Expect("StopService (4)", RESULT_SUCCESS, SLOT(s, 4, PlainSlot)(s));
    Expect("GetServiceState (5)", RESULT_SUCCESS, SLOT(s, 5, StateSlot)(s, &state));
    Expect("state after stop", 0, state);
    Expect("Uninitialize (2)", RESULT_SUCCESS, SLOT(s, 2, PlainSlot)(s));
}

int main(void)
{
    HMODULE module;
    Object *provider = NULL, *service = NULL;
    int i;
    if (!NqRedirectMachineKeyAsParent()) /* the test's sandbox lives in its private registry */
        return 102;
    module = LoadLibraryW(L"Norquill.dll");
    if (!module)
        return 100;
    for (i = 0; i < 11; ++i)
        g_controllerSlots[i] = (void*)WrongHostSlot;

    ((InitExport)Export(module, "SfPv_Initialize"))();
    ((InitExport)Export(module, "SfSv_Initialize"))();
    if (((CreateExport)Export(module, "SfPv_CreateProvider"))(&provider, 0x10000, 0x80000, &g_controller, 0,
                                                              0) != RESULT_SUCCESS ||
        ((CreateExport)Export(module, "SfSv_CreateService"))(&service, 4, 0x800, &g_manager, 0, 0) !=
            RESULT_SUCCESS)
        return 101;

    DriveProvider(provider);
    DriveService(service);
    Expect("host slots the plug-in must not call", 0, (ULONG)g_wrongHostSlots);

    Expect("SfPv_FreeProvider", RESULT_SUCCESS,
           ((FreeExport)Export(module, "SfPv_FreeProvider"))(provider, 0x10000, 0x80000, 0, 0));
    Expect("SfSv_FreeService", RESULT_SUCCESS,
           ((FreeExport)Export(module, "SfSv_FreeService"))(service, 0, 0, 0, 0));
    ((InitExport)Export(module, "SfPv_Uninitialize"))();
    ((InitExport)Export(module, "SfSv_Uninitialize"))();
    FreeLibrary(module);
    printf("%d failures\n", g_failures);
    return g_failures;
}

/*
 * A host written in C that drives an in-process component through its four exports alone:
 * it loads the library with dlopen, registers it, gets the class factory of a class with
 * DllGetClassObject, creates an object, calls its members by name through IDispatch, checks
 * raised errors by number and description, releases everything, checks DllCanUnloadNow and
 * unregisters.
 *
 *   automation_host [--temp-registry] LIBRARY CLASS STEP...
 *
 * CLASS is a ProgID (resolved through the registry once registered) or a braced CLSID.
 * --temp-registry points FOLIANT_REGISTRY_DIR at a new temporary folder for the run.
 * Each STEP is one argument:
 *   register | unregister          the export succeeds and the registry shows (or no longer
 *                                  shows) the class with InprocServer32 = LIBRARY
 *   create                         class factory, LockServer, CreateInstance (IDispatch)
 *   get NAME [= VALUE]             property get, printed or compared
 *   put NAME = VALUE               property put
 *   putref NAME = VALUE            property put by reference
 *   call NAME [ARG...] [= VALUE]   method call with arguments, result compared when given
 *   object KEY = VALUE             keeps an object under KEY (until release)
 *   (a member NAME written KEY.NAME is called on the object kept under KEY instead)
 *   unknown NAME                   GetIDsOfNames must answer DISP_E_UNKNOWNNAME
 *   expect-error NUMBER [TEXT]     the step before failed with this error number (and text)
 *   release                        release the object; the library may then unload
 * VALUE / ARG: i:N (Long), h:N (Integer), d:X (Double), b:true|false, s:TEXT, empty,
 *   nothing, host (an object of this program), self (the created object), result (the object
 *   the last get or call returned), new:PROGID (a new object of another registered class,
 *   made through the registry and that class's exports), @KEY (an object kept by 'object').
 * A step that fails (unless the next step expects its error) stops the run with exit code 1.
 */

#define _GNU_SOURCE
#include "platform/automation/foliant_automation.h"

#include <dlfcn.h>
#include <ftw.h>
#include <limits.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>
#include <unistd.h>

/* ---- The host's own object: IDispatch with no members, counting its references ---------- */

typedef struct HostObject {
    IDispatch iface;
    uint32_t refs;
} HostObject;

static HRESULT HostQueryInterface(IDispatch* self, REFIID riid, void** ppv) {
    if (!ppv || !riid) {
        return E_POINTER;
    }
    *ppv = NULL;
    if (!IsEqualGUID(riid, &IID_IUnknown) && !IsEqualGUID(riid, &IID_IDispatch)) {
        return E_NOINTERFACE;
    }
    ((HostObject*)self)->refs++;
    *ppv = self;
    return S_OK;
}
static uint32_t HostAddRef(IDispatch* self) {
    return ++((HostObject*)self)->refs;
}
static uint32_t HostRelease(IDispatch* self) {
    return --((HostObject*)self)->refs;
}
static HRESULT HostGetTypeInfoCount(IDispatch* self, uint32_t* count) {
    (void)self;
    *count = 0;
    return S_OK;
}
static HRESULT HostGetTypeInfo(IDispatch* self, uint32_t index, LCID lcid, void** info) {
    (void)self;
    (void)index;
    (void)lcid;
    *info = NULL;
    return DISP_E_BADINDEX;
}
static HRESULT HostGetIDsOfNames(IDispatch* self, REFIID riid, LPOLESTR* names, uint32_t count,
                                 LCID lcid, DISPID* ids) {
    uint32_t i;
    (void)self;
    (void)riid;
    (void)names;
    (void)lcid;
    for (i = 0; i < count; ++i) {
        ids[i] = DISPID_UNKNOWN;
    }
    return DISP_E_UNKNOWNNAME;
}
static HRESULT HostInvoke(IDispatch* self, DISPID id, REFIID riid, LCID lcid, uint16_t flags,
                          DISPPARAMS* params, VARIANT* result, EXCEPINFO* excep, uint32_t* argErr) {
    (void)self;
    (void)id;
    (void)riid;
    (void)lcid;
    (void)flags;
    (void)params;
    (void)result;
    (void)excep;
    (void)argErr;
    return DISP_E_MEMBERNOTFOUND;
}
static const IDispatchVtbl kHostVtbl = {
    HostQueryInterface, HostAddRef,        HostRelease, HostGetTypeInfoCount,
    HostGetTypeInfo,    HostGetIDsOfNames, HostInvoke};
static HostObject g_host = {{&kHostVtbl}, 1};

/* ---- State of the run --------------------------------------------------------------------- */

static const char* g_libraryPath;
static const char* g_className;
static void* g_library;
static LPFNGETCLASSOBJECT g_getClassObject;
static LPFNCANUNLOADNOW g_canUnloadNow;
static LPFNREGISTERSERVER g_register;
static LPFNREGISTERSERVER g_unregister;
static IDispatch* g_object;
static IDispatch* g_result;
static char g_tempRegistry[PATH_MAX];

/* Objects kept by 'object KEY = VALUE'. */
#define MAX_KEPT 8
static struct {
    char key[64];
    IDispatch* object;
} g_kept[MAX_KEPT];
static int g_keptCount;

/* The outcome of the last member step. */
static HRESULT g_lastResult = S_OK;
static EXCEPINFO g_lastExcep;
static int g_stepNumber;

static void Fail(const char* format, ...) {
    va_list args;
    fprintf(stderr, "automation_host: step %d: ", g_stepNumber);
    va_start(args, format);
    vfprintf(stderr, format, args);
    va_end(args);
    fputc('\n', stderr);
    exit(1);
}

static int RemoveEntry(const char* path, const struct stat* st, int flag, struct FTW* ftw) {
    (void)st;
    (void)flag;
    (void)ftw;
    return remove(path);
}

static void RemoveTempRegistry(void) {
    if (g_tempRegistry[0]) {
        nftw(g_tempRegistry, RemoveEntry, 16, FTW_DEPTH | FTW_PHYS);
    }
}

/* ---- Values ------------------------------------------------------------------------------ */

/* A new object of a registered class: the registry names its library, whose exports make it.
 * The library stays loaded. */
static IDispatch* CreateRegistered(const char* progId) {
    CLSID clsid;
    char path[PATH_MAX];
    void* library;
    void* symbol;
    LPFNGETCLASSOBJECT getClassObject;
    IClassFactory* factory = NULL;
    void* object = NULL;
    HRESULT hr;
    if (FAILED(CLSIDFromProgID(progId, &clsid))) {
        Fail("the class %s is not registered", progId);
    }
    if (FAILED(FoliantGetInprocServer(&clsid, path, sizeof path))) {
        Fail("the class %s has no registered library", progId);
    }
    library = dlopen(path, RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        Fail("cannot load %s: %s", path, dlerror());
    }
    symbol = dlsym(library, "DllGetClassObject");
    if (!symbol) {
        Fail("%s does not export DllGetClassObject", path);
    }
    memcpy(&getClassObject, &symbol, sizeof symbol);
    hr = getClassObject(&clsid, &IID_IClassFactory, (void**)&factory);
    if (FAILED(hr)) {
        Fail("DllGetClassObject of %s answered 0x%08X", progId, (unsigned)hr);
    }
    hr = factory->lpVtbl->CreateInstance(factory, NULL, &IID_IDispatch, &object);
    factory->lpVtbl->Release(factory);
    if (FAILED(hr)) {
        Fail("CreateInstance of %s answered 0x%08X", progId, (unsigned)hr);
    }
    return (IDispatch*)object;
}

static void ParseValue(const char* text, VARIANT* v) {
    VariantInit(v);
    if (strncmp(text, "i:", 2) == 0) {
        v->vt = VT_I4;
        v->lVal = (int32_t)strtol(text + 2, NULL, 10);
    } else if (strncmp(text, "h:", 2) == 0) {
        v->vt = VT_I2;
        v->iVal = (int16_t)strtol(text + 2, NULL, 10);
    } else if (strncmp(text, "d:", 2) == 0) {
        v->vt = VT_R8;
        v->dblVal = strtod(text + 2, NULL);
    } else if (strncmp(text, "b:", 2) == 0) {
        v->vt = VT_BOOL;
        v->boolVal = strcmp(text + 2, "true") == 0 ? VARIANT_TRUE : VARIANT_FALSE;
    } else if (strncmp(text, "s:", 2) == 0) {
        v->vt = VT_BSTR;
        v->bstrVal = SysAllocString(text + 2);
    } else if (strcmp(text, "empty") == 0) {
        v->vt = VT_EMPTY;
    } else if (strcmp(text, "nothing") == 0) {
        v->vt = VT_DISPATCH;
        v->pdispVal = NULL;
    } else if (strcmp(text, "host") == 0) {
        v->vt = VT_DISPATCH;
        v->pdispVal = &g_host.iface;
        HostAddRef(&g_host.iface);
    } else if (strncmp(text, "new:", 4) == 0) {
        v->vt = VT_DISPATCH;
        v->pdispVal = CreateRegistered(text + 4);
    } else if (strcmp(text, "result") == 0) {
        if (!g_result) {
            Fail("no object was returned before for 'result'");
        }
        v->vt = VT_DISPATCH;
        v->pdispVal = g_result;
        g_result->lpVtbl->AddRef(g_result);
    } else if (text[0] == '@') {
        int k;
        for (k = 0; k < g_keptCount; ++k) {
            if (strcmp(g_kept[k].key, text + 1) == 0) {
                break;
            }
        }
        if (k == g_keptCount) {
            Fail("no object is kept as '%s'", text + 1);
        }
        v->vt = VT_DISPATCH;
        v->pdispVal = g_kept[k].object;
        v->pdispVal->lpVtbl->AddRef(v->pdispVal);
    } else if (strcmp(text, "self") == 0) {
        if (!g_object) {
            Fail("no object for 'self'");
        }
        v->vt = VT_DISPATCH;
        v->pdispVal = g_object;
        g_object->lpVtbl->AddRef(g_object);
    } else {
        Fail("cannot read the value '%s'", text);
    }
}

/* The value in the notation ParseValue reads. */
static void FormatValue(const VARIANT* v, char* out, size_t size) {
    switch (v->vt) {
    case VT_EMPTY:
        snprintf(out, size, "empty");
        break;
    case VT_I4:
        snprintf(out, size, "i:%d", (int)v->lVal);
        break;
    case VT_I2:
        snprintf(out, size, "h:%d", (int)v->iVal);
        break;
    case VT_R8:
        snprintf(out, size, "d:%g", v->dblVal);
        break;
    case VT_BOOL:
        snprintf(out, size, "b:%s", v->boolVal ? "true" : "false");
        break;
    case VT_BSTR:
        snprintf(out, size, "s:%s", v->bstrVal ? v->bstrVal : "");
        break;
    case VT_DISPATCH: {
        int k;
        for (k = 0; k < g_keptCount; ++k) {
            if (v->pdispVal && v->pdispVal == g_kept[k].object) {
                snprintf(out, size, "@%s", g_kept[k].key);
                return;
            }
        }
        snprintf(out, size, "%s",
                 !v->pdispVal                   ? "nothing"
                 : v->pdispVal == &g_host.iface ? "host"
                 : v->pdispVal == g_object      ? "self"
                                                : "object");
        break;
    }
    default:
        snprintf(out, size, "vt:%u", (unsigned)v->vt);
        break;
    }
}

/* ---- Steps ------------------------------------------------------------------------------- */

static CLSID ResolveClass(void) {
    CLSID clsid;
    HRESULT hr = CLSIDFromProgID(g_className, &clsid);
    if (FAILED(hr)) {
        Fail("the class %s is not known (0x%08X)", g_className, (unsigned)hr);
    }
    return clsid;
}

static int SameFile(const char* a, const char* b) {
    char ra[PATH_MAX];
    char rb[PATH_MAX];
    return realpath(a, ra) && realpath(b, rb) && strcmp(ra, rb) == 0;
}

static void StepRegister(void) {
    char path[PATH_MAX];
    CLSID clsid;
    HRESULT hr = g_register();
    if (hr != S_OK) {
        Fail("DllRegisterServer answered 0x%08X", (unsigned)hr);
    }
    clsid = ResolveClass();
    hr = FoliantGetInprocServer(&clsid, path, sizeof path);
    if (FAILED(hr)) {
        Fail("no InprocServer32 registered (0x%08X)", (unsigned)hr);
    }
    if (!SameFile(path, g_libraryPath)) {
        Fail("InprocServer32 is %s, not %s", path, g_libraryPath);
    }
    printf("registered %s at %s\n", g_className, path);
}

static void StepUnregister(void) {
    char path[PATH_MAX];
    CLSID clsid;
    HRESULT hr;
    int byClsid = g_className[0] == '{';
    if (byClsid) {
        clsid = ResolveClass();
    }
    hr = g_unregister();
    if (hr != S_OK) {
        Fail("DllUnregisterServer answered 0x%08X", (unsigned)hr);
    }
    if (!byClsid && SUCCEEDED(CLSIDFromProgID(g_className, &clsid))) {
        Fail("the ProgID %s is still registered", g_className);
    }
    if (byClsid && FoliantGetInprocServer(&clsid, path, sizeof path) != REGDB_E_CLASSNOTREG) {
        Fail("the class %s is still registered", g_className);
    }
    printf("unregistered %s\n", g_className);
}

static void StepCreate(void) {
    static const CLSID unknownClass = {0x12345678u, 0, 0, {0, 0, 0, 0, 0, 0, 0, 1}};
    CLSID clsid = ResolveClass();
    IClassFactory* factory = NULL;
    void* object = NULL;
    HRESULT hr;
    if (g_object) {
        Fail("an object exists already");
    }
    hr = g_getClassObject(&unknownClass, &IID_IClassFactory, (void**)&factory);
    if (hr != CLASS_E_CLASSNOTAVAILABLE || factory) {
        Fail("an unknown class got 0x%08X instead of CLASS_E_CLASSNOTAVAILABLE", (unsigned)hr);
    }
    hr = g_getClassObject(&clsid, &IID_IClassFactory, (void**)&factory);
    if (FAILED(hr) || !factory) {
        Fail("DllGetClassObject answered 0x%08X", (unsigned)hr);
    }
    if (g_canUnloadNow() != S_FALSE) {
        Fail("DllCanUnloadNow allows unloading while a class factory is held");
    }
    factory->lpVtbl->LockServer(factory, 1);
    hr = factory->lpVtbl->CreateInstance(factory, NULL, &IID_IDispatch, &object);
    if (FAILED(hr) || !object) {
        Fail("CreateInstance answered 0x%08X", (unsigned)hr);
    }
    factory->lpVtbl->Release(factory);
    if (g_canUnloadNow() != S_FALSE) {
        Fail("DllCanUnloadNow allows unloading while the server is locked");
    }
    /* The lock is released through a factory fetched again, as a host that cached none does. */
    hr = g_getClassObject(&clsid, &IID_IClassFactory, (void**)&factory);
    if (FAILED(hr)) {
        Fail("DllGetClassObject answered 0x%08X the second time", (unsigned)hr);
    }
    factory->lpVtbl->LockServer(factory, 0);
    factory->lpVtbl->Release(factory);
    g_object = (IDispatch*)object;
    printf("created %s\n", g_className);
}

/* The object a member step addresses: a kept object for "KEY.NAME" (name then points past the
 * dot), else the created object. */
static IDispatch* TargetOf(const char** name) {
    const char* dot = strchr(*name, '.');
    int k;
    if (!dot) {
        if (!g_object) {
            Fail("no object: 'create' first");
        }
        return g_object;
    }
    for (k = 0; k < g_keptCount; ++k) {
        if (strlen(g_kept[k].key) == (size_t)(dot - *name) &&
            strncmp(g_kept[k].key, *name, (size_t)(dot - *name)) == 0) {
            *name = dot + 1;
            return g_kept[k].object;
        }
    }
    Fail("no object is kept for '%s'", *name);
    return NULL;
}

static DISPID IdOf(IDispatch* target, const char* name) {
    DISPID id = DISPID_UNKNOWN;
    LPOLESTR names[1];
    HRESULT hr;
    names[0] = (LPOLESTR)name;
    hr = target->lpVtbl->GetIDsOfNames(target, &IID_NULL, names, 1, 0, &id);
    if (FAILED(hr)) {
        Fail("GetIDsOfNames(%s) answered 0x%08X", name, (unsigned)hr);
    }
    return id;
}

/* Calls a member; the outcome is kept for expect-error. Returns the result for comparison. */
static HRESULT Call(const char* name, uint16_t flags, VARIANT* args, uint32_t count,
                    VARIANT* result) {
    DISPID putId = DISPID_PROPERTYPUT;
    DISPPARAMS params;
    uint32_t argErr = 0;
    IDispatch* target = TargetOf(&name);
    DISPID id = IdOf(target, name);
    FoliantClearExcepInfo(&g_lastExcep);
    params.rgvarg = args;
    params.cArgs = count;
    params.rgdispidNamedArgs = NULL;
    params.cNamedArgs = 0;
    if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
        params.rgdispidNamedArgs = &putId;
        params.cNamedArgs = 1;
    }
    VariantInit(result);
    g_lastResult = target->lpVtbl->Invoke(
        target, id, &IID_NULL, 0, flags, &params,
        (flags & DISPATCH_PROPERTYPUT) || (flags & DISPATCH_PROPERTYPUTREF) ? NULL : result,
        &g_lastExcep, &argErr);
    return g_lastResult;
}

/* Splits "NAME ARG ARG = VALUE" in place: words before " = " and the text after it. */
static int SplitStep(char* text, char** words, int maxWords, char** expected) {
    int count = 0;
    char* equals = strstr(text, " = ");
    char* word;
    char* save = NULL;
    *expected = NULL;
    if (equals) {
        *equals = '\0';
        *expected = equals + 3;
    }
    for (word = strtok_r(text, " ", &save); word && count < maxWords;
         word = strtok_r(NULL, " ", &save)) {
        words[count++] = word;
    }
    return count;
}

static int ExpectsError(int next, int argc, char** argv) {
    return next < argc && strncmp(argv[next], "expect-error", 12) == 0;
}

static void StepMember(const char* verb, char* rest, int expectError) {
    char* words[16];
    char* expected;
    VARIANT args[15];
    VARIANT result;
    char shown[512];
    uint16_t flags;
    int count = SplitStep(rest, words, 16, &expected);
    int nargs = 0;
    int i;
    HRESULT hr;
    if (count < 1) {
        Fail("%s needs a member name", verb);
    }
    if (strcmp(verb, "get") == 0) {
        flags = DISPATCH_PROPERTYGET;
    } else if (strcmp(verb, "call") == 0) {
        flags = DISPATCH_METHOD;
    } else {
        flags = strcmp(verb, "put") == 0 ? DISPATCH_PROPERTYPUT : DISPATCH_PROPERTYPUTREF;
        if (!expected) {
            Fail("%s %s needs ' = VALUE'", verb, words[0]);
        }
    }
    /* Arguments go last first. */
    if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
        ParseValue(expected, &args[0]);
        nargs = 1;
    } else {
        nargs = count - 1;
        for (i = 0; i < nargs; ++i) {
            ParseValue(words[1 + i], &args[nargs - 1 - i]);
        }
    }
    hr = Call(words[0], flags, args, (uint32_t)nargs, &result);
    for (i = 0; i < nargs; ++i) {
        VariantClear(&args[i]);
    }
    if (FAILED(hr)) {
        if (!expectError) {
            Fail("%s %s failed: 0x%08X %s", verb, words[0], (unsigned)hr,
                 g_lastExcep.bstrDescription ? g_lastExcep.bstrDescription : "");
        }
        return;
    }
    if (expectError) {
        Fail("%s %s succeeded but an error was expected", verb, words[0]);
    }
    FormatValue(&result, shown, sizeof shown);
    if (result.vt == VT_DISPATCH && result.pdispVal) {
        /* Kept for 'result'. */
        if (g_result) {
            g_result->lpVtbl->Release(g_result);
        }
        g_result = result.pdispVal;
        g_result->lpVtbl->AddRef(g_result);
    }
    VariantClear(&result);
    if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
        printf("%s %s = %s\n", verb, words[0], expected);
    } else if (expected && strcmp(shown, expected) != 0) {
        Fail("%s %s gave %s, not %s", verb, words[0], shown, expected);
    } else {
        printf("%s %s = %s\n", verb, words[0], shown);
    }
}

/* The error number a host reports for a failed call. */
static int32_t ErrorNumber(HRESULT hr, const EXCEPINFO* info, const char** description) {
    *description = "";
    if (hr == DISP_E_EXCEPTION) {
        *description = info->bstrDescription ? info->bstrDescription : "";
        return FoliantErrorNumber(info);
    }
    if (hr == DISP_E_TYPEMISMATCH || hr == DISP_E_BADVARTYPE) {
        *description = "Type mismatch";
        return 13;
    }
    if (hr == DISP_E_MEMBERNOTFOUND || hr == DISP_E_UNKNOWNNAME) {
        *description = "Object doesn't support this property or method";
        return 438;
    }
    if (hr == DISP_E_BADPARAMCOUNT) {
        *description = "Wrong number of arguments or invalid property assignment";
        return 450;
    }
    if (hr == DISP_E_OVERFLOW) {
        *description = "Overflow";
        return 6;
    }
    return hr;
}

static void StepExpectError(const char* rest) {
    char* end = NULL;
    const char* description;
    long number = strtol(rest, &end, 10);
    int32_t actual;
    if (end == rest) {
        Fail("expect-error needs a number");
    }
    while (*end == ' ') {
        ++end;
    }
    if (SUCCEEDED(g_lastResult)) {
        Fail("no error to expect");
    }
    actual = ErrorNumber(g_lastResult, &g_lastExcep, &description);
    if (actual != (int32_t)number) {
        Fail("error %d (%s) instead of %ld", (int)actual, description, number);
    }
    if (*end && strcmp(end, description) != 0) {
        Fail("error %d says \"%s\", not \"%s\"", (int)actual, description, end);
    }
    printf("error %d: %s\n", (int)actual, description);
    g_lastResult = S_OK;
}

static void StepUnknown(const char* name) {
    DISPID id = 0;
    LPOLESTR names[1];
    HRESULT hr;
    names[0] = (LPOLESTR)name;
    if (!g_object) {
        Fail("no object: 'create' first");
    }
    hr = g_object->lpVtbl->GetIDsOfNames(g_object, &IID_NULL, names, 1, 0, &id);
    if (hr != DISP_E_UNKNOWNNAME || id != DISPID_UNKNOWN) {
        Fail("GetIDsOfNames(%s) answered 0x%08X, id %d", name, (unsigned)hr, (int)id);
    }
    printf("unknown %s\n", name);
}

static void StepKeep(char* rest) {
    char* words[2];
    char* expected;
    VARIANT value;
    if (SplitStep(rest, words, 2, &expected) != 1 || !expected) {
        Fail("object needs 'KEY = VALUE'");
    }
    if (g_keptCount == MAX_KEPT || strlen(words[0]) >= sizeof g_kept[0].key) {
        Fail("cannot keep another object as '%s'", words[0]);
    }
    ParseValue(expected, &value);
    if (value.vt != VT_DISPATCH || !value.pdispVal) {
        VariantClear(&value);
        Fail("'%s' is not an object to keep", expected);
    }
    snprintf(g_kept[g_keptCount].key, sizeof g_kept[0].key, "%s", words[0]);
    g_kept[g_keptCount++].object = value.pdispVal;
    printf("object %s = %s\n", words[0], expected);
}

static void ReleaseKept(void) {
    while (g_keptCount > 0) {
        --g_keptCount;
        g_kept[g_keptCount].object->lpVtbl->Release(g_kept[g_keptCount].object);
        g_kept[g_keptCount].object = NULL;
    }
}

static void StepRelease(void) {
    uint32_t left;
    if (!g_object) {
        Fail("no object to release");
    }
    if (g_result) {
        g_result->lpVtbl->Release(g_result);
        g_result = NULL;
    }
    ReleaseKept();
    left = g_object->lpVtbl->Release(g_object);
    g_object = NULL;
    if (left != 0) {
        Fail("the object still has %u references after the host released it", (unsigned)left);
    }
    if (g_host.refs != 1) {
        Fail("the component still holds %u references to the host's object",
             (unsigned)(g_host.refs - 1));
    }
    if (g_canUnloadNow() != S_OK) {
        Fail("DllCanUnloadNow refuses with nothing alive");
    }
    printf("released\n");
}

static void* Export(const char* name) {
    void* symbol = dlsym(g_library, name);
    if (!symbol) {
        Fail("%s does not export %s", g_libraryPath, name);
    }
    return symbol;
}

int main(int argc, char** argv) {
    int first = 1;
    int i;
    if (argc > 1 && strcmp(argv[1], "--temp-registry") == 0) {
        const char* tmp = getenv("TMPDIR");
        snprintf(g_tempRegistry, sizeof g_tempRegistry, "%s/foliant-host-XXXXXX",
                 tmp && *tmp ? tmp : "/tmp");
        if (!mkdtemp(g_tempRegistry)) {
            g_tempRegistry[0] = '\0';
            Fail("cannot make a temporary registry folder");
        }
        setenv("FOLIANT_REGISTRY_DIR", g_tempRegistry, 1);
        atexit(RemoveTempRegistry);
        first = 2;
    }
    if (argc < first + 2) {
        fprintf(stderr, "usage: automation_host [--temp-registry] LIBRARY CLASS STEP...\n");
        return 2;
    }
    g_libraryPath = argv[first];
    g_className = argv[first + 1];
    g_library = dlopen(g_libraryPath, RTLD_NOW | RTLD_LOCAL);
    if (!g_library) {
        Fail("cannot load %s: %s", g_libraryPath, dlerror());
    }
    /* Object pointers from dlsym become function pointers through memcpy (ISO C). */
    {
        void* p;
        p = Export("DllGetClassObject");
        memcpy(&g_getClassObject, &p, sizeof p);
        p = Export("DllCanUnloadNow");
        memcpy(&g_canUnloadNow, &p, sizeof p);
        p = Export("DllRegisterServer");
        memcpy(&g_register, &p, sizeof p);
        p = Export("DllUnregisterServer");
        memcpy(&g_unregister, &p, sizeof p);
    }
    if (g_canUnloadNow() != S_OK) {
        Fail("a freshly loaded library refuses to unload");
    }
    for (i = first + 2; i < argc; ++i) {
        char step[1024];
        char* rest;
        g_stepNumber = i - first - 1;
        snprintf(step, sizeof step, "%s", argv[i]);
        rest = strchr(step, ' ');
        if (rest) {
            *rest++ = '\0';
        } else {
            rest = step + strlen(step);
        }
        if (!ExpectsError(i, argc, argv) && strcmp(step, "expect-error") != 0 &&
            FAILED(g_lastResult)) {
            Fail("an error was left unchecked");
        }
        if (strcmp(step, "register") == 0) {
            StepRegister();
        } else if (strcmp(step, "unregister") == 0) {
            StepUnregister();
        } else if (strcmp(step, "create") == 0) {
            StepCreate();
        } else if (strcmp(step, "get") == 0 || strcmp(step, "put") == 0 ||
                   strcmp(step, "putref") == 0 || strcmp(step, "call") == 0) {
            StepMember(step, rest, ExpectsError(i + 1, argc, argv));
        } else if (strcmp(step, "object") == 0) {
            StepKeep(rest);
        } else if (strcmp(step, "unknown") == 0) {
            StepUnknown(rest);
        } else if (strcmp(step, "expect-error") == 0) {
            StepExpectError(rest);
        } else if (strcmp(step, "release") == 0) {
            StepRelease();
        } else {
            Fail("unknown step '%s'", argv[i]);
        }
    }
    g_stepNumber = 0;
    if (g_object) {
        StepRelease();
    }
    if (g_result) {
        g_result->lpVtbl->Release(g_result);
        g_result = NULL;
    }
    ReleaseKept();
    FoliantClearExcepInfo(&g_lastExcep);
    if (g_canUnloadNow() != S_OK) {
        Fail("DllCanUnloadNow refuses at the end of the run");
    }
    dlclose(g_library);
    printf("ok\n");
    return 0;
}

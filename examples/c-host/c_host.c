/*
 * A plain C program that embeds the report wizard: it loads libFoliant.so with dlopen, makes a
 * new report over a SQLite database, runs the wizard over it and, when the person finishes,
 * prints the report's structure (and saves it when asked).
 *
 *   foliant-c-host DATABASE [REPORT.rpt]
 *
 * The wizard shows in a window of its own when the process has a display; the program needs
 * no toolkit. The component is the libFoliant.so in ../lib beside the program's folder, else
 * the one the loader finds; FOLIANT_LIBRARY names another.
 * Exit status: 0 the wizard ran, 1 the component could not be used, 2 the wizard or the report
 * failed (the error is printed, and the program still releases everything and unloads the
 * component).
 */
#include "library/foliant.h"

#include <dlfcn.h>
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

/* ---- Calling members through IDispatch -------------------------------------------------- */

/* Prints a failed call's error as the component raised it. */
static void PrintError(const char* member, HRESULT hr, EXCEPINFO* error) {
    if (hr == DISP_E_EXCEPTION) {
        fprintf(stderr, "%s failed: error %d: %s\n", member, (int)FoliantErrorNumber(error),
                error->bstrDescription ? error->bstrDescription : "");
        FoliantClearExcepInfo(error);
    } else {
        fprintf(stderr, "%s failed: HRESULT 0x%08X\n", member, (unsigned)hr);
    }
}

/* Calls member with count arguments (args[0] the last) and keeps its result; 0 on success. */
static int Call(IDispatch* object, const char* member, DISPID id, uint16_t flags, VARIANT* args,
                uint32_t count, VARIANT* result) {
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params = {args, NULL, count, 0};
    EXCEPINFO error;
    uint32_t argError = 0;
    HRESULT hr;
    if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
        params.rgdispidNamedArgs = &named;
        params.cNamedArgs = 1;
    }
    memset(&error, 0, sizeof error);
    hr =
        object->lpVtbl->Invoke(object, id, &IID_NULL, 0, flags, &params, result, &error, &argError);
    if (FAILED(hr)) {
        PrintError(member, hr, &error);
        return -1;
    }
    return 0;
}

static VARIANT Text(const char* text) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_BSTR;
    v.bstrVal = SysAllocString(text);
    return v;
}

static VARIANT Object(IDispatch* object) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_DISPATCH;
    v.pdispVal = object;
    return v;
}

/* ---- The component ---------------------------------------------------------------------- */

typedef struct Component {
    void* library;
    LPFNGETCLASSOBJECT getClassObject;
    LPFNCANUNLOADNOW canUnloadNow;
} Component;

/* The component library to load into path (size bytes). */
static void ComponentPath(char* path, size_t size) {
    const char* chosen = getenv("FOLIANT_LIBRARY");
    char self[PATH_MAX];
    ssize_t length;
    char* slash;
    if (chosen && *chosen) {
        snprintf(path, size, "%s", chosen);
        return;
    }
    snprintf(path, size, "libFoliant.so");
    length = readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0) {
        return;
    }
    self[length] = '\0';
    slash = strrchr(self, '/');
    if (slash) {
        *slash = '\0';
        snprintf(path, size, "%s/../lib/libFoliant.so", self);
        if (access(path, R_OK) != 0) {
            snprintf(path, size, "libFoliant.so");
        }
    }
}

static int LoadComponent(Component* component) {
    char path[PATH_MAX + 32];
    ComponentPath(path, sizeof path);
    component->library = dlopen(path, RTLD_NOW | RTLD_LOCAL);
    if (!component->library) {
        fprintf(stderr, "cannot load the component: %s\n", dlerror());
        return -1;
    }
    component->getClassObject =
        (LPFNGETCLASSOBJECT)(uintptr_t)dlsym(component->library, "DllGetClassObject");
    component->canUnloadNow =
        (LPFNCANUNLOADNOW)(uintptr_t)dlsym(component->library, "DllCanUnloadNow");
    if (!component->getClassObject || !component->canUnloadNow) {
        fprintf(stderr, "the library is not a component: it lacks the exports\n");
        dlclose(component->library);
        return -1;
    }
    return 0;
}

/* A new object of a class of the component, or NULL. */
static IDispatch* Create(const Component* component, const CLSID* clsid, const char* name) {
    IClassFactory* factory = NULL;
    IDispatch* object = NULL;
    HRESULT hr = component->getClassObject(clsid, &IID_IClassFactory, (void**)&factory);
    if (SUCCEEDED(hr)) {
        hr = factory->lpVtbl->CreateInstance(factory, NULL, &IID_IDispatch, (void**)&object);
        factory->lpVtbl->Release(factory);
    }
    if (FAILED(hr)) {
        fprintf(stderr, "cannot create %s: HRESULT 0x%08X\n", name, (unsigned)hr);
        return NULL;
    }
    return object;
}

/* ---- The wizard over a new report ------------------------------------------------------- */

/* Runs the wizard over a new report on database; prints the report afterwards and saves it to
 * output when that is not NULL. 0 on success. */
static int RunWizard(IDispatch* opener, IDispatch* wizard, const char* database,
                     const char* output) {
    VARIANT args[2];
    VARIANT report;
    VARIANT text;
    int failed;
    VariantInit(&report);
    VariantInit(&text);
    args[0] = Text(database);
    failed = Call(opener, "NewReport", DISPID_NewReport, DISPATCH_METHOD, args, 1, &report);
    VariantClear(&args[0]);
    if (failed) {
        return -1;
    }
    args[0] = Object(report.pdispVal);
    failed =
        Call(wizard, "VellumReport", DISPID_VellumReport, DISPATCH_PROPERTYPUTREF, args, 1, NULL) ||
        Call(wizard, "DisplayReportWizard", DISPID_DisplayReportWizard, DISPATCH_METHOD, NULL, 0,
             NULL);
    if (!failed) {
        failed =
            Call(opener, "DescribeReport", DISPID_DescribeReport, DISPATCH_METHOD, args, 1, &text);
    }
    if (!failed) {
        printf("%s\n", text.bstrVal ? text.bstrVal : "");
    }
    if (!failed && output) {
        args[1] = Object(report.pdispVal);
        args[0] = Text(output);
        failed = Call(opener, "SaveReport", DISPID_SaveReport, DISPATCH_METHOD, args, 2, NULL);
        VariantClear(&args[0]);
    }
    VariantClear(&text);
    VariantClear(&report);
    return failed ? -1 : 0;
}

int main(int argc, char** argv) {
    Component component;
    IDispatch* opener;
    IDispatch* wizard;
    int status = 2;
    if (argc < 2 || argc > 3) {
        fprintf(stderr, "usage: %s DATABASE [REPORT.rpt]\n", argv[0]);
        return 1;
    }
    if (LoadComponent(&component)) {
        return 1;
    }
    opener = Create(&component, &CLSID_ReportOpener, "ReportOpener");
    wizard = opener ? Create(&component, &CLSID_VRStandardWizard, "VRStandardWizard") : NULL;
    if (!wizard) {
        status = 1;
    } else if (RunWizard(opener, wizard, argv[1], argc > 2 ? argv[2] : NULL) == 0) {
        status = 0;
    }
    if (wizard) {
        wizard->lpVtbl->Release(wizard);
    }
    if (opener) {
        opener->lpVtbl->Release(opener);
    }
    if (component.canUnloadNow() != S_OK) {
        fprintf(stderr, "the component still holds objects after every release\n");
        status = 1;
    }
    dlclose(component.library);
    printf("host: done\n");
    return status;
}

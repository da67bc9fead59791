/*
 * Loads the component library, makes a wizard over a new report and unloads it again, TIMES
 * times in one process, as a C host that loads the component only while it needs it does;
 * every EVERY-th time (the first included) the wizard runs, in its real window.
 * Every run must succeed, every release must leave the component free to unload, and the runs
 * after the first must leave the process with as many threads as the first did: the first run
 * lets Qt start the threads it keeps for the life of the process (its D-Bus connection
 * manager, started by its accessibility bridge), a run's own application and its threads go
 * with the run. (Leaks are AddressSanitizer's to find when the process ends.)
 *
 *   load_unload LIBRARY DATABASE TIMES EVERY
 */
#include "library/foliant.h"

#include <dirent.h>
#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>

/* The number of the process's threads; their names go to out when it is not NULL. */
static int CountThreads(FILE* out) {
    int count = 0;
    struct dirent* entry;
    DIR* tasks = opendir("/proc/self/task");
    if (!tasks) {
        return -1;
    }
    while ((entry = readdir(tasks)) != NULL) {
        char path[300];
        char name[64] = "";
        FILE* comm;
        if (entry->d_name[0] == '.') {
            continue;
        }
        ++count;
        snprintf(path, sizeof path, "/proc/self/task/%s/comm", entry->d_name);
        if (out && (comm = fopen(path, "r")) != NULL) {
            if (fgets(name, sizeof name, comm)) {
                fprintf(out, "thread %s: %s", entry->d_name, name);
            }
            fclose(comm);
        }
    }
    closedir(tasks);
    return count;
}

/* The number of threads once it has stopped changing: a thread that has been joined can still
 * be listed for a moment while the system takes it down. Counts every 20 ms until five counts
 * in a row agree, for at most two seconds. */
static int SettledThreadCount(void) {
    const struct timespec pause = {0, 20 * 1000 * 1000};
    int count = CountThreads(NULL);
    int same = 0;
    int tries;
    for (tries = 0; tries < 100 && same < 5; ++tries) {
        int next;
        nanosleep(&pause, NULL);
        next = CountThreads(NULL);
        same = next == count ? same + 1 : 0;
        count = next;
    }
    return count;
}

static int Invoke(IDispatch* object, DISPID id, uint16_t flags, VARIANT* args, uint32_t count,
                  VARIANT* result) {
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params = {args, NULL, count, 0};
    EXCEPINFO error;
    uint32_t argError = 0;
    HRESULT hr;
    if (flags & DISPATCH_PROPERTYPUTREF) {
        params.rgdispidNamedArgs = &named;
        params.cNamedArgs = 1;
    }
    memset(&error, 0, sizeof error);
    hr =
        object->lpVtbl->Invoke(object, id, &IID_NULL, 0, flags, &params, result, &error, &argError);
    if (FAILED(hr)) {
        fprintf(stderr, "call %d failed: error %d: %s\n", (int)id, (int)FoliantErrorNumber(&error),
                error.bstrDescription ? error.bstrDescription : "");
        FoliantClearExcepInfo(&error);
        return -1;
    }
    return 0;
}

static IDispatch* Create(LPFNGETCLASSOBJECT getClassObject, const CLSID* clsid) {
    IClassFactory* factory = NULL;
    IDispatch* object = NULL;
    if (FAILED(getClassObject(clsid, &IID_IClassFactory, (void**)&factory))) {
        return NULL;
    }
    if (FAILED(factory->lpVtbl->CreateInstance(factory, NULL, &IID_IDispatch, (void**)&object))) {
        object = NULL;
    }
    factory->lpVtbl->Release(factory);
    return object;
}

/* One load, wizard (run when run is not 0) and unload; 0 when all went well. */
static int Cycle(const char* library, const char* database, int run) {
    void* handle = dlopen(library, RTLD_NOW | RTLD_LOCAL);
    LPFNGETCLASSOBJECT getClassObject;
    LPFNCANUNLOADNOW canUnloadNow;
    IDispatch* opener;
    IDispatch* wizard;
    VARIANT arg;
    VARIANT report;
    int failed = 1;
    if (!handle) {
        fprintf(stderr, "cannot load %s: %s\n", library, dlerror());
        return -1;
    }
    getClassObject = (LPFNGETCLASSOBJECT)(uintptr_t)dlsym(handle, "DllGetClassObject");
    canUnloadNow = (LPFNCANUNLOADNOW)(uintptr_t)dlsym(handle, "DllCanUnloadNow");
    opener = Create(getClassObject, &CLSID_ReportOpener);
    wizard = Create(getClassObject, &CLSID_VRStandardWizard);
    VariantInit(&report);
    if (opener && wizard) {
        VariantInit(&arg);
        arg.vt = VT_BSTR;
        arg.bstrVal = SysAllocString(database);
        failed = Invoke(opener, DISPID_NewReport, DISPATCH_METHOD, &arg, 1, &report);
        VariantClear(&arg);
    }
    if (!failed) {
        arg = report;
        failed =
            Invoke(wizard, DISPID_VellumReport, DISPATCH_PROPERTYPUTREF, &arg, 1, NULL) ||
            (run && Invoke(wizard, DISPID_DisplayReportWizard, DISPATCH_METHOD, NULL, 0, NULL));
    }
    VariantClear(&report);
    if (wizard) {
        wizard->lpVtbl->Release(wizard);
    }
    if (opener) {
        opener->lpVtbl->Release(opener);
    }
    if (canUnloadNow() != S_OK) {
        fprintf(stderr, "objects of the component are still alive after every release\n");
        failed = 1;
    }
    dlclose(handle);
    return failed;
}

int main(int argc, char** argv) {
    int times;
    int every;
    int before;
    int after;
    int i;
    if (argc != 5 || (every = atoi(argv[4])) < 1) {
        fprintf(stderr, "usage: %s LIBRARY DATABASE TIMES EVERY\n", argv[0]);
        return 2;
    }
    times = atoi(argv[3]);
    before = CountThreads(NULL);
    for (i = 0; i < times; ++i) {
        if (i == 1) {
            before = SettledThreadCount();
            CountThreads(stdout);
        }
        if (Cycle(argv[1], argv[2], i % every == 0) != 0) {
            fprintf(stderr, "run %d of %d failed\n", i + 1, times);
            return 1;
        }
    }
    after = SettledThreadCount();
    printf("loaded and unloaded the component %d times, running the wizard %d times; threads "
           "after the first run %d, after the last %d\n",
           times, (times + every - 1) / every, before, after);
    if (after != before) {
        CountThreads(stderr);
        return 1;
    }
    return 0;
}

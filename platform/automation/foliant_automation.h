/*
 * The automation boundary as a C host sees it: result codes, GUIDs, length-prefixed strings,
 * the VARIANT value, the vtable views of IUnknown, IDispatch and IClassFactory, and the four
 * functions every in-process component exports.
 *
 * A host needs nothing but this header and dlopen: it looks up DllGetClassObject, asks it for
 * the class factory of a CLSID, creates an object and calls it through IDispatch. Strings are
 * UTF-8. Every string, array and VARIANT a component hands out is owned by the caller and freed
 * with the inline helpers below (SysFreeString, VariantClear), which use the C library's
 * allocator, so host and component can free each other's allocations.
 *
 * The functions after "Registry helpers" are the platform's, implemented by the automation
 * layer (not by a component); a host links them when it wants to resolve a ProgID.
 */
#ifndef FOLIANT_AUTOMATION_H
#define FOLIANT_AUTOMATION_H

#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#ifdef __cplusplus
extern "C" {
#endif

#define FOLIANT_EXPORT __attribute__((visibility("default")))
#define FOLIANT_UNUSED __attribute__((unused))

/* ---- Result codes ---------------------------------------------------------------------- */

typedef int32_t HRESULT;

#define SUCCEEDED(hr) (((HRESULT)(hr)) >= 0)
#define FAILED(hr) (((HRESULT)(hr)) < 0)
#define FOLIANT_HRESULT(x) ((HRESULT)(uint32_t)(x))

#define S_OK FOLIANT_HRESULT(0x00000000u)
#define S_FALSE FOLIANT_HRESULT(0x00000001u)
#define E_NOTIMPL FOLIANT_HRESULT(0x80004001u)
#define E_NOINTERFACE FOLIANT_HRESULT(0x80004002u)
#define E_POINTER FOLIANT_HRESULT(0x80004003u)
#define E_FAIL FOLIANT_HRESULT(0x80004005u)
#define E_UNEXPECTED FOLIANT_HRESULT(0x8000FFFFu)
#define E_OUTOFMEMORY FOLIANT_HRESULT(0x8007000Eu)
#define E_INVALIDARG FOLIANT_HRESULT(0x80070057u)
#define E_NOT_SUFFICIENT_BUFFER FOLIANT_HRESULT(0x8007007Au)
#define CLASS_E_NOAGGREGATION FOLIANT_HRESULT(0x80040110u)
#define CLASS_E_CLASSNOTAVAILABLE FOLIANT_HRESULT(0x80040111u)
#define REGDB_E_CLASSNOTREG FOLIANT_HRESULT(0x80040154u)
#define SELFREG_E_TYPELIB FOLIANT_HRESULT(0x80040200u)
#define SELFREG_E_CLASS FOLIANT_HRESULT(0x80040201u)
#define CO_E_CLASSSTRING FOLIANT_HRESULT(0x800401F3u)
#define DISP_E_UNKNOWNINTERFACE FOLIANT_HRESULT(0x80020001u)
#define DISP_E_MEMBERNOTFOUND FOLIANT_HRESULT(0x80020003u)
#define DISP_E_PARAMNOTFOUND FOLIANT_HRESULT(0x80020004u)
#define DISP_E_TYPEMISMATCH FOLIANT_HRESULT(0x80020005u)
#define DISP_E_UNKNOWNNAME FOLIANT_HRESULT(0x80020006u)
#define DISP_E_NONAMEDARGS FOLIANT_HRESULT(0x80020007u)
#define DISP_E_BADVARTYPE FOLIANT_HRESULT(0x80020008u)
#define DISP_E_EXCEPTION FOLIANT_HRESULT(0x80020009u)
#define DISP_E_OVERFLOW FOLIANT_HRESULT(0x8002000Au)
#define DISP_E_BADINDEX FOLIANT_HRESULT(0x8002000Bu)
#define DISP_E_BADPARAMCOUNT FOLIANT_HRESULT(0x8002000Eu)
#define DISP_E_PARAMNOTOPTIONAL FOLIANT_HRESULT(0x8002000Fu)

/* Error numbers 1..65535 raised by an object travel in EXCEPINFO.scode as control-facility
 * HRESULTs (0x800A0000 | number); 0 travels as E_FAIL; any other number travels as it is. */
#define FOLIANT_FACILITY_CONTROL 0x0Au

/* ---- GUIDs ----------------------------------------------------------------------------- */

typedef struct GUID {
    uint32_t Data1;
    uint16_t Data2;
    uint16_t Data3;
    uint8_t Data4[8];
} GUID;
typedef GUID IID;
typedef GUID CLSID;
typedef const GUID* REFGUID;
typedef const IID* REFIID;
typedef const CLSID* REFCLSID;

static inline int IsEqualGUID(REFGUID a, REFGUID b) {
    return memcmp(a, b, sizeof(GUID)) == 0;
}

static const IID IID_NULL FOLIANT_UNUSED = {0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};
static const IID IID_IUnknown FOLIANT_UNUSED = {
    0x00000000u, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
static const IID IID_IClassFactory FOLIANT_UNUSED = {
    0x00000001u, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
static const IID IID_IDispatch FOLIANT_UNUSED = {
    0x00020400u, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

/* ---- Strings ----------------------------------------------------------------------------
 * A BSTR points at UTF-8 text with a terminating zero; the 32-bit byte length is stored just
 * before it. A null BSTR is the empty string. */

typedef char OLECHAR;
typedef OLECHAR* BSTR;
typedef OLECHAR* LPOLESTR;
typedef const OLECHAR* LPCOLESTR;

static inline BSTR SysAllocStringLen(const OLECHAR* text, uint32_t length) {
    char* block = (char*)malloc(sizeof(uint32_t) + (size_t)length + 1);
    if (!block) {
        return NULL;
    }
    memcpy(block, &length, sizeof length);
    if (text && length) {
        memcpy(block + sizeof(uint32_t), text, length);
    } else if (length) {
        memset(block + sizeof(uint32_t), 0, length);
    }
    block[sizeof(uint32_t) + length] = '\0';
    return block + sizeof(uint32_t);
}

static inline BSTR SysAllocString(const OLECHAR* text) {
    return text ? SysAllocStringLen(text, (uint32_t)strlen(text)) : NULL;
}

static inline uint32_t SysStringLen(const OLECHAR* text) {
    uint32_t length = 0;
    if (text) {
        memcpy(&length, text - sizeof(uint32_t), sizeof length);
    }
    return length;
}

static inline void SysFreeString(BSTR text) {
    if (text) {
        free(text - sizeof(uint32_t));
    }
}

/* ---- Arrays (one dimension of bytes) --------------------------------------------------- */

typedef struct SAFEARRAYBOUND {
    uint32_t cElements;
    int32_t lLbound;
} SAFEARRAYBOUND;

typedef struct SAFEARRAY {
    uint16_t cDims;
    uint16_t fFeatures;
    uint32_t cbElements;
    uint32_t cLocks;
    void* pvData;
    SAFEARRAYBOUND rgsabound[1];
} SAFEARRAY;

typedef uint16_t VARTYPE;

/* ---- VARIANT --------------------------------------------------------------------------- */

enum {
    VT_EMPTY = 0,
    VT_NULL = 1,
    VT_I2 = 2,
    VT_I4 = 3,
    VT_R4 = 4,
    VT_R8 = 5,
    VT_DATE = 7,
    VT_BSTR = 8,
    VT_DISPATCH = 9,
    VT_ERROR = 10,
    VT_BOOL = 11,
    VT_VARIANT = 12,
    VT_UNKNOWN = 13,
    VT_UI1 = 17,
    VT_ARRAY = 0x2000,
    VT_BYREF = 0x4000
};

typedef int16_t VARIANT_BOOL;
#define VARIANT_TRUE ((VARIANT_BOOL)-1)
#define VARIANT_FALSE ((VARIANT_BOOL)0)

/* Days since 1899-12-30; the fraction is the time of day. */
typedef double DATE;

/* A byte array of cElements bytes indexed from lLbound, data in the same block. */
static inline SAFEARRAY* SafeArrayCreateVector(VARTYPE vt, int32_t lLbound, uint32_t cElements) {
    SAFEARRAY* array;
    if (vt != VT_UI1) {
        return NULL;
    }
    array = (SAFEARRAY*)calloc(1, sizeof(SAFEARRAY) + (size_t)cElements);
    if (!array) {
        return NULL;
    }
    array->cDims = 1;
    array->cbElements = 1;
    array->pvData = (char*)array + sizeof(SAFEARRAY);
    array->rgsabound[0].cElements = cElements;
    array->rgsabound[0].lLbound = lLbound;
    return array;
}

static inline void SafeArrayDestroy(SAFEARRAY* array) {
    free(array);
}

typedef uint32_t LCID;
typedef int32_t DISPID;

#define DISPID_UNKNOWN ((DISPID)-1)
#define DISPID_VALUE ((DISPID)0)
#define DISPID_PROPERTYPUT ((DISPID)-3)

struct IUnknown;
struct IDispatch;
struct IClassFactory;

typedef struct VARIANT {
    VARTYPE vt;
    uint16_t wReserved1;
    uint16_t wReserved2;
    uint16_t wReserved3;
    union {
        uint8_t bVal;
        int16_t iVal;
        int32_t lVal;
        float fltVal;
        double dblVal;
        VARIANT_BOOL boolVal;
        HRESULT scode;
        DATE date;
        BSTR bstrVal;
        struct IUnknown* punkVal;
        struct IDispatch* pdispVal;
        SAFEARRAY* parray;
        uint8_t* pbVal;
        int16_t* piVal;
        int32_t* plVal;
        float* pfltVal;
        double* pdblVal;
        VARIANT_BOOL* pboolVal;
        DATE* pdate;
        BSTR* pbstrVal;
        struct IUnknown** ppunkVal;
        struct IDispatch** ppdispVal;
        SAFEARRAY** pparray;
        struct VARIANT* pvarVal;
    };
} VARIANT;
typedef VARIANT VARIANTARG;

/* ---- Interfaces ------------------------------------------------------------------------
 * An interface pointer points at a struct whose first member is its vtable. AddRef and
 * Release return the new count; the object is gone after the Release that returns 0. */

typedef struct IUnknownVtbl {
    HRESULT (*QueryInterface)(struct IUnknown* This, REFIID riid, void** ppvObject);
    uint32_t (*AddRef)(struct IUnknown* This);
    uint32_t (*Release)(struct IUnknown* This);
} IUnknownVtbl;

typedef struct IUnknown {
    const IUnknownVtbl* lpVtbl;
} IUnknown;

typedef struct DISPPARAMS {
    VARIANTARG* rgvarg; /* arguments in reverse order: rgvarg[0] is the last */
    DISPID* rgdispidNamedArgs;
    uint32_t cArgs;
    uint32_t cNamedArgs;
} DISPPARAMS;

typedef struct EXCEPINFO {
    uint16_t wCode;
    uint16_t wReserved;
    BSTR bstrSource;
    BSTR bstrDescription;
    BSTR bstrHelpFile;
    uint32_t dwHelpContext;
    void* pvReserved;
    HRESULT (*pfnDeferredFillIn)(struct EXCEPINFO*);
    HRESULT scode;
} EXCEPINFO;

/* Invoke flags. */
#define DISPATCH_METHOD 0x1
#define DISPATCH_PROPERTYGET 0x2
#define DISPATCH_PROPERTYPUT 0x4
#define DISPATCH_PROPERTYPUTREF 0x8

typedef struct IDispatchVtbl {
    HRESULT (*QueryInterface)(struct IDispatch* This, REFIID riid, void** ppvObject);
    uint32_t (*AddRef)(struct IDispatch* This);
    uint32_t (*Release)(struct IDispatch* This);
    /* Always 0 type descriptions; GetTypeInfo answers DISP_E_BADINDEX. */
    HRESULT (*GetTypeInfoCount)(struct IDispatch* This, uint32_t* pctinfo);
    HRESULT (*GetTypeInfo)(struct IDispatch* This, uint32_t iTInfo, LCID lcid, void** ppTInfo);
    /* Names compare without regard to case. An unknown name gets DISPID_UNKNOWN and the
     * result DISP_E_UNKNOWNNAME; only the first name (the member) is known, never a
     * parameter name. */
    HRESULT(*GetIDsOfNames)
    (struct IDispatch* This, REFIID riid, LPOLESTR* rgszNames, uint32_t cNames, LCID lcid,
     DISPID* rgDispId);
    /* riid must be IID_NULL (or null). A property put passes the new value as the only named
     * argument DISPID_PROPERTYPUT. On DISP_E_EXCEPTION *pExcepInfo holds the raised error,
     * with BSTRs the caller frees; on DISP_E_TYPEMISMATCH, DISP_E_BADVARTYPE or
     * DISP_E_OVERFLOW *puArgErr is the index into rgvarg of the argument at fault. */
    HRESULT(*Invoke)
    (struct IDispatch* This, DISPID dispIdMember, REFIID riid, LCID lcid, uint16_t wFlags,
     DISPPARAMS* pDispParams, VARIANT* pVarResult, EXCEPINFO* pExcepInfo, uint32_t* puArgErr);
} IDispatchVtbl;

typedef struct IDispatch {
    const IDispatchVtbl* lpVtbl;
} IDispatch;

typedef struct IClassFactoryVtbl {
    HRESULT (*QueryInterface)(struct IClassFactory* This, REFIID riid, void** ppvObject);
    uint32_t (*AddRef)(struct IClassFactory* This);
    uint32_t (*Release)(struct IClassFactory* This);
    /* pUnkOuter must be null (no aggregation). */
    HRESULT(*CreateInstance)
    (struct IClassFactory* This, IUnknown* pUnkOuter, REFIID riid, void** ppvObject);
    /* A nonzero fLock keeps the component loaded until the matching call with 0. */
    HRESULT (*LockServer)(struct IClassFactory* This, int fLock);
} IClassFactoryVtbl;

typedef struct IClassFactory {
    const IClassFactoryVtbl* lpVtbl;
} IClassFactory;

/* ---- VARIANT helpers ------------------------------------------------------------------- */

static inline void VariantInit(VARIANT* v) {
    memset(v, 0, sizeof *v);
}

/* Frees what the VARIANT owns (a string, an array, an interface reference) and empties it. */
static inline HRESULT VariantClear(VARIANT* v) {
    if (!v) {
        return E_POINTER;
    }
    if (!(v->vt & VT_BYREF)) {
        if (v->vt == VT_BSTR) {
            SysFreeString(v->bstrVal);
        } else if ((v->vt == VT_DISPATCH || v->vt == VT_UNKNOWN) && v->punkVal) {
            v->punkVal->lpVtbl->Release(v->punkVal);
        } else if (v->vt & VT_ARRAY) {
            SafeArrayDestroy(v->parray);
        }
    }
    VariantInit(v);
    return S_OK;
}

/* Frees the strings of an EXCEPINFO and empties it. */
static inline void FoliantClearExcepInfo(EXCEPINFO* info) {
    if (!info) {
        return;
    }
    SysFreeString(info->bstrSource);
    SysFreeString(info->bstrDescription);
    SysFreeString(info->bstrHelpFile);
    memset(info, 0, sizeof *info);
}

/* The error number a host reports for a raised error: wCode when set, the low word of a
 * control-facility scode (so 65534 comes back as 65534), else the scode itself. */
static inline int32_t FoliantErrorNumber(const EXCEPINFO* info) {
    uint32_t scode;
    if (!info) {
        return 0;
    }
    if (info->wCode) {
        return info->wCode;
    }
    scode = (uint32_t)info->scode;
    if ((scode & 0xFFFF0000u) == (0x80000000u | (FOLIANT_FACILITY_CONTROL << 16))) {
        return (int32_t)(scode & 0xFFFFu);
    }
    return info->scode;
}

/* ---- The four exports of a component --------------------------------------------------- */

typedef HRESULT (*LPFNGETCLASSOBJECT)(REFCLSID rclsid, REFIID riid, void** ppv);
typedef HRESULT (*LPFNCANUNLOADNOW)(void);
typedef HRESULT (*LPFNREGISTERSERVER)(void);

/* The class factory of rclsid as riid (IID_IClassFactory or IID_IUnknown).
 * CLASS_E_CLASSNOTAVAILABLE for a class the component does not make. */
FOLIANT_EXPORT HRESULT DllGetClassObject(REFCLSID rclsid, REFIID riid, void** ppv);
/* S_OK when no object the component handed out is alive and no lock is held, else S_FALSE. */
FOLIANT_EXPORT HRESULT DllCanUnloadNow(void);
/* Write / remove the component's classes, ProgIDs, interfaces and type library under
 * HKEY_CLASSES_ROOT. SELFREG_E_CLASS or SELFREG_E_TYPELIB when the registry refused. */
FOLIANT_EXPORT HRESULT DllRegisterServer(void);
FOLIANT_EXPORT HRESULT DllUnregisterServer(void);

/* ---- Registry helpers (the platform's, not a component's) ------------------------------ */

/* "{xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}" to a GUID; CO_E_CLASSSTRING when malformed. */
HRESULT CLSIDFromString(LPCOLESTR text, CLSID* clsid);
/* The braced upper-case form into text (cchMax >= 39); returns the characters written with
 * the terminating zero, 0 when the buffer is too small. */
int StringFromGUID2(REFGUID guid, LPOLESTR text, int cchMax);
/* The CLSID registered for a ProgID (HKEY_CLASSES_ROOT\ProgID\CLSID); a braced CLSID is
 * accepted as well. CO_E_CLASSSTRING when the ProgID is not registered. */
HRESULT CLSIDFromProgID(LPCOLESTR progId, CLSID* clsid);
/* The library registered as InprocServer32 of a class into path (size bytes with the zero).
 * REGDB_E_CLASSNOTREG when the class is not registered, E_NOT_SUFFICIENT_BUFFER when short. */
HRESULT FoliantGetInprocServer(REFCLSID clsid, char* path, uint32_t size);

#ifdef __cplusplus
}
#endif

#endif /* FOLIANT_AUTOMATION_H */

// The platform's class-lookup functions for hosts (C linkage).

#include "platform/automation/Guid.h"
#include "platform/automation/Registration.h"

#include <cstring>
#include <new>

using foliant::automation::FormatGuid;
using foliant::automation::ParseGuid;
namespace reg = foliant::automation::registration;

extern "C" {

HRESULT CLSIDFromString(LPCOLESTR text, CLSID* clsid) {
    if (!text || !clsid) {
        return E_POINTER;
    }
    const auto guid = ParseGuid(text);
    if (!guid) {
        return CO_E_CLASSSTRING;
    }
    *clsid = *guid;
    return S_OK;
}

int StringFromGUID2(REFGUID guid, LPOLESTR text, int cchMax) {
    if (!guid || !text) {
        return 0;
    }
    const std::string formatted = FormatGuid(*guid);
    if (cchMax < static_cast<int>(formatted.size()) + 1) {
        return 0;
    }
    std::memcpy(text, formatted.c_str(), formatted.size() + 1);
    return static_cast<int>(formatted.size()) + 1;
}

HRESULT CLSIDFromProgID(LPCOLESTR progId, CLSID* clsid) {
    if (!progId || !clsid) {
        return E_POINTER;
    }
    try {
        if (progId[0] == '{') {
            return CLSIDFromString(progId, clsid);
        }
        // A ProgID is one key name: a "\" would reach into another key.
        if (!*progId || std::strchr(progId, '\\')) {
            return CO_E_CLASSSTRING;
        }
        const auto text = reg::ReadText(std::string(progId) + "\\CLSID");
        const auto guid = text ? ParseGuid(*text) : std::nullopt;
        if (!guid) {
            return CO_E_CLASSSTRING;
        }
        *clsid = *guid;
        return S_OK;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

HRESULT FoliantGetInprocServer(REFCLSID clsid, char* path, uint32_t size) {
    if (!clsid || !path) {
        return E_POINTER;
    }
    try {
        const auto text = reg::ReadText("CLSID\\" + FormatGuid(*clsid) + "\\InprocServer32");
        if (!text) {
            return REGDB_E_CLASSNOTREG;
        }
        if (text->size() + 1 > size) {
            return E_NOT_SUFFICIENT_BUFFER;
        }
        std::memcpy(path, text->c_str(), text->size() + 1);
        return S_OK;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

} // extern "C"

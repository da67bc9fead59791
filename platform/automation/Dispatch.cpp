#include "platform/automation/Dispatch.h"

#include <cstdio>
#include <new>
#include <stdexcept>
#include <strings.h>

namespace foliant::automation {

std::int32_t ExcepInfo::Number() const {
    EXCEPINFO info{};
    info.wCode = wCode;
    info.scode = scode;
    return FoliantErrorNumber(&info);
}

HRESULT ScodeOfErrorNumber(std::int32_t number) {
    if (number > 0 && number <= 0xFFFF) {
        return static_cast<HRESULT>(0x80000000u | (FOLIANT_FACILITY_CONTROL << 16) |
                                    static_cast<std::uint32_t>(number));
    }
    // 0 would read as "no error" although the call failed.
    return number == 0 ? E_FAIL : number;
}

ExcepInfo ExcepInfoOf(const AutomationError& error) {
    ExcepInfo info;
    info.scode = ScodeOfErrorNumber(error.Number());
    info.source = error.Source();
    info.description = error.Description();
    return info;
}

namespace {
struct HostError {
    HRESULT hr;
    std::int32_t number;
    const char* description;
};

// The errors a host reports for failed calls that raised nothing themselves.
constexpr HostError kHostErrors[] = {
    {DISP_E_TYPEMISMATCH, kTypeMismatch, "Type mismatch"},
    {DISP_E_OVERFLOW, kOverflow, "Overflow"},
    {DISP_E_MEMBERNOTFOUND, kNoSuchMember, "Object doesn't support this property or method"},
    {DISP_E_UNKNOWNNAME, kNoSuchMember, "Object doesn't support this property or method"},
    {DISP_E_BADPARAMCOUNT, kWrongArgumentCount,
     "Wrong number of arguments or invalid property assignment"},
    {DISP_E_PARAMNOTOPTIONAL, kArgumentNotOptional, "Argument not optional"},
    {DISP_E_BADVARTYPE, kTypeMismatch, "Type mismatch"},
    {DISP_E_NONAMEDARGS, kInvalidProcedureCall, "Invalid procedure call or argument"},
    {E_INVALIDARG, kInvalidProcedureCall, "Invalid procedure call or argument"},
    {E_OUTOFMEMORY, kOutOfMemory, "Out of memory"},
    {E_NOINTERFACE, kNoSuchInterface,
     "Class does not support Automation or does not support expected interface"},
    {CLASS_E_CLASSNOTAVAILABLE, kCannotCreateObject, "Component can't create object"},
    {REGDB_E_CLASSNOTREG, kCannotCreateObject, "Component can't create object"},
    {CO_E_CLASSSTRING, kCannotCreateObject, "Component can't create object"},
};
} // namespace

AutomationError ErrorOfResult(HRESULT hr, const ExcepInfo* info) {
    if (hr == DISP_E_EXCEPTION && info) {
        return AutomationError(info->Number(), info->source, info->description);
    }
    for (const auto& e : kHostErrors) {
        if (e.hr == hr) {
            return AutomationError(e.number, "", e.description);
        }
    }
    char text[64];
    std::snprintf(text, sizeof text, "Automation error 0x%08X",
                  static_cast<unsigned>(static_cast<std::uint32_t>(hr)));
    return AutomationError(hr, "", text);
}

void CheckResult(HRESULT hr, const ExcepInfo* info) {
    if (FAILED(hr)) {
        throw ErrorOfResult(hr, info);
    }
}

DispatchTable::DispatchTable(GUID interfaceId, std::string interfaceName,
                             std::vector<Member> members)
    : interfaceId_(interfaceId), interfaceName_(std::move(interfaceName)),
      members_(std::move(members)) {
    for (std::size_t i = 0; i < members_.size(); ++i) {
        const Member& m = members_[i];
        if (!m.handler) {
            throw std::logic_error("member " + m.name + " has no handler");
        }
        for (std::size_t j = 0; j < i; ++j) {
            const Member& other = members_[j];
            const bool sameName = ::strcasecmp(m.name.c_str(), other.name.c_str()) == 0;
            if ((m.dispid == other.dispid) != sameName) {
                throw std::logic_error("members " + other.name + " and " + m.name +
                                       " must share both name and dispatch id or neither");
            }
            if (m.dispid == other.dispid && m.kind == other.kind) {
                throw std::logic_error("member " + m.name + " is declared twice");
            }
        }
    }
}

std::optional<DISPID> DispatchTable::IdOfName(std::string_view name) const {
    for (const Member& m : members_) {
        if (m.name.size() == name.size() &&
            ::strncasecmp(m.name.data(), name.data(), name.size()) == 0) {
            return m.dispid;
        }
    }
    return std::nullopt;
}

bool DispatchTable::HasId(DISPID id) const {
    for (const Member& m : members_) {
        if (m.dispid == id) {
            return true;
        }
    }
    return false;
}

const Member* DispatchTable::Find(DISPID id, MemberKind kind) const {
    for (const Member& m : members_) {
        if (m.dispid == id && m.kind == kind) {
            return &m;
        }
    }
    return nullptr;
}

HRESULT Dispatchable::GetIDsOfNames(std::span<const std::string> names, std::span<DISPID> ids) {
    if (names.size() != ids.size()) {
        return E_INVALIDARG;
    }
    HRESULT hr = S_OK;
    for (std::size_t i = 0; i < names.size(); ++i) {
        std::optional<DISPID> id;
        if (i == 0) {
            id = Dispatch().IdOfName(names[0]);
        }
        ids[i] = id.value_or(DISPID_UNKNOWN);
        if (!id) {
            hr = DISP_E_UNKNOWNNAME;
        }
    }
    return hr;
}

namespace {
constexpr std::uint16_t kAllFlags =
    DISPATCH_METHOD | DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF;

const Member* Select(const DispatchTable& table, DISPID id, std::uint16_t flags,
                     std::span<const Variant> args) {
    const bool get = flags & (DISPATCH_METHOD | DISPATCH_PROPERTYGET);
    const bool put = flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF);
    if (get && put) {
        return nullptr;
    }
    if (get) {
        const Member* m = nullptr;
        if (flags & DISPATCH_METHOD) {
            m = table.Find(id, MemberKind::Method);
        }
        if (!m && (flags & DISPATCH_PROPERTYGET)) {
            m = table.Find(id, MemberKind::PropertyGet);
        }
        return m;
    }
    const bool both = (flags & DISPATCH_PROPERTYPUT) && (flags & DISPATCH_PROPERTYPUTREF);
    if (both) {
        // A host that does not know which assignment the member takes: an object goes by
        // reference when the member offers that.
        const bool isObject = !args.empty() && args.back().Holds<std::shared_ptr<Object>>();
        const Member* ref = table.Find(id, MemberKind::PropertyPutRef);
        const Member* value = table.Find(id, MemberKind::PropertyPut);
        return isObject ? (ref ? ref : value) : (value ? value : ref);
    }
    return table.Find(id, (flags & DISPATCH_PROPERTYPUT) ? MemberKind::PropertyPut
                                                         : MemberKind::PropertyPutRef);
}
} // namespace

HRESULT Dispatchable::Invoke(DISPID id, std::uint16_t flags, std::span<const Variant> args,
                             Variant* result, ExcepInfo* excep, std::uint32_t* argErr) {
    if (flags == 0 || (flags & ~kAllFlags) != 0) {
        return E_INVALIDARG;
    }
    try {
        const DispatchTable& table = Dispatch();
        if (!table.HasId(id)) {
            return DISP_E_MEMBERNOTFOUND;
        }
        const Member* member = Select(table, id, flags, args);
        if (!member) {
            return DISP_E_MEMBERNOTFOUND;
        }
        if (args.size() != member->argumentCount) {
            return DISP_E_BADPARAMCOUNT;
        }
        Variant value = member->handler(*this, args);
        if (result) {
            *result = std::move(value);
        }
        return S_OK;
    } catch (const ArgumentFailure& failure) {
        if (argErr) {
            *argErr = static_cast<std::uint32_t>(failure.index);
        }
        return failure.result;
    } catch (const AutomationError& error) {
        if (excep) {
            *excep = ExcepInfoOf(error);
        }
        return DISP_E_EXCEPTION;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (const std::exception& error) {
        if (excep) {
            *excep = ExcepInfo{};
            excep->scode = E_FAIL;
            excep->description = error.what();
        }
        return DISP_E_EXCEPTION;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

Variant CallByName(const std::shared_ptr<Object>& object, std::string_view name,
                   std::uint16_t flags, std::vector<Variant> args) {
    if (!object) {
        throw ObjectNotSetError();
    }
    auto target = std::dynamic_pointer_cast<Dispatchable>(object);
    if (!target) {
        CheckResult(DISP_E_MEMBERNOTFOUND);
    }
    const std::string names[] = {std::string(name)};
    DISPID id = DISPID_UNKNOWN;
    CheckResult(target->GetIDsOfNames(names, std::span<DISPID>(&id, 1)));
    Variant result;
    ExcepInfo excep;
    std::uint32_t argErr = 0;
    CheckResult(target->Invoke(id, flags, args, &result, &excep, &argErr), &excep);
    return result;
}

} // namespace foliant::automation

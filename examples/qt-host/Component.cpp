#include "Component.h"

#include <cstring>
#include <utility>
#include <vector>

namespace qthost {

namespace {

Object Create(const CLSID& clsid, const char* name) {
    IClassFactory* factory = nullptr;
    HRESULT hr = DllGetClassObject(&clsid, &IID_IClassFactory, reinterpret_cast<void**>(&factory));
    IDispatch* object = nullptr;
    if (SUCCEEDED(hr)) {
        hr = factory->lpVtbl->CreateInstance(factory, nullptr, &IID_IDispatch,
                                             reinterpret_cast<void**>(&object));
        factory->lpVtbl->Release(factory);
    }
    if (FAILED(hr)) {
        throw ComponentError(hr, QStringLiteral("Cannot create %1.").arg(QLatin1String(name)));
    }
    return Object(object);
}

VARIANT Text(const QString& text) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_BSTR;
    v.bstrVal = SysAllocString(text.toUtf8().constData());
    return v;
}

VARIANT Reference(const Object& object) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_DISPATCH;
    v.pdispVal = object.Get();
    return v;
}

// Calls a member with its arguments (the first argument first); the result, which the caller
// clears. Throws ComponentError with the component's error.
VARIANT Call(const Object& object, DISPID member, std::uint16_t flags, std::vector<VARIANT> args) {
    std::vector<VARIANT> reversed(args.rbegin(), args.rend());
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params{reversed.data(), nullptr, static_cast<std::uint32_t>(reversed.size()), 0};
    if ((flags & DISPATCH_PROPERTYPUTREF) != 0) {
        params.rgdispidNamedArgs = &named;
        params.cNamedArgs = 1;
    }
    VARIANT result;
    VariantInit(&result);
    EXCEPINFO error;
    std::memset(&error, 0, sizeof error);
    std::uint32_t argError = 0;
    IDispatch* dispatch = object.Get();
    const HRESULT hr = dispatch->lpVtbl->Invoke(dispatch, member, &IID_NULL, 0, flags, &params,
                                                &result, &error, &argError);
    for (VARIANT& arg : args) {
        if (arg.vt == VT_BSTR) {
            VariantClear(&arg); // the strings are ours; the references are not
        }
    }
    if (FAILED(hr)) {
        const int number = hr == DISP_E_EXCEPTION ? FoliantErrorNumber(&error) : hr;
        const QString description = QString::fromUtf8(error.bstrDescription);
        FoliantClearExcepInfo(&error);
        throw ComponentError(number, description);
    }
    return result;
}

} // namespace

Object::Object(const Object& other) : dispatch_(other.dispatch_) {
    if (dispatch_ != nullptr) {
        dispatch_->lpVtbl->AddRef(dispatch_);
    }
}

Object& Object::operator=(Object other) {
    std::swap(dispatch_, other.dispatch_);
    return *this;
}

Object::~Object() {
    if (dispatch_ != nullptr) {
        dispatch_->lpVtbl->Release(dispatch_);
    }
}

Foliant::Foliant()
    : opener_(Create(CLSID_ReportOpener, "ReportOpener")),
      wizard_(Create(CLSID_VRStandardWizard, "VRStandardWizard")) {}

Object Foliant::NewReport(const QString& databasePath) {
    VARIANT result = Call(opener_, DISPID_NewReport, DISPATCH_METHOD, {Text(databasePath)});
    if (result.vt != VT_DISPATCH) {
        VariantClear(&result);
        throw ComponentError(0, QStringLiteral("NewReport gave no report."));
    }
    return Object(result.pdispVal); // takes the result's reference
}

void Foliant::RunWizard(const Object& report) {
    Call(wizard_, DISPID_VellumReport, DISPATCH_PROPERTYPUTREF, {Reference(report)});
    Call(wizard_, DISPID_DisplayReportWizard, DISPATCH_METHOD, {});
}

QString Foliant::DescribeReport(const Object& report) {
    VARIANT result = Call(opener_, DISPID_DescribeReport, DISPATCH_METHOD, {Reference(report)});
    const QString text = result.vt == VT_BSTR ? QString::fromUtf8(result.bstrVal) : QString();
    VariantClear(&result);
    return text;
}

} // namespace qthost

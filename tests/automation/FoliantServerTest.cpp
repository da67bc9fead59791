// The wizard component's identity as hosts and the registry see it, declared the way the
// component declares its class (a stand-in class with the same two members).

#include "platform/automation/FoliantServer.h"

#include "tests/winreg/TempRegistry.h"

#include <gtest/gtest.h>

using namespace foliant::automation;

namespace {

class WizardShape : public Dispatchable {
public:
    std::shared_ptr<Object> VellumReport() const { return report_; }
    void SetVellumReport(std::shared_ptr<Object> report) { report_ = std::move(report); }
    void DisplayReportWizard() { ++shown; }
    int shown = 0;

protected:
    const DispatchTable& Dispatch() const override {
        static const DispatchTable table(
            IID__VRStandardWizard, kVRStandardWizardInterfaceName,
            {
                PropertyGet("VellumReport", DISPID_VellumReport, &WizardShape::VellumReport),
                PropertyPutRef("VellumReport", DISPID_VellumReport, &WizardShape::SetVellumReport),
                Method("DisplayReportWizard", DISPID_DisplayReportWizard,
                       &WizardShape::DisplayReportWizard),
            });
        return table;
    }

private:
    std::shared_ptr<Object> report_;
};

const ServerModule& Module() {
    static const ServerModule module(GeodyneFoliantLibrary(), {VRStandardWizardClass([] {
                                         return std::make_shared<WizardShape>();
                                     })});
    return module;
}

} // namespace

TEST(FoliantServer, RegistersTheProgIdClassInterfaceAndTypeLibrary) {
    foliant::testing::TempRegistry registry;
    ASSERT_EQ(Module().RegisterServer(), S_OK);
    CLSID clsid{};
    ASSERT_EQ(CLSIDFromProgID("geodyneFoliant.VRStandardWizard", &clsid), S_OK);
    EXPECT_TRUE(clsid == CLSID_VRStandardWizard);
    char path[4096];
    EXPECT_EQ(FoliantGetInprocServer(&clsid, path, sizeof path), S_OK);
    EXPECT_EQ(path, Module().ModulePath());
    ASSERT_EQ(Module().UnregisterServer(), S_OK);
    EXPECT_EQ(CLSIDFromProgID("geodyneFoliant.VRStandardWizard", &clsid), CO_E_CLASSSTRING);
}

TEST(FoliantServer, TheClassAnswersItsInterfaceAndItsTwoMembersByTheirIds) {
    void* p = nullptr;
    ASSERT_EQ(Module().GetClassObject(&CLSID_VRStandardWizard, &IID_IClassFactory, &p), S_OK);
    auto* factory = static_cast<IClassFactory*>(p);
    void* object = nullptr;
    ASSERT_EQ(factory->lpVtbl->CreateInstance(factory, nullptr, &IID__VRStandardWizard, &object),
              S_OK);
    factory->lpVtbl->Release(factory);
    auto* wizard = static_cast<IDispatch*>(object);

    char report[] = "vellumreport";
    char display[] = "DISPLAYREPORTWIZARD";
    LPOLESTR names[] = {report, display};
    DISPID id = 0;
    ASSERT_EQ(wizard->lpVtbl->GetIDsOfNames(wizard, &IID_NULL, &names[0], 1, 0, &id), S_OK);
    EXPECT_EQ(id, 0x68030000);
    ASSERT_EQ(wizard->lpVtbl->GetIDsOfNames(wizard, &IID_NULL, &names[1], 1, 0, &id), S_OK);
    EXPECT_EQ(id, 0x60030001);

    // Read before any assignment: no object. A plain put (not by reference) is refused.
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    VARIANT result;
    VariantInit(&result);
    ASSERT_EQ(wizard->lpVtbl->Invoke(wizard, 0x68030000, &IID_NULL, 0, DISPATCH_PROPERTYGET, &none,
                                     &result, nullptr, nullptr),
              S_OK);
    EXPECT_EQ(result.vt, VT_DISPATCH);
    EXPECT_EQ(result.pdispVal, nullptr);
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_DISPATCH;
    DISPID putId = DISPID_PROPERTYPUT;
    DISPPARAMS put{&value, &putId, 1, 1};
    EXPECT_EQ(wizard->lpVtbl->Invoke(wizard, 0x68030000, &IID_NULL, 0, DISPATCH_PROPERTYPUT, &put,
                                     nullptr, nullptr, nullptr),
              DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(wizard->lpVtbl->Invoke(wizard, 0x68030000, &IID_NULL, 0, DISPATCH_PROPERTYPUTREF,
                                     &put, nullptr, nullptr, nullptr),
              S_OK);
    EXPECT_EQ(wizard->lpVtbl->Invoke(wizard, 0x60030001, &IID_NULL, 0, DISPATCH_METHOD, &none,
                                     nullptr, nullptr, nullptr),
              S_OK);
    EXPECT_EQ(
        std::dynamic_pointer_cast<WizardShape>(FromDispatch(reinterpret_cast<IUnknown*>(wizard)))
            ->shown,
        1);
    EXPECT_EQ(wizard->lpVtbl->Release(wizard), 0u);
    EXPECT_EQ(Module().CanUnloadNow(), S_OK);
}

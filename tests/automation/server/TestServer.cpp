// A small in-process component for the automation tests: one creatable class, Recorder, with
// the members a wizard-like class has (a value property, an object property put by reference
// that casts what it gets, methods that raise errors), exporting nothing but the four entry
// points.

#include "tests/automation/server/TestServerIds.h"

#include "platform/automation/Server.h"

#include <memory>
#include <string>

namespace foliant::automation::testserver {
namespace {

// Numbers of the errors Check raises, counting down per thread from 65535 like the wizard's.
thread_local std::int32_t t_checkNumber = 65535;

class Recorder : public Dispatchable {
public:
    std::int32_t Value() const { return value_; }
    void SetValue(std::int32_t value) { value_ = value; }
    std::string Text() const { return text_; }
    void SetText(std::string text) { text_ = std::move(text); }

    std::shared_ptr<Object> Item() const { return item_; }
    // Keeps whatever it is given, then insists on a Recorder.
    void SetItem(std::shared_ptr<Object> item) {
        item_ = std::move(item);
        Cast<Recorder>(item_);
    }

    std::int32_t Add(std::int32_t amount) {
        value_ += amount;
        return value_;
    }

    void Raise(std::int32_t number, std::string description) {
        throw AutomationError(number, kSource, std::move(description));
    }

    void Check() {
        --t_checkNumber;
        throw AutomationError(t_checkNumber, "", kCheckDescription);
    }

protected:
    const DispatchTable& Dispatch() const override {
        static const DispatchTable table(IID__Recorder, "_Recorder",
                                         {
                                             PropertyGet("Value", kValueId, &Recorder::Value),
                                             PropertyPut("Value", kValueId, &Recorder::SetValue),
                                             PropertyGet("Text", kTextId, &Recorder::Text),
                                             PropertyPut("Text", kTextId, &Recorder::SetText),
                                             PropertyGet("Item", kItemId, &Recorder::Item),
                                             PropertyPutRef("Item", kItemId, &Recorder::SetItem),
                                             Method("Add", kAddId, &Recorder::Add),
                                             Method("Raise", kRaiseId, &Recorder::Raise),
                                             Method("Check", kCheckId, &Recorder::Check),
                                         });
        return table;
    }

private:
    std::int32_t value_ = 0;
    std::string text_;
    std::shared_ptr<Object> item_;
};

const ServerModule& Module() {
    static const ServerModule module(
        {LIBID_RecorderLibrary, "FoliantTestLibrary", 1, 0, "Foliant automation test library"},
        {{CLSID_Recorder, "Recorder", kRecorderProgId, IID__Recorder, "_Recorder", [] {
              t_checkNumber = 65535;
              return std::make_shared<Recorder>();
          }}});
    return module;
}

} // namespace
} // namespace foliant::automation::testserver

FOLIANT_AUTOMATION_DEFINE_EXPORTS(foliant::automation::testserver::Module())

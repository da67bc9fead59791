#include "platform/automation/Dispatch.h"

#include <gtest/gtest.h>

#include <stdexcept>

using namespace foliant::automation;

namespace {

constexpr GUID IID__Account = Guid("{3C0B2D1E-5F60-4A7B-8C9D-0E1F2A3B4C5D}");

class Part : public Object {};

class Account : public Dispatchable {
public:
    std::int32_t Balance() const { return balance_; }
    void SetBalance(std::int32_t v) { balance_ = v; }
    std::shared_ptr<Object> Owner() const { return owner_; }
    void SetOwner(std::shared_ptr<Object> o) { owner_ = std::move(o); }
    std::string Describe(std::int16_t times, std::string word) const {
        std::string s;
        for (int i = 0; i < times; ++i) {
            s += word;
        }
        return s;
    }
    void Fail(std::int32_t number) { throw AutomationError(number, "Bank", "Refused"); }
    void Crash() { throw std::runtime_error("disk on fire"); }
    void Attach(std::shared_ptr<Part> part) { part_ = std::move(part); }
    std::int32_t Count() { return ++count_; }

    int putCalls = 0;
    void SetBalanceByValue(std::int32_t v) {
        ++putCalls;
        balance_ = v;
    }

protected:
    const DispatchTable& Dispatch() const override {
        static const DispatchTable table(IID__Account, "_Account",
                                         {
                                             PropertyGet("Balance", 1, &Account::Balance),
                                             PropertyPut("Balance", 1, &Account::SetBalance),
                                             PropertyGet("Owner", 2, &Account::Owner),
                                             PropertyPutRef("Owner", 2, &Account::SetOwner),
                                             Method("Describe", 3, &Account::Describe),
                                             Method("Fail", 4, &Account::Fail),
                                             Method("Crash", 5, &Account::Crash),
                                             Method("Attach", 6, &Account::Attach),
                                             Method("Count", 7, &Account::Count),
                                         });
        return table;
    }

private:
    std::int32_t balance_ = 0;
    std::int32_t count_ = 0;
    std::shared_ptr<Object> owner_;
    std::shared_ptr<Part> part_;
};

struct Call {
    HRESULT hr = S_OK;
    Variant result;
    ExcepInfo excep;
    std::uint32_t argErr = 99;
};

Call Invoke(Dispatchable& d, DISPID id, std::uint16_t flags, std::vector<Variant> args = {}) {
    Call c;
    c.hr = d.Invoke(id, flags, args, &c.result, &c.excep, &c.argErr);
    return c;
}

} // namespace

TEST(DispatchTable, NamesAreFoundWithoutRegardToCaseAndUnknownNamesAreRefused) {
    Account a;
    std::vector<std::string> names = {"bALANCE"};
    DISPID id = 0;
    EXPECT_EQ(a.GetIDsOfNames(names, std::span(&id, 1)), S_OK);
    EXPECT_EQ(id, 1);

    names = {"Balances"};
    EXPECT_EQ(a.GetIDsOfNames(names, std::span(&id, 1)), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(id, DISPID_UNKNOWN);

    // A member followed by a parameter name: parameter names are never known.
    names = {"Describe", "times"};
    DISPID ids[2] = {0, 0};
    EXPECT_EQ(a.GetIDsOfNames(names, ids), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(ids[0], 3);
    EXPECT_EQ(ids[1], DISPID_UNKNOWN);
}

TEST(DispatchTable, InconsistentDeclarationsAreRejected) {
    auto get = [](const std::string& name, DISPID id) {
        return PropertyGet(name, id, &Account::Balance);
    };
    // Same id, different name.
    EXPECT_THROW(DispatchTable(IID_NULL, "", {get("A", 1), Method("B", 1, &Account::Count)}),
                 std::logic_error);
    // Same name, different id.
    EXPECT_THROW(DispatchTable(IID_NULL, "", {get("A", 1), Method("a", 2, &Account::Count)}),
                 std::logic_error);
    // The same access declared twice.
    EXPECT_THROW(DispatchTable(IID_NULL, "", {get("A", 1), get("A", 1)}), std::logic_error);
    EXPECT_NO_THROW(DispatchTable(IID_NULL, "", {get("A", 1), Method("B", 2, &Account::Count)}));
}

TEST(Invoke, PropertiesAndMethodsConvertArgumentsAndResults) {
    Account a;
    EXPECT_EQ(Invoke(a, 1, DISPATCH_PROPERTYPUT, {Variant("42")}).hr, S_OK);
    const Call get = Invoke(a, 1, DISPATCH_PROPERTYGET);
    EXPECT_EQ(get.hr, S_OK);
    EXPECT_EQ(get.result, Variant(42));

    const Call describe = Invoke(a, 3, DISPATCH_METHOD, {Variant(2.0), Variant("ab")});
    EXPECT_EQ(describe.hr, S_OK);
    EXPECT_EQ(describe.result, Variant("abab"));

    // A host that does not know whether a name is a method or a property asks for both.
    EXPECT_EQ(Invoke(a, 1, DISPATCH_METHOD | DISPATCH_PROPERTYGET).result, Variant(42));
    EXPECT_EQ(Invoke(a, 7, DISPATCH_METHOD | DISPATCH_PROPERTYGET).result, Variant(1));
    // A method's result may be ignored.
    EXPECT_EQ(a.Invoke(7, DISPATCH_METHOD, {}, nullptr, nullptr, nullptr), S_OK);
    EXPECT_EQ(Invoke(a, 7, DISPATCH_METHOD).result, Variant(3));
}

TEST(Invoke, WrongAccessUnknownIdsAndArgumentCountsAreRefused) {
    Account a;
    EXPECT_EQ(Invoke(a, 99, DISPATCH_METHOD).hr, DISP_E_MEMBERNOTFOUND);
    // Owner is put by reference only; Describe is no property.
    EXPECT_EQ(Invoke(a, 2, DISPATCH_PROPERTYPUT, {Variant(std::shared_ptr<Object>())}).hr,
              DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(Invoke(a, 3, DISPATCH_PROPERTYGET, {Variant(1), Variant("x")}).hr,
              DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(Invoke(a, 1, DISPATCH_METHOD).hr, DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(Invoke(a, 3, DISPATCH_METHOD, {Variant(1)}).hr, DISP_E_BADPARAMCOUNT);
    EXPECT_EQ(Invoke(a, 1, DISPATCH_PROPERTYPUT).hr, DISP_E_BADPARAMCOUNT);
    EXPECT_EQ(Invoke(a, 1, 0).hr, E_INVALIDARG);
    EXPECT_EQ(Invoke(a, 1, 0x10).hr, E_INVALIDARG);
    EXPECT_EQ(Invoke(a, 1, DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT, {Variant(1)}).hr,
              DISP_E_MEMBERNOTFOUND);
}

TEST(Invoke, AnArgumentThatDoesNotConvertIsATypeMismatchNamingTheArgument) {
    Account a;
    const Call c = Invoke(a, 3, DISPATCH_METHOD, {Variant(2), Variant(std::shared_ptr<Object>())});
    EXPECT_EQ(c.hr, DISP_E_TYPEMISMATCH);
    EXPECT_EQ(c.argErr, 1u);
    // The first failing argument is the one reported.
    const Call both = Invoke(a, 3, DISPATCH_METHOD, {Variant("two"), Variant(ByteArray{1})});
    EXPECT_EQ(both.argErr, 0u);
    const Call overflow = Invoke(a, 3, DISPATCH_METHOD, {Variant(70000), Variant("x")});
    EXPECT_EQ(overflow.hr, DISP_E_OVERFLOW);
    EXPECT_EQ(ErrorOfResult(c.hr).Number(), kTypeMismatch);
    EXPECT_EQ(ErrorOfResult(c.hr).Description(), "Type mismatch");
}

TEST(Invoke, AnObjectOfTheWrongInterfaceIsATypeMismatch) {
    Account a;
    EXPECT_EQ(Invoke(a, 6, DISPATCH_METHOD, {Variant(std::make_shared<Account>())}).hr,
              DISP_E_TYPEMISMATCH);
    EXPECT_EQ(Invoke(a, 6, DISPATCH_METHOD, {Variant(std::make_shared<Part>())}).hr, S_OK);
    // Nothing is a valid reference of any interface.
    EXPECT_EQ(Invoke(a, 6, DISPATCH_METHOD, {Variant(std::shared_ptr<Object>())}).hr, S_OK);
    // Empty is not an object.
    EXPECT_EQ(Invoke(a, 6, DISPATCH_METHOD, {Variant()}).hr, DISP_E_TYPEMISMATCH);
}

TEST(Invoke, PutAndPutRefTogetherChooseByTheValue) {
    Account a;
    auto owner = std::make_shared<Part>();
    const std::uint16_t both = DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF;
    EXPECT_EQ(Invoke(a, 2, both, {Variant(std::static_pointer_cast<Object>(owner))}).hr, S_OK);
    EXPECT_EQ(a.Owner(), owner);
    EXPECT_EQ(Invoke(a, 1, both, {Variant(5)}).hr, S_OK);
    EXPECT_EQ(a.Balance(), 5);
}

TEST(Invoke, RaisedErrorsReachTheCallerUnchanged) {
    Account a;
    Call c = Invoke(a, 4, DISPATCH_METHOD, {Variant(65534)});
    EXPECT_EQ(c.hr, DISP_E_EXCEPTION);
    EXPECT_EQ(c.excep.scode, static_cast<HRESULT>(0x800AFFFEu));
    EXPECT_EQ(c.excep.wCode, 0);
    EXPECT_EQ(c.excep.Number(), 65534);
    EXPECT_EQ(c.excep.source, "Bank");
    EXPECT_EQ(c.excep.description, "Refused");

    const AutomationError e = ErrorOfResult(c.hr, &c.excep);
    EXPECT_EQ(e.Number(), 65534);
    EXPECT_EQ(e.Source(), "Bank");
    EXPECT_EQ(e.Description(), "Refused");

    // Numbers that are HRESULTs already travel as they are.
    c = Invoke(a, 4, DISPATCH_METHOD, {Variant(static_cast<std::int32_t>(0x80040201u))});
    EXPECT_EQ(c.excep.scode, static_cast<HRESULT>(0x80040201u));
    EXPECT_EQ(c.excep.Number(), static_cast<std::int32_t>(0x80040201u));

    // Error 0 would read as success on the host's side.
    c = Invoke(a, 4, DISPATCH_METHOD, {Variant(0)});
    EXPECT_EQ(c.hr, DISP_E_EXCEPTION);
    EXPECT_EQ(c.excep.scode, E_FAIL);
    EXPECT_NE(c.excep.Number(), 0);

    // Any other exception is still an error with its text, never a crash or a silent success.
    c = Invoke(a, 5, DISPATCH_METHOD);
    EXPECT_EQ(c.hr, DISP_E_EXCEPTION);
    EXPECT_EQ(c.excep.scode, E_FAIL);
    EXPECT_EQ(c.excep.description, "disk on fire");
}

TEST(ErrorOfResult, FailedCallsMapToTheHostsErrorNumbers) {
    struct Case {
        HRESULT hr;
        std::int32_t number;
    } cases[] = {
        {DISP_E_TYPEMISMATCH, 13},   {DISP_E_MEMBERNOTFOUND, 438}, {DISP_E_UNKNOWNNAME, 438},
        {DISP_E_BADPARAMCOUNT, 450}, {DISP_E_OVERFLOW, 6},         {E_NOINTERFACE, 430},
        {E_OUTOFMEMORY, 7},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ErrorOfResult(c.hr).Number(), c.number) << std::hex << c.hr;
    }
    // A result with no host error keeps its value and says it.
    EXPECT_EQ(ErrorOfResult(E_UNEXPECTED).Number(), E_UNEXPECTED);
    EXPECT_EQ(ErrorOfResult(E_UNEXPECTED).Description(), "Automation error 0x8000FFFF");
    EXPECT_NO_THROW(CheckResult(S_FALSE));
    EXPECT_THROW(CheckResult(DISP_E_BADPARAMCOUNT), AutomationError);
}

TEST(CallByName, CallsByNameAndRaisesFailuresAsErrors) {
    auto a = std::make_shared<Account>();
    CallByName(a, "balance", DISPATCH_PROPERTYPUT, {Variant(7)});
    EXPECT_EQ(CallByName(a, "Balance", DISPATCH_PROPERTYGET), Variant(7));
    try {
        CallByName(a, "Fail", DISPATCH_METHOD, {Variant(65533)});
        FAIL() << "no error raised";
    } catch (const AutomationError& e) {
        EXPECT_EQ(e.Number(), 65533);
        EXPECT_EQ(e.Description(), "Refused");
    }
    try {
        CallByName(a, "Withdraw", DISPATCH_METHOD);
        FAIL() << "no error raised";
    } catch (const AutomationError& e) {
        EXPECT_EQ(e.Number(), kNoSuchMember);
    }
    // An object without members, and Nothing.
    EXPECT_THROW(CallByName(std::make_shared<Part>(), "Balance", DISPATCH_PROPERTYGET),
                 AutomationError);
    try {
        CallByName(nullptr, "Balance", DISPATCH_PROPERTYGET);
        FAIL() << "no error raised";
    } catch (const AutomationError& e) {
        EXPECT_EQ(e.Number(), kObjectNotSet);
    }
}

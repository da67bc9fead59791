#include "registry/RegObject.h"

#include "platform/winreg/WinReg.h"
#include "tests/winreg/TempRegistry.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

using foliant::automation::AutomationError;
using foliant::automation::ByteArray;
using foliant::automation::Date;
using foliant::registry::RegObject;
using foliant::registry::Variant;
namespace wr = foliant::winreg;

namespace {

constexpr std::int32_t kCurrentUser = static_cast<std::int32_t>(wr::HKEY_CURRENT_USER);
constexpr std::int32_t kClassesRoot = static_cast<std::int32_t>(wr::HKEY_CLASSES_ROOT);
const std::string kNotFound = "The system cannot find the file specified.";
const std::string kInvalidData = "The data is invalid.";

// Type and bytes of a stored value, read past RegObject.
std::pair<wr::DWORD, std::string> Stored(wr::HKEY root, const std::string& key,
                                         const std::string& name) {
    wr::HKEY handle = 0;
    if (wr::RegOpenKeyExA(root, key.c_str(), 0, wr::KEY_READ, &handle) != 0) {
        return {0, "<no key>"};
    }
    wr::DWORD type = 0;
    wr::DWORD size = 0;
    std::string data;
    if (wr::RegQueryValueExA(handle, name.c_str(), nullptr, &type, nullptr, &size) == 0) {
        data.resize(size);
        wr::RegQueryValueExA(handle, name.c_str(), nullptr, &type,
                             reinterpret_cast<wr::BYTE*>(data.data()), &size);
    } else {
        data = "<no value>";
    }
    wr::RegCloseKey(handle);
    return {type, data};
}

void StoreRaw(const std::string& key, const std::string& name, wr::DWORD type,
              const std::string& bytes) {
    wr::HKEY handle = 0;
    ASSERT_EQ(wr::RegCreateKeyExA(wr::HKEY_CURRENT_USER, key.c_str(), 0, "", 0, wr::KEY_ALL_ACCESS,
                                  nullptr, &handle, nullptr),
              0);
    ASSERT_EQ(wr::RegSetValueExA(handle, name.c_str(), 0, type,
                                 reinterpret_cast<const wr::BYTE*>(bytes.data()),
                                 static_cast<wr::DWORD>(bytes.size())),
              0);
    wr::RegCloseKey(handle);
}

// Runs action and returns the error it raised; fails the test when it raised none.
AutomationError RaisedBy(const std::function<void()>& action) {
    try {
        action();
    } catch (const AutomationError& e) {
        return e;
    }
    ADD_FAILURE() << "nothing was raised";
    return AutomationError(0, "", "");
}

class RegObjectTest : public ::testing::Test {
protected:
    RegObjectTest() {
        reg.ClassKey(kCurrentUser);
        reg.SubKey("Software\\Geodyne\\Vellum Reports");
    }
    foliant::testing::TempRegistry registry;
    RegObject reg;
};

TEST(RegObjectDefaults, ANewObjectAndTheRaiseSwitches) {
    RegObject reg;
    EXPECT_EQ(reg.ClassKey(), 0);
    EXPECT_TRUE(reg.Default().IsEmpty());
    EXPECT_EQ(reg.LastError(), "");
    EXPECT_FALSE(reg.RaiseWriteError());
    EXPECT_FALSE(reg.RaiseAllErrors());
    EXPECT_EQ(reg.SubKey(), "");
    EXPECT_EQ(reg.ValueName(), "");
    EXPECT_EQ(reg.ValueType(), 1);

    reg.RaiseAllErrors(true);
    reg.RaiseWriteError(true);
    EXPECT_TRUE(reg.RaiseWriteError());
    EXPECT_FALSE(reg.RaiseAllErrors()) << "raising write errors only turns the other off";
    reg.RaiseAllErrors(true);
    EXPECT_TRUE(reg.RaiseWriteError()) << "the reverse is not true";
    reg.RaiseWriteError(false);
    EXPECT_TRUE(reg.RaiseAllErrors());
}

TEST_F(RegObjectTest, TextsRoundTripAndTheKeyIsCreatedOnWrite) {
    reg.ValueName("Viewer Window State");
    reg.Value(Variant("2"));
    EXPECT_EQ(reg.LastError(), "");
    EXPECT_EQ(Stored(wr::HKEY_CURRENT_USER, reg.SubKey(), "viewer window state"),
              std::make_pair(wr::REG_SZ, std::string("2\0", 2)));
    EXPECT_EQ(reg.Value(), Variant("2"));
    // Numbers, Booleans and dates are written as their text.
    const std::vector<std::pair<Variant, std::string>> texts = {
        {Variant(std::int16_t{-7}), "-7"},
        {Variant(1.5), "1.5"},
        {Variant(1.0 / 3.0), "0.333333333333333"}, // fifteen significant digits
        {Variant(true), "True"},
        {Variant(Date{35430.0}), "12/31/1996"},
        {Variant(Date{35430.75}), "12/31/1996 6:00:00 PM"},
        {Variant(), ""},
    };
    for (const auto& [value, text] : texts) {
        reg.Value(value);
        EXPECT_EQ(reg.Value(), Variant(text));
    }
}

TEST_F(RegObjectTest, AMissingValueGivesDefaultAndRaisesOnlyWithoutOne) {
    reg.ValueName("Viewer Window Position");
    reg.Default(Variant(7));
    reg.RaiseAllErrors(true);
    EXPECT_EQ(reg.Value(), Variant(7)) << "a default is never an error";
    EXPECT_EQ(reg.LastError(), kNotFound);

    reg.Default(Variant());
    reg.RaiseAllErrors(false);
    EXPECT_TRUE(reg.Value().IsEmpty());
    EXPECT_EQ(reg.LastError(), kNotFound);

    reg.RaiseAllErrors(true);
    const AutomationError e = RaisedBy([&] { reg.Value(); });
    EXPECT_EQ(e.Number(), -2147194455);
    EXPECT_EQ(e.Source(), "RegObject.Get_Value");
    EXPECT_EQ(e.Description(), kNotFound);

    // An object default comes back as the same object.
    auto object = std::make_shared<foliant::automation::Object>();
    reg.Default(Variant(object));
    EXPECT_EQ(reg.Value().Get<std::shared_ptr<foliant::automation::Object>>(), object);

    // A successful read empties LastError again.
    reg.Value(Variant("x"));
    EXPECT_EQ(reg.Value(), Variant("x"));
    EXPECT_EQ(reg.LastError(), "");
}

TEST_F(RegObjectTest, TwoPercentSignsMakeAnExpandableTextThatStays) {
    ::setenv("FOLIANT_REG_TEST_HOME", "/home/tester", 1);
    reg.ValueName("Path");
    reg.Value(Variant("%FOLIANT_REG_TEST_HOME%/reports"));
    EXPECT_EQ(reg.ValueType(), 2);
    EXPECT_EQ(Stored(wr::HKEY_CURRENT_USER, reg.SubKey(), "Path").first, wr::REG_EXPAND_SZ);
    EXPECT_EQ(reg.Value(), Variant("/home/tester/reports")) << "read back expanded";

    reg.ValueName("Plain");
    reg.Value(Variant("no variable"));
    EXPECT_EQ(Stored(wr::HKEY_CURRENT_USER, reg.SubKey(), "Plain").first, wr::REG_EXPAND_SZ)
        << "the type stays 2 for later writes";

    reg.ValueType(1);
    for (const char* text : {"50% done", "%%", "100%%"}) {
        reg.Value(Variant(text));
        EXPECT_EQ(reg.ValueType(), 1) << text;
        EXPECT_EQ(Stored(wr::HKEY_CURRENT_USER, reg.SubKey(), "Plain").first, wr::REG_SZ) << text;
        EXPECT_EQ(reg.Value(), Variant(text));
    }
    reg.Value(Variant("%a%"));
    EXPECT_EQ(reg.ValueType(), 2) << "one character between the signs is enough";
    ::unsetenv("FOLIANT_REG_TEST_HOME");
}

TEST_F(RegObjectTest, DwordsComeFromNumbersNeverFromTexts) {
    reg.ValueName("State");
    reg.ValueType(4);
    reg.Value(Variant("12"));
    EXPECT_EQ(reg.LastError(), kInvalidData);
    EXPECT_EQ(Stored(wr::HKEY_CURRENT_USER, reg.SubKey(), "State").second, "<no value>");

    reg.Value(Variant(12));
    EXPECT_EQ(reg.LastError(), "");
    EXPECT_EQ(Stored(wr::HKEY_CURRENT_USER, reg.SubKey(), "State"),
              std::make_pair(wr::REG_DWORD, std::string("\x0c\0\0\0", 4)));
    EXPECT_EQ(reg.Value(), Variant(12));

    // Halves round to even, true is -1, a date is its day number.
    const std::vector<std::pair<Variant, std::int32_t>> numbers = {
        {Variant(2.5), 2},
        {Variant(3.5), 4},
        {Variant(-1.5), -2},
        {Variant(true), -1},
        {Variant(Date{35430.6}), 35431},
        {Variant(-2147483648.0), INT32_MIN}};
    for (const auto& [value, number] : numbers) {
        reg.Value(value);
        EXPECT_EQ(reg.Value(), Variant(number));
    }
    for (const Variant& refused : {Variant(), Variant(4294967296.0), Variant(ByteArray{1})}) {
        reg.Value(Variant(5));
        reg.Value(refused);
        EXPECT_EQ(reg.LastError(), kInvalidData);
        EXPECT_EQ(reg.Value(), Variant(5)) << "a refused write leaves the old value";
    }

    reg.ValueType(5);
    reg.Value(Variant(0x01020304));
    EXPECT_EQ(Stored(wr::HKEY_CURRENT_USER, reg.SubKey(), "State"),
              std::make_pair(wr::REG_DWORD_BIG_ENDIAN, std::string("\x01\x02\x03\x04", 4)));
    EXPECT_EQ(reg.Value(), Variant(0x01020304));
}

TEST_F(RegObjectTest, WriteErrorsRaiseOnlyWhenAsked) {
    reg.ValueName("Bad");
    reg.ValueType(6);
    reg.Value(Variant("x")); // recorded, not raised
    EXPECT_EQ(reg.LastError(), kInvalidData);
    using Switch = void (RegObject::*)(bool);
    for (Switch ask :
         std::initializer_list<Switch>{&RegObject::RaiseWriteError, &RegObject::RaiseAllErrors}) {
        RegObject fresh;
        fresh.ClassKey(kCurrentUser);
        fresh.SubKey("K");
        fresh.ValueType(0);
        (fresh.*ask)(true);
        const AutomationError e = RaisedBy([&] { fresh.Value(Variant("x")); });
        EXPECT_EQ(e.Number(), -2147194455);
        EXPECT_EQ(e.Source(), "RegObject.Let_Value");
        EXPECT_EQ(e.Description(), kInvalidData);
    }
    for (std::int32_t refused : {0, 6, 8, 11}) {
        reg.ValueType(refused);
        reg.Value(Variant(1));
        EXPECT_EQ(reg.LastError(), kInvalidData) << refused;
    }
    // A key that cannot be created: no root.
    RegObject noRoot;
    noRoot.RaiseWriteError(true);
    EXPECT_EQ(RaisedBy([&] { noRoot.Value(Variant("x")); }).Description(),
              "The handle is invalid.");
}

TEST_F(RegObjectTest, BinaryValuesAndOtherTypesReadAsBytes) {
    reg.ValueName("Blob");
    reg.ValueType(3);
    reg.Value(Variant(ByteArray{0, 1, 255}));
    EXPECT_EQ(reg.Value(), Variant(ByteArray{0, 1, 255}));
    reg.Value(Variant("text"));
    EXPECT_EQ(reg.LastError(), kInvalidData) << "binary needs a byte array";
    reg.Value(Variant(ByteArray{}));
    EXPECT_EQ(reg.Value(), Variant(ByteArray{}));
    StoreRaw(reg.SubKey(), "Link", wr::REG_LINK, "ab");
    reg.ValueName("Link");
    EXPECT_EQ(reg.Value(), Variant(ByteArray{'a', 'b'}));
}

TEST_F(RegObjectTest, StoredTextsReadWholeEvenWhenEmptyOrUnterminated) {
    // Regression: an empty REG_SZ read as an error, and a text without its zero lost its last
    // character.
    StoreRaw(reg.SubKey(), "Empty", wr::REG_SZ, "");
    StoreRaw(reg.SubKey(), "Unterminated", wr::REG_SZ, "abc");
    StoreRaw(reg.SubKey(), "Terminated", wr::REG_SZ, std::string("abc\0", 4));
    StoreRaw(reg.SubKey(), "Multi", wr::REG_MULTI_SZ, std::string("a\0bc\0\0", 6));
    StoreRaw(reg.SubKey(), "EmptyExpand", wr::REG_EXPAND_SZ, "");
    StoreRaw(reg.SubKey(), "Short", wr::REG_DWORD, "\x05");
    StoreRaw(reg.SubKey(), "Long", wr::REG_DWORD, "12345678");
    reg.RaiseAllErrors(true);
    const std::vector<std::pair<std::string, Variant>> expected = {
        {"Empty", Variant("")},
        {"Unterminated", Variant("abc")},
        {"Terminated", Variant("abc")},
        {"Multi", Variant(std::string("a\0bc\0", 5))}, // names keep their separators
        {"EmptyExpand", Variant("")},
        {"Short", Variant(5)},
    };
    for (const auto& [name, value] : expected) {
        reg.ValueName(name);
        EXPECT_EQ(reg.Value(), value) << name;
        EXPECT_EQ(reg.LastError(), "") << name;
    }
    reg.ValueName("Long");
    EXPECT_EQ(RaisedBy([&] { reg.Value(); }).Description(), "More data is available.")
        << "a DWORD of eight bytes is not read as four of them";
}

TEST_F(RegObjectTest, KeysAreCreatedTestedAndDeleted) {
    EXPECT_FALSE(reg.KeyExists());
    EXPECT_EQ(reg.LastError(), kNotFound);
    EXPECT_TRUE(reg.CreateKey());
    EXPECT_TRUE(reg.KeyExists());
    EXPECT_EQ(reg.LastError(), "");

    reg.ValueName("v");
    reg.Value(Variant("1"));
    EXPECT_TRUE(reg.DeleteValue());
    EXPECT_FALSE(reg.DeleteValue());
    EXPECT_EQ(reg.LastError(), kNotFound);

    const std::string parent = reg.SubKey();
    reg.SubKey(parent + "\\Child");
    EXPECT_TRUE(reg.CreateKey());
    reg.SubKey(parent);
    EXPECT_FALSE(reg.DeleteKey()) << "a key with subkeys stays";
    EXPECT_EQ(reg.LastError(), "Access is denied.");
    reg.SubKey(parent + "\\Child");
    EXPECT_TRUE(reg.DeleteKey());
    EXPECT_FALSE(reg.KeyExists());

    reg.RaiseAllErrors(true);
    struct Case {
        std::function<void()> action;
        const char* source;
    };
    for (const Case& c : {Case{[&] { reg.KeyExists(); }, "RegObject.KeyExists"},
                          Case{[&] { reg.DeleteKey(); }, "RegObject.DeleteKey"},
                          Case{[&] { reg.DeleteValue(); }, "RegObject.DeleteValue"}}) {
        const AutomationError e = RaisedBy(c.action);
        EXPECT_EQ(e.Number(), 26001);
        EXPECT_EQ(e.Source(), c.source);
        EXPECT_EQ(e.Description(), kNotFound);
    }
    reg.ClassKey(0);
    const AutomationError e = RaisedBy([&] { reg.CreateKey(); });
    EXPECT_EQ(e.Source(), "RegObject.CreateKey");
    EXPECT_EQ(e.Description(), "The handle is invalid.");
}

TEST_F(RegObjectTest, NamesOfSubkeysAndValues) {
    for (const char* sub : {"Zeta", "alpha", "Beta"}) {
        RegObject other;
        other.RegCreateKey(kCurrentUser, reg.SubKey() + "\\" + sub);
    }
    reg.ValueName("Viewer Window Position");
    reg.Value(Variant("0,0,100,100"));
    reg.ValueName("");
    reg.Value(Variant("default"));
    EXPECT_EQ(reg.KeyNames_dont_use(), (std::vector<std::string>{"alpha", "Beta", "Zeta"}));
    EXPECT_EQ(reg.LastError(), "") << "running out of names is the normal end";
    EXPECT_EQ(reg.ValueNames(), (std::vector<std::string>{"Viewer Window Position", ""}));
    EXPECT_EQ(reg.LastError(), "");

    reg.SubKey("Software\\Missing");
    EXPECT_TRUE(reg.ValueNames().empty());
    EXPECT_EQ(reg.LastError(), kNotFound);
    reg.RaiseAllErrors(true);
    AutomationError e = RaisedBy([&] { reg.KeyNames_dont_use(); });
    EXPECT_EQ(e.Number(), -2147194453);
    EXPECT_EQ(e.Source(), "RegObject.KeyNames");
    e = RaisedBy([&] { reg.ValueNames(); });
    EXPECT_EQ(e.Number(), -2147194454);
    EXPECT_EQ(e.Source(), "RegObject.ValueNames");
    EXPECT_EQ(e.Description(), kNotFound);
}

TEST_F(RegObjectTest, OneCallMethodsLeaveTheLocationAsItWas) {
    reg.ValueName("Mine");
    reg.ValueType(4);
    reg.Default(Variant(1));
    auto unchanged = [&](const char* after) {
        EXPECT_EQ(reg.ClassKey(), kCurrentUser) << after;
        EXPECT_EQ(reg.SubKey(), "Software\\Geodyne\\Vellum Reports") << after;
        EXPECT_EQ(reg.ValueName(), "Mine") << after;
        EXPECT_EQ(reg.ValueType(), 4) << after;
        EXPECT_EQ(reg.Default(), Variant(1)) << after;
    };
    reg.RegWrite(kClassesRoot, "Other", "Path", Variant("%X%y%"), 1);
    unchanged("RegWrite");
    EXPECT_EQ(Stored(wr::HKEY_CLASSES_ROOT, "Other", "Path").first, wr::REG_EXPAND_SZ);
    reg.RegWrite(kClassesRoot, "Other", "Number", Variant(9), 4);
    EXPECT_EQ(reg.RegRead(kClassesRoot, "other", "NUMBER", Variant()), Variant(9));
    unchanged("RegRead");
    EXPECT_TRUE(reg.RegKeyExists(kClassesRoot, "Other"));
    unchanged("RegKeyExists");
    EXPECT_EQ(reg.RegValueNames(kClassesRoot, "Other"),
              (std::vector<std::string>{"Path", "Number"}));
    unchanged("RegValueNames");
    reg.RegDelValue(kClassesRoot, "Other", "Path");
    unchanged("RegDelValue");
    reg.RegCreateKey(kClassesRoot, "Other\\Sub");
    reg.RegDelKey(kClassesRoot, "Other\\Sub");
    unchanged("RegDelKey");
    EXPECT_EQ(reg.RegValueNames(kClassesRoot, "Other"), (std::vector<std::string>{"Number"}));
    EXPECT_FALSE(reg.RegKeyExists(kClassesRoot, "Other\\Sub"));
    unchanged("RegCreateKey");
}

TEST_F(RegObjectTest, RegReadWithADefaultNeverRaises) {
    reg.RaiseAllErrors(true);
    EXPECT_EQ(reg.RegRead(kCurrentUser, "Software\\Nowhere", "x", Variant("fallback")),
              Variant("fallback"));
    EXPECT_EQ(reg.LastError(), kNotFound);
    EXPECT_EQ(reg.SubKey(), "Software\\Geodyne\\Vellum Reports");

    const AutomationError e =
        RaisedBy([&] { reg.RegRead(kCurrentUser, "Software\\Nowhere", "x", Variant()); });
    EXPECT_EQ(e.Number(), -2147194455);
    EXPECT_EQ(e.Source(), "RegObject.RegRead") << "the method's own error, not Get_Value's";
    EXPECT_EQ(reg.SubKey(), "Software\\Geodyne\\Vellum Reports") << "restored before raising";

    reg.RaiseAllErrors(false);
    EXPECT_TRUE(reg.RegRead(kCurrentUser, "Software\\Nowhere", "x", Variant()).IsEmpty());
}

TEST_F(RegObjectTest, OneCallMethodsRaiseTheirOwnErrors) {
    reg.RaiseAllErrors(true);
    struct Case {
        std::function<void()> action;
        const char* source;
    };
    const std::vector<Case> cases = {
        {[&] { reg.RegWrite(0, "K", "v", Variant("x"), 1); }, "RegObject.RegWrite"},
        {[&] { reg.RegKeyExists(kCurrentUser, "Missing"); }, "RegObject.RegKeyExists"},
        {[&] { reg.RegCreateKey(0, "K"); }, "RegObject.RegCreateKey"},
        {[&] { reg.RegDelKey(kCurrentUser, "Missing"); }, "RegObject.RegDelKey"},
        {[&] { reg.RegDelValue(kCurrentUser, "Missing", "v"); }, "RegObject.RegDelValue"},
        {[&] { reg.RegValueNames(kCurrentUser, "Missing"); }, "RegObject.RegValueNames"},
    };
    for (const Case& c : cases) {
        const AutomationError e = RaisedBy(c.action);
        EXPECT_EQ(e.Number(), -2147194455) << c.source;
        EXPECT_EQ(e.Source(), c.source);
        EXPECT_FALSE(e.Description().empty());
    }
    // Writes raise with RaiseWriteError alone; the others then stay quiet.
    reg.RaiseWriteError(true);
    EXPECT_EQ(RaisedBy([&] { reg.RegWrite(0, "K", "v", Variant("x"), 1); }).Source(),
              "RegObject.RegWrite");
    EXPECT_FALSE(reg.RegKeyExists(kCurrentUser, "Missing"));
    EXPECT_EQ(reg.LastError(), kNotFound);
}

TEST_F(RegObjectTest, CreateExeAssociationRegistersTheFileType) {
    reg.CreateEXEAssociation("/usr/bin/foliant", "Foliant.Report", "Foliant Report", "rpt", 0);
    const std::string command = "/usr/bin/foliant \"%1\"";
    auto text = [](const std::string& key) {
        auto [type, data] = Stored(wr::HKEY_CLASSES_ROOT, key, "");
        EXPECT_EQ(type, wr::REG_SZ) << key;
        return data;
    };
    EXPECT_EQ(text(".rpt"), std::string("Foliant.Report\0", 15));
    EXPECT_EQ(text(".rpt\\shell\\open\\command"), command + '\0');
    EXPECT_EQ(text("Foliant.Report"), std::string("Foliant Report\0", 15));
    EXPECT_EQ(text("Foliant.Report\\shell\\open\\command"), command + '\0');
    EXPECT_EQ(text("Foliant.Report\\DefaultIcon"), std::string("/usr/bin/foliant,0\0", 19));
    EXPECT_EQ(reg.ClassKey(), kClassesRoot);
    EXPECT_EQ(reg.SubKey(), "Foliant.Report\\DefaultIcon");
    EXPECT_EQ(reg.ValueName(), "");
    EXPECT_EQ(reg.ValueType(), 1);

    RegObject other;
    other.CreateEXEAssociation("/opt/f", "Other.Doc", "Other", ".odx", -1);
    EXPECT_EQ(text(".odx"), std::string("Other.Doc\0", 10));
    EXPECT_FALSE(other.RegKeyExists(kClassesRoot, "..odx"));
    EXPECT_FALSE(other.RegKeyExists(kClassesRoot, "Other.Doc\\DefaultIcon"));
    EXPECT_EQ(other.SubKey(), "Other.Doc\\shell\\open\\command");
}

} // namespace

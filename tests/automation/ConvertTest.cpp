#include "platform/automation/Convert.h"
#include "platform/automation/FoliantGuids.h"
#include "platform/automation/Guid.h"

#include <gtest/gtest.h>

#include <limits>

using namespace foliant::automation;

namespace {

// The error number a conversion raises, 0 when it converts.
template <typename F> std::int32_t ErrorOf(F&& convert) {
    try {
        convert();
        return 0;
    } catch (const AutomationError& e) {
        return e.Number();
    }
}

class Shape : public Object {};
class Circle : public Shape {};

} // namespace

TEST(Convert, IntegersRoundHalvesToEvenAndRefuseWhatIsNoNumber) {
    struct Case {
        Variant value;
        std::int32_t expected;
        const char* why;
    } cases[] = {
        {Variant(2.5), 2, "a half rounds to the even neighbour"},
        {Variant(3.5), 4, "a half rounds to the even neighbour"},
        {Variant(-2.5), -2, "also below zero"},
        {Variant(true), -1, "True is -1"},
        {Variant(), 0, "Empty is 0"},
        {Variant(" 17 "), 17, "a text holding a number, blanks around it"},
        {Variant("1e3"), 1000, "exponents are numbers"},
        {Variant(Date{36525.75}), 36526, "a date is its day count"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ToInt32(c.value), c.expected) << c.why;
    }
    EXPECT_EQ(ErrorOf([] { ToInt32(Variant("12abc")); }), kTypeMismatch);
    EXPECT_EQ(ErrorOf([] { ToInt32(Variant("")); }), kTypeMismatch);
    EXPECT_EQ(ErrorOf([] { ToInt32(Variant("0x10")); }), kTypeMismatch);
    EXPECT_EQ(ErrorOf([] { ToInt32(Variant("nan")); }), kTypeMismatch);
    EXPECT_EQ(ErrorOf([] { ToInt32(Variant(std::make_shared<Shape>())); }), kTypeMismatch);
    EXPECT_EQ(ErrorOf([] { ToInt32(Variant(ByteArray{1, 2})); }), kTypeMismatch);
    EXPECT_EQ(ErrorOf([] { ToInt32(Variant(3e9)); }), kOverflow);
    EXPECT_EQ(ErrorOf([] { ToInt32(Variant(std::numeric_limits<double>::infinity())); }),
              kOverflow);
    EXPECT_EQ(ErrorOf([] { ToInt16(Variant(32768)); }), kOverflow);
    EXPECT_EQ(ToInt16(Variant(-32768)), -32768);
}

TEST(Convert, TextsBooleansDoublesAndDates) {
    EXPECT_EQ(ToText(Variant(1.5)), "1.5");
    EXPECT_EQ(ToText(Variant(1e20)), "1E+20");
    EXPECT_EQ(ToText(Variant(std::int16_t{-3})), "-3");
    EXPECT_EQ(ToText(Variant(false)), "False");
    EXPECT_EQ(ToText(Variant()), "");
    EXPECT_EQ(ToText(Variant(Date{35430.0})), "1996-12-31");
    EXPECT_EQ(ToText(Variant(Date{35430.5})), "1996-12-31 12:00:00");
    EXPECT_EQ(ToText(Variant(Date{0.0})), "1899-12-30");
    EXPECT_EQ(ToText(Variant(Date{-1.25})), "1899-12-29 06:00:00");
    EXPECT_EQ(ToText(Variant(Date{60.0})), "1900-02-28");
    EXPECT_EQ(ErrorOf([] { ToText(Variant(std::make_shared<Shape>())); }), kTypeMismatch);

    EXPECT_TRUE(ToBoolean(Variant("true")));
    EXPECT_FALSE(ToBoolean(Variant(" FALSE ")));
    EXPECT_TRUE(ToBoolean(Variant("-1")));
    EXPECT_FALSE(ToBoolean(Variant(0.0)));
    EXPECT_EQ(ErrorOf([] { ToBoolean(Variant("yes")); }), kTypeMismatch);

    EXPECT_DOUBLE_EQ(ToDouble(Variant("2.25")), 2.25);
    EXPECT_EQ(ToDate(Variant(3)).value, 3.0);
    EXPECT_EQ(ErrorOf([] { ToDate(Variant("1996-12-31")); }), kTypeMismatch);
    EXPECT_EQ(ErrorOf([] { ToObject(Variant()); }), kTypeMismatch);
    EXPECT_EQ(ToObject(Variant(std::shared_ptr<Object>())), nullptr);
}

TEST(Convert, CastingAnObjectToAnInterfaceFailsWithTypeMismatch) {
    std::shared_ptr<Object> circle = std::make_shared<Circle>();
    std::shared_ptr<Object> shape = std::make_shared<Shape>();
    EXPECT_EQ(Cast<Shape>(circle), circle);
    EXPECT_EQ(Cast<Circle>(nullptr), nullptr);
    EXPECT_EQ(QueryInterface<Circle>(shape), nullptr);
    try {
        Cast<Circle>(shape);
        FAIL() << "no error raised";
    } catch (const AutomationError& e) {
        EXPECT_EQ(e.Number(), 13);
        EXPECT_EQ(e.Description(), "Type mismatch");
    }
    EXPECT_EQ(ErrorOf([&] { FromVariant<std::shared_ptr<Circle>>(Variant(shape)); }), 13);
    EXPECT_EQ(ErrorOf([] { FromVariant<std::shared_ptr<Circle>>(Variant(7)); }), 13);
}

TEST(Guid, ParsesAndFormatsTheBracedForm) {
    const auto guid = ParseGuid("{00020400-0000-0000-c000-000000000046}");
    ASSERT_TRUE(guid);
    EXPECT_TRUE(*guid == IID_IDispatch);
    EXPECT_EQ(FormatGuid(*guid), "{00020400-0000-0000-C000-000000000046}");
    EXPECT_EQ(FormatGuid(CLSID_VRStandardWizard), "{CF7D18EE-AA07-4DFF-9DAE-A5E427C41E25}");
    for (const char* bad :
         {"00020400-0000-0000-C000-000000000046", "{00020400-0000-0000-C000-00000000004}",
          "{00020400-0000-0000-C000-0000000000467}", "{00020400+0000-0000-C000-000000000046}",
          "{0002040G-0000-0000-C000-000000000046}", "{00020400-0000-0000-C0000-00000000046}", ""}) {
        EXPECT_FALSE(ParseGuid(bad)) << bad;
    }
}

TEST(Guid, TheWizardsIdentityIsItsOwn) {
    // Three distinct identifiers, none of them a platform interface.
    const GUID ids[] = {LIBID_geodyneFoliant, CLSID_VRStandardWizard, IID__VRStandardWizard};
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_FALSE(ids[i] == IID_NULL || ids[i] == IID_IDispatch || ids[i] == IID_IUnknown);
        for (std::size_t j = 0; j < i; ++j) {
            EXPECT_FALSE(ids[i] == ids[j]);
        }
    }
    EXPECT_STREQ(kVRStandardWizardProgId, "geodyneFoliant.VRStandardWizard");
    EXPECT_EQ(DISPID_VellumReport, 0x68030000);
    EXPECT_EQ(DISPID_DisplayReportWizard, 0x60030001);
}

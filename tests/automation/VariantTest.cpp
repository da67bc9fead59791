#include "platform/automation/values/Variant.h"
#include "platform/automation/values/AutomationError.h"

#include <gtest/gtest.h>

using namespace foliant::automation;

TEST(Variant, KindFollowsTheValueHeldIncludingIntegerWidth) {
    EXPECT_EQ(Variant().Kind(), Variant::Type::Empty);
    EXPECT_EQ(Variant(std::int16_t{3}).Kind(), Variant::Type::Int16);
    EXPECT_EQ(Variant(3).Kind(), Variant::Type::Int32);
    EXPECT_EQ(Variant("text").Kind(), Variant::Type::Text);
    EXPECT_EQ(Variant(true).Kind(), Variant::Type::Boolean);
    EXPECT_NE(Variant(std::int16_t{3}), Variant(3));
}

TEST(AutomationError, CarriesNumberSourceAndDescription) {
    try {
        throw AutomationError(kTypeMismatch, "Foliant", "Type mismatch");
    } catch (const std::exception& e) {
        auto& a = dynamic_cast<const AutomationError&>(e);
        EXPECT_EQ(a.Number(), 13);
        EXPECT_EQ(a.Source(), "Foliant");
        EXPECT_STREQ(e.what(), "Type mismatch");
    }
}

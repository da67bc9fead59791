#include "engine/core/Value.h"
#include "engine/core/Types.h"

#include <gtest/gtest.h>

using namespace foliant::engine;

TEST(CivilCalendar, RoundTripsAcrossLeapYearsAndTheEpoch) {
    // 2000 is a leap year (divisible by 400), 1900 is not: the cases that break naive code.
    EXPECT_EQ(DaysFromCivil(1970, 1, 1), 0);
    EXPECT_EQ(DaysFromCivil(2000, 3, 1) - DaysFromCivil(2000, 2, 28), 2);
    EXPECT_EQ(DaysFromCivil(1900, 3, 1) - DaysFromCivil(1900, 2, 28), 1);
    for (std::int32_t d = -800000; d < 800000; d += 997) {
        CivilDate c = CivilFromDays(d);
        ASSERT_EQ(DaysFromCivil(c.year, c.month, c.day), d);
    }
}

TEST(CivilCalendar, WeekdayIsSundayBasedOnBothSidesOfTheEpoch) {
    EXPECT_EQ(Weekday(0), 4);                           // 1970-01-01 was a Thursday
    EXPECT_EQ(Weekday(DaysFromCivil(1996, 12, 31)), 2); // a Tuesday
    EXPECT_EQ(Weekday(DaysFromCivil(1969, 12, 28)), 0); // a Sunday before the epoch
}

TEST(ValueType, NumericAndDateClassesFollowTheCodes) {
    EXPECT_TRUE(IsNumericType(ValueType::Currency));
    EXPECT_FALSE(IsNumericType(ValueType::Boolean));
    EXPECT_TRUE(IsDateType(ValueType::DateTime));
    EXPECT_FALSE(IsDateType(ValueType::Time));
    EXPECT_EQ(ValueTypeName(ValueType::DateTime), "date-time");
}

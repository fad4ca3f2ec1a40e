#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "core/clock_step.h"
#include "core/julian.h"
#include "core/model_state.h"

namespace {

constexpr double one_second = 1.0 / 86400.0;

TEST(Julian, DatesTable)
{
    struct jd_case {
        int y, mo, d, h, mi;
        double s;
        double jd;
    };
    const jd_case cases[] = {
        {2000, 1, 1, 12, 0, 0.0, 2451545.0},  {2000, 1, 1, 0, 0, 0.0, 2451544.5},
        {1970, 1, 1, 0, 0, 0.0, 2440587.5},   {2000, 3, 1, 6, 30, 0.0, 2451604.7708333},
        {2000, 2, 28, 12, 0, 0.0, 2451603.0}, {1900, 3, 1, 12, 0, 0.0, 2415080.0},
        {2100, 3, 1, 12, 0, 0.0, 2488129.0},
    };
    for (const jd_case& c : cases)
        EXPECT_NEAR(julian_date(c.y, c.mo, c.d, c.h, c.mi, c.s), c.jd, 1e-7) << c.y << "-" << c.mo << "-" << c.d;
}

TEST(Julian, InverseKeepsTheHundredthOfASecond)
{
    int y, mo, d, h, mi;
    double s;
    calendar_from_julian(julian_date(2000, 3, 1, 6, 30, 0.0), y, mo, d, h, mi, s);
    EXPECT_EQ(y, 2000);
    EXPECT_EQ(mo, 3);
    EXPECT_EQ(d, 1);
    EXPECT_EQ(h, 6);
    EXPECT_EQ(mi, 30);
    EXPECT_NEAR(s, 0.01, 1e-4);

    // The added 0.01 s carries a time just before midnight into the next day.
    calendar_from_julian(julian_date(2000, 2, 29, 23, 59, 59.99), y, mo, d, h, mi, s);
    EXPECT_EQ(y, 2000);
    EXPECT_EQ(mo, 3);
    EXPECT_EQ(d, 1);
    EXPECT_EQ(h, 0);
    EXPECT_EQ(mi, 0);
    EXPECT_LT(s, 0.01);
}

TEST(Julian, RoundTripWithinAHundredthOfASecond)
{
    for (double jd = julian_date(1899, 12, 31, 0, 0, 0.0); jd < julian_date(2101, 1, 1, 0, 0, 0.0);
         jd += 37.3217) {
        int y, mo, d, h, mi;
        double s;
        calendar_from_julian(jd, y, mo, d, h, mi, s);
        ASSERT_GE(mo, 1);
        ASSERT_LE(mo, 12);
        ASSERT_GE(d, 1);
        ASSERT_LE(d, 31);
        ASSERT_LT(h, 24);
        ASSERT_LT(mi, 60);
        ASSERT_LT(s, 60.0);
        ASSERT_NEAR(julian_date(y, mo, d, h, mi, s), jd, 0.0101 * one_second) << jd;
    }
}

TEST(Julian, GregorianLeapYears)
{
    EXPECT_FALSE(gregorian_leap_year(1900));
    EXPECT_TRUE(gregorian_leap_year(2000));
    EXPECT_TRUE(gregorian_leap_year(2024));
    EXPECT_FALSE(gregorian_leap_year(2023));
    EXPECT_FALSE(gregorian_leap_year(2100));
}

TEST(Julian, ClockStepDayOfYearFollowsTheGregorianRule)
{
    struct yday_case {
        int y, mo, d, yday, february;
    };
    const yday_case cases[] = {
        {1900, 3, 1, 60, 28},     {2000, 3, 1, 61, 29},    {2100, 12, 31, 365, 28},
        {2024, 12, 31, 366, 29}, {2023, 1, 17, 17, 28},
    };
    auto s = std::make_unique<model_state>();
    for (const yday_case& c : cases) {
        s->clock_passes = 0;
        s->current_time = julian_date(c.y, c.mo, c.d, 12, 0, 0.0);
        clock_step(*s);
        EXPECT_EQ(s->cur_yday, c.yday) << c.y << "-" << c.mo << "-" << c.d;
        EXPECT_EQ(month_days[2], c.february) << c.y;
    }
}

TEST(Julian, FindGnumLocation)
{
    // Rows 1..3, columns 1..4 of a mask with a border of zeros.
    const int grid[5][6] = {
        {0, 0, 0, 0, 0, 0}, {0, 1, 0, 1, 1, 0}, {0, 1, 1, 1, 1, 0}, {0, 0, 0, -1, 0, 0}, {0, 0, 0, 0, 0, 0},
    };
    imat mask;
    mask.assign(4, 5, 0);
    for (int r = 0; r <= 4; ++r)
        for (int c = 0; c <= 5; ++c) mask[r][c] = grid[r][c];

    struct loc_case {
        int row, col, number; // number -7: left unchanged
        const char* printed;
    };
    const loc_case cases[] = {
        {1, 4, 3, "1  4   3 \n"},  // third active cell of row 1
        {2, 1, 4, "2  1   4 \n"},  // first of row 2: row 1 holds three
        {3, 3, 8, "3  3   8 \n"},  // a negative mask value is active
        {1, 2, -7, ""},              // inactive cell
        {9, 9, -7, ""},              // outside the grid
    };
    ivec rows, cols, numbers;
    rows.assign(5, 0);
    cols.assign(5, 0);
    numbers.assign(5, -7);
    for (int k = 1; k <= 5; ++k) {
        rows[k] = cases[k - 1].row;
        cols[k] = cases[k - 1].col;
    }
    for (int k = 1; k <= 5; ++k) {
        testing::internal::CaptureStdout();
        find_gnum_location(mask, 3, 4, rows, cols, numbers, k);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), cases[k - 1].printed);
        EXPECT_EQ(numbers[k], cases[k - 1].number);
    }
    // A grid size larger than the mask never reads past it.
    find_gnum_location(mask, 50, 50, rows, cols, numbers, 6);
    testing::internal::CaptureStdout();
    find_gnum_location(mask, 50, 50, rows, cols, numbers, 1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "1  4   3 \n");
}

} // namespace

#include <gtest/gtest.h>

#include "coupling/xy_boundary.h"

namespace {

TEST(XyElementArrays, StreamPointsOfNewSlotsStartNotExplicit)
{
    checked_array<xy_stream_point> a;
    a.one_based = 1;
    xy_stream_point_array_grow(a, 2);
    a[0].explicit_point = 1;
    a[0].link = 4;
    a[1].explicit_point = 1;
    xy_stream_point_array_grow(a, 3);
    EXPECT_EQ(a[0].link, 4);
    EXPECT_EQ(a[0].explicit_point, 1);
    EXPECT_EQ(a[1].explicit_point, 1);
    for (int i = 2; i <= 4; ++i) EXPECT_EQ(a[i].explicit_point, 0) << i;

    checked_array<xy_point> p;
    xy_point_array_grow(p, 1);
    p[1].cell = 9;
    p[1].x = 2.5;
    xy_point_array_grow(p, 1);
    EXPECT_EQ(p[1].cell, 9);
    EXPECT_EQ(p[1].x, 2.5);
}

TEST(XyElementArrays, InterpolatedCellsKeepTheirArraysWhenTheArrayGrows)
{
    time_series ts;
    testing::internal::CaptureStdout();
    {
        checked_array<xy_interp_cell> cells;
        checked_array_set_name(cells, "xy_input::gwInterpPts");
        xy_interp_cell_array_grow(cells, 1);
        xy_interp_cell& c = cells[1];
        checked_array_grow(c.series, 2);
        checked_array_grow(c.weights, 2);
        c.series[0] = &ts;
        c.weights[0] = 0.25;
        c.weights[2] = 0.75;
        c.count = 3;
        c.cell = 17;
        (void)c.weights[5]; // reported once, when the cell is finally destroyed

        xy_interp_cell_array_grow(cells, 4);
        ASSERT_EQ(cells.cap, 5);
        EXPECT_EQ(cells[1].series[0], &ts);
        EXPECT_EQ(cells[1].weights[0], 0.25);
        EXPECT_EQ(cells[1].weights[2], 0.75);
        EXPECT_EQ(cells[1].count, 3);
        EXPECT_EQ(cells[1].cell, 17);
        EXPECT_EQ(cells[3].weights.cap, 0);

        xy_interp_cell copy;
        xy_interp_cell_copy(copy, cells[1]);
        EXPECT_EQ(copy.weights.cap, 2);
        EXPECT_EQ(copy.weights[0], 0.25);
        EXPECT_EQ(copy.series[0], &ts);
        EXPECT_EQ(copy.cell, 17);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
        testing::internal::CaptureStdout();
        xy_interp_cell_array_destroy(cells);
    }
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Error: bad range addressed in array \n");
}

} // namespace

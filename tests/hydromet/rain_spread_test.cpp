// Gauge rain spread over the cells by inverse squared distance and by the
// nearest gauge, checked against hand computations on a 2 x 3 grid of 10 m
// cells with a gauge on each side.
#include <gtest/gtest.h>

#include <string>

#include "hydromet/rain_fixture.h"
#include "hydromet/rain_services.h"

using namespace rain_test;

namespace
{

// Gauge 1 at (-5, 15) with 10 mm/h and gauge 2 at (35, 15) with 40 mm/h;
// the cell centres lie at x = 5, 15, 25 and y = 15, 5.
struct TwoGauges : testing::Test {
    std::unique_ptr<model_state> s = grid(2, 3, 10.0);
    void SetUp() override
    {
        error_state_clear();
        s->num_gages = 2;
        s->gage_x.assign(2, 0.0);
        s->gage_y.assign(2, 0.0);
        s->gage_x[1] = -5.0;
        s->gage_y[1] = 15.0;
        s->gage_x[2] = 35.0;
        s->gage_y[2] = 15.0;
        row_array_resize(s->rain_rows, 3, 2, 0.0);
        s->rain_rows[1][1] = 10.0;
        s->rain_rows[2][1] = 40.0;
    }
    void TearDown() override { error_state_clear(); }

    void inverse_distance()
    {
        spread_rain_inverse_distance(s->gridsize, 1, s->mask, s->num_gages, s->gage_y, s->gage_x,
                                     s->grid_north, s->grid_west, s->rain_rows, s->rain_rate, s->num_rows,
                                     s->num_cols);
    }
};

} // namespace

TEST_F(TwoGauges, InverseDistanceWeightsMatchAHandComputation)
{
    inverse_distance();
    // Row 1: (10/100 + 40/900) / (1/100 + 1/900) = 13 at 10 m and 30 m; equal
    // distances weigh equally. Row 2: squared distances 200 and 1000 give 15.
    const double expected[] = {0.0, 13.0, 25.0, 37.0, 15.0, 25.0, 35.0};
    for (int i = 1; i <= 6; ++i)
        EXPECT_NEAR(s->rain_rate[i], expected[i], 1e-12) << "cell " << i;

    // A gauge closer to a cell's centre than one cell size gives it its rate.
    s->gage_x[2] = 14.0;
    s->gage_y[2] = 14.0;
    inverse_distance();
    EXPECT_EQ(s->rain_rate[2], 40.0);
}

TEST_F(TwoGauges, NearestGaugeTakesGaugeOneOnATie)
{
    s->nearest.assign(s->num_cells, 0);
    ASSERT_TRUE(find_neighbor(s->num_gages, s->mask, s->gage_x, s->gage_y, s->grid_north, s->grid_west,
                              s->nearest, s->gridsize, s->num_rows, s->num_cols));
    const int gauge[] = {0, 1, 1, 2, 1, 1, 2};
    for (int i = 1; i <= 6; ++i)
        EXPECT_EQ(s->nearest[i], gauge[i]) << "cell " << i;

    spread_rain_nearest_gage(1, s->num_gages, s->nearest, s->rain_rows, s->rain_rate, s->num_cells);
    EXPECT_EQ(s->rain_rate[2], 10.0);
    EXPECT_EQ(s->rain_rate[6], 40.0);

    // One gauge: every cell takes it, without a search.
    ivec none;
    spread_rain_nearest_gage(1, 1, none, s->rain_rows, s->rain_rate, s->num_cells);
    for (int i = 1; i <= 6; ++i)
        EXPECT_EQ(s->rain_rate[i], 10.0);
}

TEST_F(TwoGauges, GaugesFarFromTheGridFailOnceWithCode4000)
{
    s->gage_x[1] = s->gage_x[2] = 950000.0;
    s->nearest.assign(s->num_cells, 0);
    testing::internal::CaptureStdout();
    const bool found = find_neighbor(s->num_gages, s->mask, s->gage_x, s->gage_y, s->grid_north, s->grid_west,
                                     s->nearest, s->gridsize, s->num_rows, s->num_cols);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_FALSE(found);
    EXPECT_EQ(error_state.code, err_stop);
    EXPECT_EQ(out, "Failure to identify closest raingauge in find_neighbor\n"
                   "check rain gage data file, particularly gage coordinates\n");
}

// Overland boundary conditions and point sources on small hand-made grids,
// checked against hand-computed volumes.
#include <gtest/gtest.h>

#include <cmath>

#include "core/error_state.h"
#include "input/elev_series.h"
#include "input/time_series.h"
#include "overland/overland_fixture.h"
#include "overland/overland_steps.h"

using namespace overland_test;

namespace
{

// A flat grid of rows x cols 10 m cells with boundary arrays.
std::unique_ptr<model_state> bc_grid(int rows, int cols, double depth)
{
    plane_desc desc;
    desc.rows = rows;
    desc.cols = cols;
    desc.slope_x = 0.0;
    desc.depth = depth;
    auto s = make_plane(desc);
    const int n = rows * cols;
    s->ov_boundary = 1;
    s->boundary_type.assign(n, 0);
    s->ov_bc_values_a.assign(n, 0.0);
    s->ov_bc_values_b.assign(n, 0.0);
    return s;
}

struct BoundaryTest : testing::Test {
    void SetUp() override { error_state_clear(); }
    void TearDown() override
    {
        error_state_clear();
        elev_series_free_all();
    }
};

} // namespace

TEST_F(BoundaryTest, WithdrawalTakesWhatTheCellHoldsAndBooksTheRestUnmet)
{
    // 1 ft3/s over 60 s from a 100 m2 cell holding 0.01 m: 1.699 m3 asked,
    // 1.0 m3 found.
    auto s = bc_grid(1, 1, 0.01);
    s->boundary_type[1] = 4;
    s->ov_bc_values_a[1] = -1.0;
    apply_ov_boundaries(*s, 60.0, false);
    EXPECT_EQ(s->ov_depth[1], 0.0);
    EXPECT_NEAR(s->discharge_bc_out_total, 1.0, 1e-12);
    EXPECT_NEAR(s->discharge_bc_unmet_total, 0.699, 0.0005);
    EXPECT_NEAR(s->discharge_bc_out_total + s->discharge_bc_unmet_total, 60.0 * 0.0283168466, 1e-12);

    // Type 5 in m3/s: an inflow raises the depth and is booked in.
    s->boundary_type[1] = 5;
    s->ov_bc_values_a[1] = 0.5;
    apply_ov_boundaries(*s, 60.0, false);
    EXPECT_NEAR(s->ov_depth[1], 0.3, 1e-12);
    EXPECT_NEAR(s->discharge_bc_in_total, 30.0, 1e-12);
}

TEST_F(BoundaryTest, EdgeOutflowLeavesThroughEveryOpenSide)
{
    // 3 x 3 grid: the centre has four neighbours, an edge cell one open
    // side, a corner two.
    const double h = 0.05;
    const double slope = 0.01;
    const double dt = 10.0;
    auto s = bc_grid(3, 3, h);
    for (int i = 1; i <= 9; ++i) {
        s->boundary_type[i] = 1;
        s->ov_bc_values_b[i] = slope;
    }
    ov_bc_series_values(*s, true);
    apply_ov_boundaries(*s, dt, true);
    // Manning outflow depth through one side over the step.
    const double m = std::sqrt(slope) * std::pow(h, 1.666667) * 10.0 / 0.05 * dt / 100.0;
    EXPECT_EQ(s->ov_depth[5], h);              // centre: no open side
    EXPECT_NEAR(s->ov_depth[2], h - m, 1e-15); // top edge
    EXPECT_NEAR(s->ov_depth[1], h - 2 * m, 1e-15);
    EXPECT_NEAR(s->slope_bc_out_total, (4 * m + 4 * 2 * m) * 100.0, 1e-12);

    // A cell that holds less than its open sides pass is emptied.
    auto t = bc_grid(1, 1, 1e-4);
    t->boundary_type[1] = 1;
    t->ov_bc_values_a[1] = 1.0;
    apply_ov_boundaries(*t, 3600.0, false);
    EXPECT_EQ(t->ov_depth[1], 0.0);
    EXPECT_NEAR(t->slope_bc_out_total, 1e-4 * 100.0, 1e-15);
}

TEST_F(BoundaryTest, RatingExchangeStopsAtEqualSurfacesAndNeverPassesThem)
{
    // Cell 1 (type 6) exchanges with cell 2 (receiver, type 99) through a
    // steep rating curve: 100 m3/s per m of head.
    elev_series* curve = elev_series_new();
    curve->name = "steep";
    curve->x = {0.0, 1.0};
    curve->y = {0.0, 100.0};
    curve->count = 2;
    auto s = bc_grid(1, 2, 0.0);
    s->ov_depth[1] = 0.5;
    s->ov_depth[2] = 0.1;
    s->boundary_type[1] = 6;
    s->boundary_type[2] = 99;
    s->ov_rating_curves.assign(3, ov_bc_cell{});
    s->ov_rating_curves[1].rating = curve;
    apply_ov_boundaries(*s, 60.0, false);
    EXPECT_NEAR(s->ov_depth[1], 0.3, 1e-12);
    EXPECT_NEAR(s->ov_depth[2], 0.3, 1e-12);
    apply_ov_boundaries(*s, 60.0, false); // level: nothing moves
    EXPECT_NEAR(s->ov_depth[1], 0.3, 1e-12);

    // A receiver above the cell gives water back; a gentle curve moves only
    // rating x dt / area.
    curve->y = {0.0, 0.1};
    s->ov_depth[2] = 0.5;
    apply_ov_boundaries(*s, 10.0, false);
    const double d = 0.1 * 0.2 * 10.0 / 100.0;
    EXPECT_NEAR(s->ov_depth[1], 0.3 + d, 1e-12);
    EXPECT_NEAR(s->ov_depth[2], 0.5 - d, 1e-12);

    // Type 7: one way, by the rating of the cell's own depth, at most the depth.
    s->boundary_type[1] = 7;
    curve->y = {0.0, 1000.0};
    const double total = s->ov_depth[1] + s->ov_depth[2];
    apply_ov_boundaries(*s, 10.0, false);
    EXPECT_EQ(s->ov_depth[1], 0.0);
    EXPECT_NEAR(s->ov_depth[2], total, 1e-12);
    EXPECT_EQ(s->head_bc_in_total + s->head_bc_out_total + s->discharge_bc_in_total, 0.0);
}

TEST_F(BoundaryTest, MissingRatingCurveStopsTheRun)
{
    auto s = bc_grid(1, 2, 0.1);
    s->boundary_type[1] = 7;
    s->boundary_type[2] = 99;
    s->ov_rating_curves.assign(3, ov_bc_cell{});
    testing::internal::CaptureStdout();
    overland_step(*s);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(
        out.find("Error: attempting to extract a value from an elevation series that does not exist.\n"),
        std::string::npos)
        << out;
    EXPECT_TRUE(error_state.raised);
    EXPECT_DOUBLE_EQ(s->ov_depth[1], 0.1);
}

TEST_F(BoundaryTest, ChannelLakeCellsExchangeLakeVolume)
{
    auto s = bc_grid(1, 2, 0.0);
    s->chan_lakes = 1;
    s->num_lakes = 1;
    s->lake_mask.assign(2, 0);
    s->lake_mask[1] = 1;
    s->lake_elev.assign(1, 100.5);
    s->lake_volume.assign(1, 20.0);
    s->lake_in_dv.assign(1, 0.0);
    s->lake_out_dv.assign(1, 0.0);
    // A withdrawal larger than the lake takes the lake and books the rest unmet.
    s->boundary_type[1] = 5;
    s->ov_bc_values_a[1] = -1.0;
    apply_ov_boundaries(*s, 60.0, false);
    EXPECT_EQ(s->lake_volume[1], 0.0);
    EXPECT_DOUBLE_EQ(s->lake_out_dv[1], 20.0);
    EXPECT_DOUBLE_EQ(s->discharge_bc_out_total, 20.0);
    EXPECT_DOUBLE_EQ(s->discharge_bc_unmet_total, 40.0);
    // An inflow goes to the lake, not to the cell's depth.
    s->ov_bc_values_a[1] = 0.5;
    apply_ov_boundaries(*s, 60.0, false);
    EXPECT_DOUBLE_EQ(s->lake_volume[1], 30.0);
    EXPECT_DOUBLE_EQ(s->lake_in_dv[1], 30.0);
    EXPECT_EQ(s->ov_depth[1], 0.0);
}

TEST(OverlandPointSources, AddWaterAndPullTheClocksIn)
{
    auto s = bc_grid(1, 3, 0.0);
    s->ov_con_trans = 1;
    s->ov_point_source = 1;
    s->ov_point_q.assign(3, 0.0);
    s->ov_point_q[1] = 0.2;
    s->ov_point_q[3] = 0.1;
    s->boundary_type[3] = 3; // fixed head: keeps its depth
    s->contam_last = s->current_time - 60.0 / 86400.0;
    s->contam_next = s->current_time;
    s->ov_next = s->current_time + 1.0;
    s->inf_next = s->current_time + 1.0;
    ov_point_source_step(*s);
    // 60 s as a difference of Julian days is good to about 1e-5 s.
    EXPECT_NEAR(s->ov_depth[1], 12.0 / 100.0, 1e-7);
    EXPECT_EQ(s->ov_depth[3], 0.0);
    EXPECT_NEAR(s->head_bc_out_total, 6.0, 1e-5);
    EXPECT_NEAR(s->ov_point_vol, 18.0, 1e-5);
    EXPECT_DOUBLE_EQ(s->ov_point_vol_total, s->ov_point_vol);
    EXPECT_DOUBLE_EQ(s->ov_next, s->current_time + s->ov_dt_days);
    EXPECT_DOUBLE_EQ(s->inf_next, s->current_time + s->ov_dt_days);

    // Clocks already due within one interval stay; without OV_CON_TRANS
    // nothing is added.
    s->ov_next = s->current_time;
    s->inf_next = s->current_time;
    s->ov_con_trans = 0;
    const double before = s->ov_point_vol_total;
    ov_point_source_step(*s);
    EXPECT_EQ(s->ov_point_vol_total, before);
    EXPECT_DOUBLE_EQ(s->ov_next, s->current_time);
}

TEST(OverlandPointSources, EventRunStartsRedistributionFromTheInitialWaterContents)
{
    auto s = bc_grid(1, 2, 0.0);
    s->ov_con_trans = 1;
    s->ov_point_source = 1;
    s->inf_redist = 1;
    s->contam_next = s->current_time;
    s->contam_last = s->current_time;
    s->inf_next = s->current_time + 1.0;
    s->iter_n.assign(2, 7);
    s->event_inf_depth.assign(2, 0.3);
    s->dist_init_moisture.assign(2, 0.25);
    s->redist_theta_1.assign(2, 0.0);
    s->redist_theta_2.assign(2, 0.0);
    ov_point_source_step(*s);
    EXPECT_EQ(s->redist_initialised, 1);
    EXPECT_EQ(s->iter_n[2], 0);
    EXPECT_EQ(s->event_inf_depth[1], 0.0);
    EXPECT_EQ(s->redist_theta_1[2], 0.25);
    EXPECT_EQ(s->redist_theta_2[1], 0.25);
}

TEST(OverlandPointSources, LongTermRedistributionBringsWaterContentsIntoRange)
{
    auto s = bc_grid(1, 3, 0.0);
    s->ov_con_trans = 1;
    s->ov_point_source = 1;
    s->inf_redist = 1;
    s->long_term = 1;
    s->contam_next = s->current_time;
    s->contam_last = s->current_time;
    s->inf_next = s->current_time + 1.0;
    s->top_layer_depth = 10.0;
    s->soil_depth.assign(3, 20.0);
    s->soil_water_top.assign(3, 0.0);
    s->soil_water_top[1] = 0.2; // 0.02: below the residual 0.05
    s->soil_water_top[2] = 3.0; // 0.3
    s->soil_water_top[3] = 6.0; // 0.6: above the porosity 0.4
    s->dist_porosity.assign(3, 0.4);
    s->dist_resid_sat.assign(3, 0.05);
    s->dist_init_moisture.assign(3, 0.0);
    s->unsat_down_flux.assign(3, 1.0); // cm
    s->direct_evap.assign(3, 2.0);     // cm
    testing::internal::CaptureStdout();
    ov_point_source_step(*s);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out, "cell: 1  thi: 0.020000  thr: 0.050000   phi: 0.400000\n"
                   "Problem initializing inf_redist in main loop, thi<thr at grid cell 1, increasing it to "
                   "0.060000\n"
                   "cell: 3  thi: 0.600000  thr: 0.050000   phi: 0.400000\n"
                   "Problem initializing inf_redist in main loop, thi>phi at grid cell 3, decreasing it to "
                   "0.390000\n");
    EXPECT_DOUBLE_EQ(s->dist_init_moisture[2], 0.3);
    EXPECT_DOUBLE_EQ(s->dist_init_moisture[3], 0.39);
    // The per-cell accumulators move into their totals: 3 x 1 cm and 3 x 2 cm over 100 m2.
    EXPECT_DOUBLE_EQ(s->unsat_down_flux_total, 3.0);
    EXPECT_DOUBLE_EQ(s->direct_evap_total, 6.0);
    EXPECT_EQ(s->direct_evap[2], 0.0);
}

// Channel lakes over the grid: the extent after a change of volume, the
// depth map over a lake and an hour of lake evaporation.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "core/error_state.h"
#include "core/model_state.h"
#include "overland/lake_files.h"
#include "overland/overland_fixture.h"
#include "overland/overland_steps.h"

using namespace overland_test;

namespace
{

// One row of five 10 m cells, ground 100, 101, ..., 104, with `lakes`
// channel lakes whose search lists are empty.
std::unique_ptr<model_state> lake_row(int lakes)
{
    plane_desc desc;
    desc.rows = 1;
    desc.cols = 5;
    auto s = make_plane(desc);
    for (int i = 1; i <= 5; ++i)
        s->ground_elev[i] = 99.0 + i;
    s->chan_lakes = 1;
    s->num_lakes = lakes;
    for (ivec* v : {&s->numpts, &s->lake_cells, &s->numrate, &s->yes_static_lake, &s->yes_defined_curve_lake,
                    &s->lake_rating_warned})
        v->assign(lakes, 0);
    for (dvec* v : {&s->lake_volume, &s->prevlake_volume, &s->lake_area, &s->lake_elev, &s->lake_in_dv,
                    &s->lake_out_dv, &s->cumulative_lake_evap})
        v->assign(lakes, 0.0);
    s->lake_mask.assign(5, 0);
    s->new_flooded_grid.assign(5, 0);
    s->lake_search.assign(lakes, 2, 5, 0);
    s->lake_rate_elev.assign(lakes, 2, 0.0);
    s->lake_rate_volume.assign(lakes, 2, 0.0);
    s->lake_rate_area.assign(lakes, 2, 0.0);
    return s;
}

// Lake k searches the listed columns of row 1, in that order; the first
// `flooded` of them are in the lake at stage P.
void search_list(model_state& s, int k, std::initializer_list<int> cols, int flooded, double P)
{
    int e = 0;
    for (int c : cols) {
        ++e;
        s.lake_search[k][1][e] = 1;
        s.lake_search[k][2][e] = c;
        if (e <= flooded) {
            s.lake_mask[c] = k;
            s.lake_volume[k] += (P - s.ground_elev[c]) * 100.0;
        }
    }
    s.numpts[k] = e;
    s.lake_cells[k] = flooded;
    s.lake_elev[k] = P;
    s.lake_area[k] = flooded * 100.0;
    s.prevlake_volume[k] = s.lake_volume[k];
}

} // namespace

TEST(LakeExtentFork, SteppedLakeFloodsItsListInOrderAndReleasesFromTheEnd)
{
    auto s = lake_row(1);
    search_list(*s, 1, {1, 2, 3, 4, 5}, 1, 100.5); // 50 m3 over cell 1
    s->ov_depth[2] = 0.2;
    testing::internal::CaptureStdout();
    s->lake_volume[1] += 150.0;
    lake_extent_fork(*s);
    // Over cell 2 (ground 101) at 101, with its 20 m3, then 120 m3 over
    // 200 m2.
    EXPECT_NEAR(s->lake_elev[1], 101.6, 1e-12);
    EXPECT_EQ(s->lake_cells[1], 2);
    EXPECT_NEAR(s->lake_volume[1], 220.0, 1e-12);
    EXPECT_NEAR(s->lake_in_dv[1], 20.0, 1e-12);
    EXPECT_EQ(s->ov_depth[2], 0.0);
    EXPECT_EQ(s->lake_mask[2], 1);
    EXPECT_EQ(s->new_flooded_grid[2], 1);
    EXPECT_EQ(s->lake_area[1], 200.0);

    // 100 m3 out: 0.5 m down, both cells kept.
    s->lake_volume[1] -= 100.0;
    lake_extent_fork(*s);
    EXPECT_NEAR(s->lake_elev[1], 101.1, 1e-12);
    EXPECT_EQ(s->lake_cells[1], 2);
    // 100 m3 more: cell 2 is given back at 101, the rest lowers cell 1.
    s->lake_volume[1] -= 100.0;
    lake_extent_fork(*s);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NEAR(s->lake_elev[1], 100.2, 1e-12);
    EXPECT_EQ(s->lake_cells[1], 1);
    EXPECT_EQ(s->lake_mask[2], 0);
    EXPECT_EQ(s->new_flooded_grid[2], -1);
    EXPECT_EQ(s->lake_area[1], 100.0);
    EXPECT_NE(out.find("Lake 1 is taking cell 2 with depth 0.200000\n"), std::string::npos) << out;
    EXPECT_NE(out.find("Removing cell 2 from lake\n"), std::string::npos) << out;
}

TEST(LakeExtentFork, FullListWarnsOnceAndRisesOverTheWholeExtent)
{
    lake_extent_warning_given() = 0;
    auto s = lake_row(1);
    search_list(*s, 1, {1, 2}, 2, 101.5); // 150 + 50 m3
    s->lake_volume[1] += 400.0;
    testing::internal::CaptureStdout();
    lake_extent_fork(*s);
    s->lake_volume[1] += 200.0;
    lake_extent_fork(*s);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NEAR(s->lake_elev[1], 104.5, 1e-12);
    EXPECT_EQ(s->lake_cells[1], 2);
    const std::string warning = "Warning: Lake #1 has reached your specified maximum areal extent\n"
                                "This likely means you should increase the maximum water surface elevation\n"
                                "The last grid cell coordinates defined in your input file are: [1][2] \n";
    EXPECT_EQ(out.find(warning), out.rfind(warning)) << out;
    EXPECT_NE(out.find(warning), std::string::npos) << out;
}

TEST(LakeExtentFork, RatingLakeFloodsFreeListedCellsBelowItsStage)
{
    auto s = lake_row(1);
    search_list(*s, 1, {1, 2, 3}, 0, 100.0);
    s->yes_defined_curve_lake[1] = 1;
    s->numrate[1] = 2;
    s->lake_rate_elev[1][1] = 100.0;
    s->lake_rate_elev[1][2] = 104.0;
    s->lake_rate_volume[1][1] = 0.0;
    s->lake_rate_volume[1][2] = 800.0;
    s->lake_rate_area[1][1] = 0.0;
    s->lake_rate_area[1][2] = 400.0;
    s->lake_volume[1] = s->prevlake_volume[1] = 300.0; // stage 101.5, W = 0
    s->ov_depth[1] = 0.1;
    testing::internal::CaptureStdout();
    lake_extent_fork(*s);
    // Past the table: the end of the table, reported once.
    s->lake_volume[1] = 900.0;
    lake_extent_fork(*s);
    s->lake_volume[1] = 950.0;
    lake_extent_fork(*s);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(s->lake_mask[1], 1);
    EXPECT_EQ(s->lake_mask[2], 1);
    EXPECT_EQ(s->lake_mask[3], 1);
    EXPECT_EQ(s->lake_cells[1], 3);
    EXPECT_NEAR(s->lake_in_dv[1], 10.0, 1e-12); // the water of cell 1
    EXPECT_EQ(s->lake_elev[1], 104.0);
    EXPECT_EQ(s->lake_area[1], 400.0);
    const std::string broken = "Error: the rating curve of lake 1 is broken";
    EXPECT_EQ(out.find(broken), out.rfind(broken)) << out;
    EXPECT_NE(out.find(broken), std::string::npos) << out;
}

TEST(LakeExtentFork, LakeReachingAnotherLakesCellStopsTheRun)
{
    auto s = lake_row(2);
    search_list(*s, 1, {1, 2}, 2, 101.5);
    search_list(*s, 2, {3, 2}, 1, 102.0);
    s->lake_volume[2] += 500.0;
    error_state_clear();
    testing::internal::CaptureStdout();
    lake_extent_fork(*s);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("Your lake has potentially merged with another lake.....\n"
                       "Current TORVA formulation is not up for this. Will be soon.\n"
                       "TORVA Terminating.\n"),
              std::string::npos)
        << out;
    EXPECT_EQ(error_state.raised, 1);
    EXPECT_EQ(s->lake_mask[2], 1);
    error_state_clear();
}

TEST(LakeDepthFork, FloodedCellsShowTheLakeDepth)
{
    auto s = lake_row(1);
    search_list(*s, 1, {1, 2, 3}, 2, 101.25);
    for (int i = 1; i <= 5; ++i)
        s->ov_depth[i] = 0.01 * i;
    double out[6] = {};
    lake_depth_fork(*s, s->ov_depth.data(), out, 5);
    EXPECT_EQ(out[1], 1.25);
    EXPECT_EQ(out[2], 0.25);
    EXPECT_EQ(out[3], 0.03);
    EXPECT_EQ(out[5], 0.05);
}

TEST(LakeEvaporation, OneHourMatchesTheMassTransferFormula)
{
    // Lake 1: 1 km2; lake 2: 0.01 km2 holding less than its hour's loss;
    // wind 2 m/s (172.8 km/day), 20 degrees C, 50 % humidity. Static
    // rating-curve lakes of constant area keep their extent.
    auto s = lake_row(2);
    const double areas[] = {0.0, 1e6, 1e4};
    for (int k = 1; k <= 2; ++k) {
        s->yes_defined_curve_lake[k] = s->yes_static_lake[k] = 1;
        s->numrate[k] = 2;
        s->lake_rate_elev[k][1] = 100.0;
        s->lake_rate_elev[k][2] = 110.0;
        s->lake_rate_volume[k][2] = 1e7;
        s->lake_rate_area[k][1] = s->lake_rate_area[k][2] = areas[k];
        s->lake_area[k] = areas[k];
    }
    s->lake_volume[1] = s->prevlake_volume[1] = 5e6;
    s->lake_volume[2] = s->prevlake_volume[2] = 0.5;
    const double e_sat = 6.11 * std::exp(17.3 * 20.0 / (20.0 + 273.3));
    const double per_m2 = 0.000169 * 172.8 * 0.5 * e_sat / 24.0 / 100.0;
    const double e1 = per_m2 * 1e6;                         // (1e6 / 1e6)^-0.05 = 1
    const double e2 = per_m2 * 1e4 * std::pow(0.01, -0.05); // ~1.53 m3, more than the lake holds
    ASSERT_GT(e2, 0.5);
    lake_evaporation(*s, 2.0, 20.0, 50.0);
    EXPECT_NEAR(s->lake_volume[1], 5e6 - e1, 1e-6);
    EXPECT_NEAR(e1, 120.9369, 1e-4); // by hand
    EXPECT_EQ(s->lake_volume[2], 0.0);
    EXPECT_NEAR(s->cumulative_lake_evap[1], e1, 1e-9);
    EXPECT_EQ(s->cumulative_lake_evap[2], 0.5);
    EXPECT_NEAR(s->lake_evap_total, e1 + 0.5, 1e-9);

    // Saturated air evaporates nothing.
    lake_evaporation(*s, 2.0, 20.0, 100.0);
    EXPECT_NEAR(s->lake_evap_total, e1 + 0.5, 1e-9);
}

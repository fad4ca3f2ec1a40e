// Neighbour lists, slopes and the initial surface volume on a small
// irregular watershed.
#include <gtest/gtest.h>

#include <memory>

#include "core/model_state.h"
#include "overland/overland_steps.h"

namespace {

// Mask (cell numbers):   1 2 .
//                        3 4 5
//                        . 6 .
std::unique_ptr<model_state> small_watershed()
{
    auto s = std::make_unique<model_state>();
    s->num_rows = 3;
    s->num_cols = 3;
    s->num_cells = 6;
    s->gridsize = 2.0;
    s->mask.assign(4, 4, 0);
    const int numbers[3][3] = {{1, 2, 0}, {3, 4, 5}, {0, 6, 0}};
    for (int r = 1; r <= 3; ++r)
        for (int c = 1; c <= 3; ++c) s->mask[r][c] = numbers[r - 1][c - 1];
    for (ivec* v : {&s->rightcon, &s->leftcon, &s->abovecon, &s->belowcon}) v->assign(6, 0);
    for (dvec* v : {&s->slope_x, &s->slope_y, &s->ground_elev, &s->ov_depth}) v->assign(6, 0.0);
    const double elev[] = {0, 10.0, 9.0, 8.5, 7.0, 6.5, 5.0};
    for (int i = 1; i <= 6; ++i) s->ground_elev[i] = elev[i];
    return s;
}

} // namespace

TEST(CellConnectivity, NeighboursAndSlopes)
{
    auto s = small_watershed();
    build_cell_connectivity(*s);
    compute_cell_slopes(*s);
    const int right[] = {0, 2, 0, 4, 5, 0, 0};
    const int left[] = {0, 0, 1, 0, 3, 4, 0};
    const int above[] = {0, 0, 0, 1, 2, 0, 4};
    const int below[] = {0, 3, 4, 0, 6, 0, 0};
    // The rightmost cell of a row run repeats the previous cell's x-slope;
    // the lowest cell of a column run repeats the y-slope above it.
    const double sx[] = {0, 0.5, 0.5, 0.75, 0.25, 0.25, 0.25};
    const double sy[] = {0, 0.75, 1.0, 0.75, 1.0, 0.0, 1.0};
    for (int i = 1; i <= 6; ++i) {
        EXPECT_EQ(s->rightcon[i], right[i]) << i;
        EXPECT_EQ(s->leftcon[i], left[i]) << i;
        EXPECT_EQ(s->abovecon[i], above[i]) << i;
        EXPECT_EQ(s->belowcon[i], below[i]) << i;
        EXPECT_DOUBLE_EQ(s->slope_x[i], sx[i]) << i;
        EXPECT_DOUBLE_EQ(s->slope_y[i], sy[i]) << i;
    }
}

TEST(CellConnectivity, InitialSurfaceVolumeLeavesLakesOut)
{
    auto s = small_watershed();
    for (int i = 1; i <= 6; ++i) s->ov_depth[i] = 0.1;
    sum_initial_surface_volume(*s);
    EXPECT_NEAR(s->surface_initial_volume, 2.4, 1e-12);

    s->chan_lakes = 1;
    s->lake_mask.assign(6, 0);
    s->lake_mask[3] = 1;
    sum_initial_surface_volume(*s);
    EXPECT_NEAR(s->surface_initial_volume, 2.0, 1e-12);

    // With both kinds only the overland-lake cells are left out.
    s->overland_lake_on = 1;
    s->oland_lake_mask.assign(6, 0);
    s->oland_lake_mask[2] = 1;
    s->oland_lake_mask[5] = 2;
    sum_initial_surface_volume(*s);
    EXPECT_NEAR(s->surface_initial_volume, 1.6, 1e-12);
}

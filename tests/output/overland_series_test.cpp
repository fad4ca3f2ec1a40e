// The overland rows of the time-series output: cell depth and discharge at
// the IN_CELLDEPDIS_LOCATION cells, overland depths and water surfaces at
// listed grid positions, one row per output time.
#include <gtest/gtest.h>

#include <string>

#include "core/model_state.h"
#include "output/output_steps.h"
#include "support/test_support.h"

using namespace torva_test;

namespace
{

struct OverlandSeries : testing::Test {
    scratch_dir dir{"ovseries"};
    model_state s;

    void SetUp() override
    {
        // 2 x 2 cells of 10 m; the grid position (1, 2) is outside.
        s.num_rows = 2;
        s.num_cols = 2;
        s.num_cells = 3;
        s.mask.assign(2, 2, 0);
        s.mask[1][1] = 1;
        s.mask[2][1] = 2;
        s.mask[2][2] = 3;
        s.ov_depth.assign(3, 0.0);
        s.ground_elev.assign(3, 0.0);
        s.ov_qx.assign(3, 0.0);
        s.ov_qy.assign(3, 0.0);
        for (int i = 1; i <= 3; ++i) {
            s.ov_depth[i] = 0.01 * i;
            s.ground_elev[i] = 100.0 + i;
        }
        s.ov_qx[2] = 0.3;
        s.ov_qy[2] = 0.4;
        s.hyd_freq_steps = 2;
        s.qout_cfs_factor = 35.314667;

        s.in_celldepdis_location_given = 1;
        s.num_cell_locations = 2;
        s.gnumlocater.assign(2, 0);
        s.gnumlocater[1] = 2;
        s.gnumlocater[2] = 3;
        s.overland_depths = 1;
        s.num_overland_depth_cells = 2;
        s.overland_depth_row.assign(2, 0);
        s.overland_depth_col.assign(2, 0);
        s.overland_depth_row[1] = 2;
        s.overland_depth_col[1] = 2;
        s.overland_depth_row[2] = 1;
        s.overland_depth_col[2] = 2;
        s.overland_wse = 1;
        s.num_overland_wse_cells = 1;
        s.overland_wse_row.assign(1, 1);
        s.overland_wse_col.assign(1, 1);
        ASSERT_TRUE(file_rec_open(s.out_celldepdis_location_file, dir.file("cell.out"), "w"));
        ASSERT_TRUE(file_rec_open(s.overland_depths_file, dir.file("depth.out"), "w"));
        ASSERT_TRUE(file_rec_open(s.overland_wse_file, dir.file("wse.out"), "w"));
    }

    // Calls the step at steps 0..3 (elapsed minutes 0, 1, 2, 3).
    void run_steps()
    {
        for (int n = 0; n < 4; ++n) {
            s.step_count = n;
            s.elapsed_min = n;
            timeseries_output_step(s);
        }
        for (file_rec* f : {&s.out_celldepdis_location_file, &s.overland_depths_file, &s.overland_wse_file})
            file_rec_close(*f);
    }
};

} // namespace

TEST_F(OverlandSeries, OneRowPerOutputTime)
{
    run_steps();
    EXPECT_EQ(read_file(dir.file("cell.out")),
              // time, five blanks, depths, eight blanks, discharges
              "    0.00000000"
              "     "
              "    0.020000      0.030000  "
              "        "
              "    0.500000      0.000000  \n"
              "    2.00000000"
              "     "
              "    0.020000      0.030000  "
              "        "
              "    0.500000      0.000000  \n");
    EXPECT_EQ(read_file(dir.file("depth.out")), "    0.00000000     0.030000     0.000000 \n"
                                                "    2.00000000     0.030000     0.000000 \n");
    EXPECT_EQ(read_file(dir.file("wse.out")), "    0.00000000   101.010000 \n    2.00000000   101.010000 \n");
}

TEST_F(OverlandSeries, CubicFeetLeaveOnlyTheDischarges)
{
    s.qout_cfs = 1;
    s.long_term = 1;
    s.strict_julian_date = 1;
    s.current_time = 2451545.25;
    run_steps();
    EXPECT_EQ(read_file(dir.file("cell.out")), "2451545.25000000"
                                               "     "
                                               "        "
                                               "   17.657334      0.000000  \n"
                                               "2451545.25000000"
                                               "     "
                                               "        "
                                               "   17.657334      0.000000  \n");
    // Depths and water surfaces are never converted.
    EXPECT_EQ(read_file(dir.file("wse.out")),
              "2451545.25000000   101.010000 \n2451545.25000000   101.010000 \n");
}

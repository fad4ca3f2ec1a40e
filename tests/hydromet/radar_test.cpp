// Radar rainfall grids: cells take the radar cell under their centre, rates
// in inches per hour are converted and capped, and a grid that cannot be
// used stops the run.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "core/julian.h"
#include "core/run_steps.h"
#include "hydromet/hydromet_steps.h"
#include "hydromet/rain_fixture.h"
#include "hydromet/rain_services.h"
#include "support/test_support.h"

using namespace rain_test;

namespace
{

// Two by two radar cells of 1000 m from (0, 0); the northern row first.
const char* const radar_2x2 =
    "ncols 2\nnrows 2\nxllcorner 0\nyllcorner 0\ncellsize 1000\nNODATA_value -9999\n"
    "0.5 -9999\n5 0.1\n";

struct Radar : testing::Test {
    torva_test::scratch_dir dir{"radar"};
    // Four 30 m cells straddling the centre of the radar grid: their
    // centres lie at x = 985, 1015 and y = 1015, 985.
    std::unique_ptr<model_state> s = grid(2, 2, 30.0);
    std::string out;

    void SetUp() override
    {
        reset_file_name_globals();
        error_state_clear();
        s->grid_west = 970.0;
        s->grid_north = 1030.0;
        torva_test::write_file(dir.file("r.asc"), radar_2x2);
    }
    void TearDown() override
    {
        reset_file_name_globals();
        error_state_clear();
    }

    void fit_radar_to_grid()
    {
        radar_grid& r = s->radar;
        r.model_rows = s->num_rows;
        r.model_cols = s->num_cols;
        r.model_west = s->grid_west;
        r.model_north = s->grid_north;
        r.model_cell = s->gridsize;
        r.num_cells = s->num_cells;
    }
};

} // namespace

TEST_F(Radar, InchesPerHourAreConvertedCappedAndGatheredByCellCentre)
{
    fit_radar_to_grid();
    testing::internal::CaptureStdout();
    ASSERT_EQ(map_cells_to_radar(dir.file("r.asc"), s->radar, s->mask), 0);
    ASSERT_EQ(read_radar_grid(dir.file("r.asc"), s->radar, 0), 0);
    ASSERT_EQ(apply_radar_grid(s->radar, s->rain_rate), 0);
    out = testing::internal::GetCapturedStdout();
    const double inches[] = {0.0, 12.7, 0.0, 100.0, 2.54};
    for (int i = 1; i <= 4; ++i)
        EXPECT_NEAR(s->rain_rate[i], inches[i], 1e-12) << "cell " << i;
    EXPECT_EQ(out, "Warning: really big precip value (127.000000) in cell (1,0) from radar rainfall.\n"
                   " resetting value to 100.0\n"
                   "Peak rainfall rate read: 100.000000 mm/hr\n"
                   "Peak rainfall applied to watershed: 100.000000 mm/hr\n");

    testing::internal::CaptureStdout();
    ASSERT_EQ(read_radar_grid(dir.file("r.asc"), s->radar, 1), 0);
    ASSERT_EQ(apply_radar_grid(s->radar, s->rain_rate), 0);
    testing::internal::GetCapturedStdout();
    const double millimetres[] = {0.0, 0.5, 0.0, 5.0, 0.1};
    for (int i = 1; i <= 4; ++i)
        EXPECT_EQ(s->rain_rate[i], millimetres[i]) << "cell " << i;
}

TEST_F(Radar, CellSouthOfTheRadarGridStopsWithTheMappingCode)
{
    s->grid_north = 0.0; // centres at y = -15 and -45
    fit_radar_to_grid();
    testing::internal::CaptureStdout();
    EXPECT_EQ(map_cells_to_radar(dir.file("r.asc"), s->radar, s->mask), -1);
    out = testing::internal::GetCapturedStdout();
    // The message of the mapping, then the file, the cell and the grid's extent.
    EXPECT_EQ(out, "Error!! p_I=2, p_J=0\nError: radar grid " + dir.file("r.asc") +
                       " does not cover model cell 1 (row 1, column 1; centre x 985, y -15): the grid spans x 0 to "
                       "2000 and y 0 to 2000 (2 columns and 2 rows of cell size 1000), so the cell falls in its row "
                       "2, column 0 (the last are 1 and 1).\n");
    EXPECT_EQ(error_state.code, err_radar_mapping);
    EXPECT_EQ(error_state.raised, 1);
}

TEST_F(Radar, EventGridThatCannotBeUsedStopsTheRun)
{
    // The third grid of the event has another size, or is missing: the cells
    // must not keep the second grid's rain.
    const std::string other =
        "ncols 3\nnrows 1\nxllcorner 0\nyllcorner 0\ncellsize 1000\nNODATA_value -9999\n"
        "1 1 1\n";
    for (const bool missing : {false, true}) {
        SCOPED_TRACE(missing ? "missing" : "other size");
        error_state_clear();
        auto st = grid(2, 2, 30.0);
        st->grid_west = 970.0;
        st->grid_north = 1030.0;
        std::remove(dir.file("r2.asc").c_str());
        if (!missing)
            torva_test::write_file(dir.file("r2.asc"), other);
        const std::string file = dir.file("radar.pre");
        torva_test::write_file(file, "EVENT radar grids\nNRGAG RadarFiles\nNRPDS 3\n"
                                     "RADAR 2000 6 1 10 0 " +
                                         dir.file("r.asc") +
                                         "\n"
                                         "RADAR 2000 6 1 10 15 " +
                                         dir.file("r.asc") +
                                         "\n"
                                         "RADAR 2000 6 1 10 30 " +
                                         dir.file("r2.asc") + "\n");
        use_precip_file(*st, file);
        testing::internal::CaptureStdout();
        setup_precipitation(*st);
        st->current_time = julian_date(2000, 6, 1, 10, 0, 0.0);
        precip_event_step(*st);
        event_start_step(*st);
        precip_period_step(*st);
        out = testing::internal::GetCapturedStdout();
        ASSERT_EQ(error_state.code, 0) << out;
        EXPECT_EQ(st->num_gages, 1);
        EXPECT_EQ(st->precip_radar, 2);
        EXPECT_NEAR(st->rain_rate[1], 12.7, 1e-12);

        testing::internal::CaptureStdout();
        st->current_time = julian_date(2000, 6, 1, 10, 15, 0.0);
        precip_period_step(*st);
        out = testing::internal::GetCapturedStdout();
        EXPECT_NE(out.find("Reading radar precip file " + dir.file("r2.asc") + ".\n"), std::string::npos)
            << out;
        EXPECT_EQ(error_state.code, err_stop) << out;
    }
}

TEST_F(Radar, HeaderThatPromisesMoreValuesThanTheFileHoldsIsRefusedBeforeAllocating)
{
    // 4 x 8,000,010 values would claim 256 MB; the file holds four.
    torva_test::write_file(dir.file("big.asc"),
                           "ncols 4\nnrows 8000010\nxllcorner 0\nyllcorner 0\ncellsize 1000\nNODATA_value -9999\n"
                           "1 2 3 4\n");
    radar_grid r;
    testing::internal::CaptureStdout();
    EXPECT_EQ(read_radar_header(r, dir.file("big.asc")), -1);
    out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out, "Error: the header of radar grid " + dir.file("big.asc") +
                       " gives 4 columns and 8000010 rows, more values than the file holds.\n");
    EXPECT_TRUE(r.precip_data.empty());

    // The exact grid fits: 2 x 2 values in the smallest file.
    torva_test::write_file(dir.file("small.asc"),
                           "ncols 2\nnrows 2\nxllcorner 0\nyllcorner 0\ncellsize 1000\nNODATA_value -9999\n1 2\n3 4");
    EXPECT_EQ(read_radar_header(r, dir.file("small.asc")), 0);
    EXPECT_EQ(r.precip_data.size(), 4u);
}

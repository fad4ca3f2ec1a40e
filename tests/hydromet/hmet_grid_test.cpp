// Hourly weather grids: stamps split by integer division, every cell takes
// the values of the grid cell holding its centre in the record units, a
// missing wind grid gives 3 m/s with one message, a later grid that differs
// from the first and a missing temperature grid stop the run naming the
// file, and the coordinate check warns on far cells.
#include <gtest/gtest.h>

#include <unistd.h>

#include <climits>
#include <cstdio>
#include <string>
#include <vector>

#include "hydromet/hmet_reader_state.h"
#include "hydromet/hmet_services.h"
#include "hydromet/rain_fixture.h"
#include "support/test_support.h"

using namespace rain_test;

namespace
{

const char* const suffixes[hmet_grid_kinds] = {"_Clod.asc", "_Prcp.asc", "_Pres.asc", "_RlHm.asc",
                                               "_Temp.asc", "_Drad.asc", "_Grad.asc", "_WndS.asc"};

// A grid of 2 x 2 cells of 100 m over the model grid, northern row first.
std::string esri(const std::vector<double>& v, int cols = 2)
{
    char head[160];
    std::snprintf(head, sizeof head,
                  "ncols %d\nnrows 2\nxllcorner 0\nyllcorner 0\ncellsize 100\nNODATA_value -9999\n", cols);
    std::string t = head;
    for (std::size_t k = 0; k < v.size(); ++k)
        t += std::to_string(v[k]) + ((k + 1) % cols ? " " : "\n");
    return t;
}

struct HmetGrid : testing::Test {
    std::string out;
    torva_test::scratch_dir dir{"hmet_grid"};
    std::string old;
    std::unique_ptr<model_state> s = grid(2, 2, 100.0);
    // The hour's grids, by kind; an empty one is not written.
    std::vector<double> values[hmet_grid_kinds] = {
        {9, 5, 0, 10},       {0, 0, 0, 0},         {29.92, 29.92, 29.0, 29.0}, {50, 60, 70, 80},
        {68, 50, -9999, 32}, {100, 110, 120, 130}, {400, 300, 200, 100},       {}};

    void SetUp() override
    {
        error_state_clear();
        char here[PATH_MAX];
        ASSERT_NE(getcwd(here, sizeof here), nullptr);
        old = here;
        ASSERT_EQ(chdir(dir.path().c_str()), 0); // the grids are opened under their plain names
    }
    void TearDown() override
    {
        error_state_clear();
        static_cast<void>(chdir(old.c_str()));
    }

    void write_hour(const std::string& stem)
    {
        for (int k = 0; k < hmet_grid_kinds; ++k)
            if (!values[k].empty())
                torva_test::write_file(dir.file(stem + suffixes[k]), esri(values[k]));
    }
    void setup(const std::string& stamps)
    {
        torva_test::write_file(dir.file("stamps.txt"), stamps);
        s->hmet_ascii = s->long_term = 1;
        file_rec_open(s->hmet_file, dir.file("stamps.txt"), "r");
        out = capture([&] { setup_hmet(*s); });
    }
    template <class F> std::string capture(F f)
    {
        testing::internal::CaptureStdout();
        f();
        return testing::internal::GetCapturedStdout();
    }
    int read(std::string& printed)
    {
        int r = 0;
        printed = capture([&] { r = read_hmet_record(*s); });
        return r;
    }
};

bool has(const std::string& out, const std::string& t)
{
    return out.find(t) != std::string::npos;
}

TEST_F(HmetGrid, CellsTakeTheirGridValuesAndAMissingWindGridGivesThreeMetresPerSecondOnce)
{
    write_hour("2008050100");
    write_hour("2008050101");
    setup("2008050100\n2008050101\n");
    ASSERT_FALSE(error_state.raised) << out;
    EXPECT_TRUE(has(out, "End of hmet_ASCII file encountered after 2 lines\n"));
    EXPECT_EQ(s->hmet_record_count, 2);
    EXPECT_EQ(s->start_yyyymmdd, 20080501);
    EXPECT_EQ(s->start_hhmm, 0);
    std::string first, second;
    ASSERT_EQ(read(first), 1) << first;
    const int date[4] = {2008, 5, 1, 0};
    for (int k = 0; k < 4; ++k)
        EXPECT_EQ(s->hmet_first_date[k], date[k]);
    EXPECT_TRUE(has(first, "Filling Cloud Array\nFilling Precipitation Array\n")) << first;
    EXPECT_TRUE(has(first, "ERROR!!! CANNOT OPEN Wind Speed FILE\nNO WIND VALUE READ, using 3.000000 \n"))
        << first;
    // Cell k sits over grid value k (north row first); the record units.
    for (int k = 1; k <= 4; ++k) {
        EXPECT_DOUBLE_EQ(s->hmet_cell_cloud[k], values[hmet_grid_cloud][k - 1]) << k; // tenths
        EXPECT_NEAR(s->hmet_cell_pressure[k], values[hmet_grid_pressure][k - 1] * 1013.25 / 29.92, 1e-9) << k;
        EXPECT_DOUBLE_EQ(s->hmet_cell_rel_hum[k], values[hmet_grid_rel_hum][k - 1]) << k;
        EXPECT_DOUBLE_EQ(s->hmet_cell_direct_rad[k], values[hmet_grid_direct_rad][k - 1]) << k;
        EXPECT_DOUBLE_EQ(s->hmet_cell_global_rad[k], values[hmet_grid_global_rad][k - 1])
            << k; // its own grid
        EXPECT_DOUBLE_EQ(s->hmet_cell_wind[k], 3.0) << k;
    }
    EXPECT_NEAR(s->hmet_cell_temp[1], 20.0, 1e-12);
    EXPECT_DOUBLE_EQ(s->hmet_cell_temp[3], -9999.0);                 // no data
    EXPECT_NEAR(s->hmet_air_temp, (20.0 + 10.0 + 0.0) / 3.0, 1e-12); // the mean over cells with data
    EXPECT_TRUE(
        has(first, "Warning: 1 cells of the watershed have no data in the hourly grids of 2008050100"))
        << first;
    ASSERT_EQ(read(second), 1);
    EXPECT_EQ(s->hmet_first_date[3], 1);
    EXPECT_FALSE(has(second, "NO WIND")) << second;
    EXPECT_FALSE(has(second, "Filling")) << second;
    EXPECT_FALSE(has(second, "Warning")) << second;
    EXPECT_EQ(read(second), -1);
    EXPECT_FALSE(error_state.raised);
}

TEST_F(HmetGrid, StampsSplitByIntegerDivisionAndBadStampLinesStop)
{
    setup("98050112\n");
    EXPECT_FALSE(error_state.raised) << out;
    EXPECT_EQ(s->start_yyyymmdd, 980501); // a two-digit year stays as written
    EXPECT_EQ(s->start_hhmm, 1200);
    for (const char* bad : {"2008050100 7\n", "2008130100\n", "20080501.5\n", "2008050124\n"}) {
        error_state_clear();
        setup(std::string("2008050100\n") + bad);
        EXPECT_TRUE(error_state.raised) << bad;
        EXPECT_TRUE(has(out, "Error: Problem encountered in hmet_ASCII file, line 2 \n\n"
                             "Make sure your file is in the correct format, including making sure\n"
                             "the dates are in integers and in the following format:\n"
                             " Format:\nyyyymmddhh\n2008050100int\n\n"))
            << out;
    }
}

TEST_F(HmetGrid, ASecondHourGridThatDiffersOrAMissingTemperatureGridStopsNamingTheFile)
{
    const struct {
        int kind;
        std::string text; // empty: the file is not written
        const char* message;
    } cases[] = {
        {hmet_grid_pressure, esri({1, 2, 3, 4, 5, 6}, 3),
         "hydrometeorological grid 2008050101_Pres.asc has 3 columns"},
        {hmet_grid_global_rad, esri({1, 2, 3, 4}) + "5\n",
         "ERROR!!! Counts DO NOT MATCH\n\nError: hydrometeorological grid 2008050101_Grad.asc holds more "
         "values"},
        {hmet_grid_temp, "", "Error: cannot open the hydrometeorological grid 2008050101_Temp.asc\n"},
    };
    for (const auto& c : cases) {
        error_state_clear();
        s = grid(2, 2, 100.0);
        write_hour("2008050100");
        write_hour("2008050101");
        const std::string name = dir.file(std::string("2008050101") + suffixes[c.kind]);
        std::remove(name.c_str());
        if (!c.text.empty())
            torva_test::write_file(name, c.text);
        setup("2008050100\n2008050101\n");
        std::string printed;
        ASSERT_EQ(read(printed), 1) << printed;
        EXPECT_EQ(read(printed), -1);
        EXPECT_TRUE(error_state.raised);
        EXPECT_TRUE(has(printed, c.message)) << printed;
    }
}

// Stamps out of order or an hour missing, and grid values out of their range stop the run,
// naming the file and the cause.
TEST_F(HmetGrid, StampsOutOfOrderAndValuesOutOfRangeStop)
{
    setup("2008050101\n2008050100\n");
    EXPECT_TRUE(error_state.raised);
    EXPECT_TRUE(has(out, ", line 2: the record of 2008-05-01 hour 0 comes before the record of line 1")) << out;

    error_state_clear();
    s = grid(2, 2, 100.0);
    setup("2008050100\n2008050102\n");
    EXPECT_TRUE(error_state.raised);
    EXPECT_TRUE(has(out, ", line 2: the record of 2008-05-01 hour 2 comes 2 hours after the record of line 1")) << out;

    error_state_clear();
    s = grid(2, 2, 100.0);
    values[hmet_grid_rel_hum] = {50, 500, 70, 80};
    write_hour("2008050100");
    setup("2008050100\n");
    ASSERT_FALSE(error_state.raised) << out;
    std::string printed;
    EXPECT_EQ(read(printed), -1);
    EXPECT_TRUE(error_state.raised);
    EXPECT_TRUE(has(printed, "Error: hydrometeorological grid 2008050100_RlHm.asc: row 1, column 2: the relative "
                             "humidity (%) \"500\" is out of range: it must be from 0 to 100.\n"))
        << printed;

    error_state_clear();
    setup("");
    EXPECT_TRUE(error_state.raised);
    EXPECT_TRUE(has(out, "stamps.txt holds no records.\n")) << out;
}

// Grids far from the watershed: the run goes on with the edge cells'
// weather, and the warning names the grids, the first cell and the count.
TEST_F(HmetGrid, GridsFarFromTheWatershedAreNamedInTheWarning)
{
    write_hour("2008050100");
    for (int k = 0; k < hmet_grid_kinds; ++k)
        if (!values[k].empty()) {
            std::string text = esri(values[k]);
            text.replace(text.find("xllcorner 0"), 11, "xllcorner 5000");
            torva_test::write_file(dir.file(std::string("2008050100") + suffixes[k]), text);
        }
    setup("2008050100\n");
    std::string printed;
    ASSERT_EQ(read(printed), 1) << printed;
    EXPECT_TRUE(has(printed, "\nERROR!! in the conversion of X coordinates in the ASCII HMET")) << printed;
    EXPECT_TRUE(has(printed, "Warning: the hourly grids of 2008050100 (x 5000 to 5200, y 0 to 200) do not cover "
                             "model cell 1 (row 1, column 1; centre x 50, y 150): it takes the weather of grid "
                             "column 1, row 1, 4950 m away.\n"))
        << printed;
    EXPECT_TRUE(has(printed, "Warning: 4 cells of the watershed lie outside the hourly grids of 2008050100.\n"))
        << printed;
}

TEST(HmetGridCoords, ACellFarFromItsGridCellIsWarnedAbout)
{
    // Model cell (1,1) of 100 m with its centre at x = -150: clamped to grid
    // column 0 of a grid starting at x = 0, 1.5 grid cells away.
    testing::internal::CaptureStdout();
    EXPECT_DOUBLE_EQ(check_hmet_grid_coords(1, 1, 200.0, -200.0, 100.0, 0.0, 0.0, 100.0, 0, 0, 2), 150.0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "\nERROR!! in the conversion of X coordinates in the ASCII HMET");
    // Cell (2,2) of the same grid starting at x = 0 lies inside grid cell (1,1).
    testing::internal::CaptureStdout();
    EXPECT_DOUBLE_EQ(check_hmet_grid_coords(2, 2, 200.0, 0.0, 100.0, 0.0, 0.0, 100.0, 1, 1, 2), 50.0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

} // namespace

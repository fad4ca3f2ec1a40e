// The map output step on a small hand-made state: output times, the buffer
// fills (depth, discharge magnitude, recharge increment), the snow water
// equivalent rule and the per-time grid names, read back with the readers
// of map_readers.h.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/error_state.h"
#include "core/file_rec.h"
#include "core/model_state.h"
#include "core/platform.h"
#include "output/map_readers.h"
#include "output/output_steps.h"
#include "support/test_support.h"

using namespace torva_test;
using namespace map_readers;

namespace
{

struct MapStep : testing::Test {
    scratch_dir dir{"map_step"};
    std::unique_ptr<model_state> s;

    // A 2 x 3 grid, mask 0 1 1 / 1 1 1: cells 1..5 of 10 m.
    void SetUp() override
    {
        error_state_clear();
        reset_file_name_globals();
        s = std::make_unique<model_state>();
        s->num_rows = s->grid_rows = 2;
        s->num_cols = s->grid_cols = 3;
        s->num_cells = 5;
        s->mask.assign(2, 3, 0);
        s->mask[1][2] = 1;
        s->mask[1][3] = 2;
        s->mask[2][1] = 3;
        s->mask[2][2] = 4;
        s->mask[2][3] = 5;
        s->grid_north = 20;
        s->grid_south = 0;
        s->grid_east = 30;
        s->grid_west = 0;
        s->gridsize = 10;
        s->map_freq_steps = 1;
        s->calib_mode = 1; // a toolbox trial prints no "opening file" lines
        s->ov_depth.assign(5, 0.0);
        s->ov_qx.assign(5, 0.0);
        s->ov_qy.assign(5, 0.0);
        s->rain_rate.assign(5, 0.0);
    }
    void TearDown() override
    {
        s.reset();
        reset_file_name_globals();
        error_state_clear();
    }

    // MAP_TYPE 0, 1 or 2.
    void map_type(int type)
    {
        s->map_type_grids = type == 0;
        s->map_dataset = type == 1 || type == 2;
        s->map_binary = type == 2;
    }

    // The start-up opening of the outputs.
    void open() { open_map_outputs(*s); }

    void step(int count, double minutes)
    {
        s->step_count = count;
        s->elapsed_min = minutes;
        map_output_step(*s);
    }

    // A step with what it printed on the screen.
    std::string printed_step(int count, double minutes)
    {
        s->calib_mode = 0;
        testing::internal::CaptureStdout();
        step(count, minutes);
        return testing::internal::GetCapturedStdout();
    }

    // Ends the run's datasets and reads one back.
    dataset finish_and_read(const std::string& name)
    {
        write_map_dataset_ends(*s);
        write_snow_dataset_ends(*s);
        const std::string text = read_file(dir.file(name));
        return s->map_binary ? read_binary_dataset(text) : read_ascii_dataset(text);
    }

    // The values of the active cells of a per-time grid.
    std::vector<double> grid_cells(const std::string& name)
    {
        const esri_grid g = read_esri_grid(read_file(dir.file(name)));
        EXPECT_EQ(g.error, "") << name;
        std::vector<double> v;
        for (std::size_t i = 0; i < g.values.size(); ++i)
            if (i != 0)
                v.push_back(g.values[i]); // the first cell is outside
            else
                EXPECT_EQ(g.values[i], -9999.99) << name;
        return v;
    }
};

std::vector<double> active(const dataset_step& st)
{
    std::vector<double> v;
    for (std::size_t i = 0; i < st.values.size(); ++i)
        if (st.status[i])
            v.push_back(st.values[i]);
        else
            EXPECT_EQ(st.values[i], 0.0);
    return v;
}

} // namespace

TEST_F(MapStep, OutputTimes)
{
    const struct {
        int freq;
        std::vector<double> times; // of the steps 0..7
    } cases[] = {{3, {1, 4, 7}}, {1, {0, 1, 2, 3, 4, 5, 6, 7}}, {60, {1}}};
    for (const auto& c : cases) {
        SetUp();
        map_type(1);
        s->depth = 1;
        s->depth_name = dir.file("d.dat");
        s->map_freq_steps = c.freq;
        open();
        for (int k = 0; k <= 7; ++k)
            step(k, k);
        const dataset d = finish_and_read("d.dat");
        ASSERT_EQ(d.error, "");
        std::vector<double> times;
        for (const dataset_step& st : d.steps)
            times.push_back(st.time);
        EXPECT_EQ(times, c.times) << "every " << c.freq << " steps";
    }
}

TEST_F(MapStep, DepthDischargeAndKindsWithoutTheirProcess)
{
    for (int type = 0; type <= 2; ++type) {
        SetUp();
        map_type(type);
        const std::string folder = dir.path() + "/";
        s->depth = s->discharge = s->inf_depth_map = 1;
        s->depth_name = type == 0 ? folder : dir.file("depth.dat");
        s->discharge_name = type == 0 ? dir.path() : dir.file("q.dat");
        s->inf_depth_name = type == 0 ? dir.path() : dir.file("inf.dat");
        open();
        for (int c = 1; c <= 5; ++c) {
            s->ov_depth[c] = 0.01 * c;
            s->ov_qx[c] = 3.0 * c;
            s->ov_qy[c] = -4.0 * c;
        }
        const std::string printed = printed_step(1, 1.0);
        const std::vector<double> depth = {0.01, 0.02, 0.03, 0.04, 0.05};
        const std::vector<double> q = {5, 10, 15, 20, 25};
        const std::vector<double> zeros(5, 0.0); // infiltration is not on: its map is zeros
        if (type == 0) {
            EXPECT_EQ(printed, "opening file " + folder + "depth.0001.asc\nopening file " + folder +
                                   "discharge.0001.asc\nopening file " + folder + "infdep.0001.asc\n");
            EXPECT_EQ(grid_cells("depth.0001.asc"), depth);
            EXPECT_EQ(grid_cells("discharge.0001.asc"), q);
            EXPECT_EQ(grid_cells("infdep.0001.asc"), zeros);
            EXPECT_EQ(s->map_output_count, 1);
        } else {
            EXPECT_EQ(printed, "");
            EXPECT_EQ(active(finish_and_read("depth.dat").steps.at(0)), depth) << type;
            EXPECT_EQ(active(finish_and_read("q.dat").steps.at(0)), q) << type;
            EXPECT_EQ(active(finish_and_read("inf.dat").steps.at(0)), zeros) << type;
            EXPECT_EQ(s->map_output_count, 0);
        }
    }
}

TEST_F(MapStep, RechargeIncrement)
{
    for (int type = 0; type <= 2; ++type) {
        SetUp();
        map_type(type);
        s->gw_recharge_cum = s->gw_recharge_inc = 1;
        s->gw_recharge_cum_name = type == 0 ? dir.path() : dir.file("cum.dat");
        s->gw_recharge_inc_name = type == 0 ? dir.path() : dir.file("inc.dat");
        s->cell_recharge_cum.assign(5, 0.0);
        open();
        const double cum[3] = {5, 8, 8};
        for (int t = 0; t < 3; ++t) {
            for (int c = 1; c <= 5; ++c)
                s->cell_recharge_cum[c] = cum[t];
            step(1 + t, 1.0 + t);
        }
        std::vector<double> inc, total;
        if (type == 0) {
            for (const char* t : {"0001", "0002", "0003"}) {
                inc.push_back(grid_cells(std::string("gwrechargeinc.") + t + ".asc").at(2));
                total.push_back(grid_cells(std::string("gwrechargecum.") + t + ".asc").at(2));
            }
        } else {
            for (const dataset_step& st : finish_and_read("inc.dat").steps)
                inc.push_back(active(st).at(2));
            for (const dataset_step& st : finish_and_read("cum.dat").steps)
                total.push_back(active(st).at(2));
        }
        EXPECT_EQ(inc, (std::vector<double>{5, 3, 0})) << "MAP_TYPE " << type;
        EXPECT_EQ(total, (std::vector<double>{5, 8, 8})) << "MAP_TYPE " << type;
        EXPECT_EQ(s->cell_recharge_prev[4], 8.0);
    }
}

TEST_F(MapStep, SnowWaterEquivalentInEventAndLongTermRuns)
{
    const struct {
        int type, long_term;
        std::size_t steps; // dataset steps written at two output times
    } cases[] = {{1, 0, 0}, {2, 0, 0}, {1, 1, 2}, {2, 1, 2}};
    for (const auto& c : cases) {
        SetUp();
        map_type(c.type);
        s->long_term = c.long_term;
        s->cards.snow_swe_file_given = 1;
        s->cards.snow_swe_file = dir.file("swe.dat");
        open();
        step(1, 1);
        step(2, 2);
        const dataset d = finish_and_read("swe.dat");
        ASSERT_EQ(d.error, "") << c.type;
        EXPECT_EQ(d.object_id, 1024);
        EXPECT_EQ(d.name, "snow_water_equivalent");
        EXPECT_EQ(d.steps.size(), c.steps) << "MAP_TYPE " << c.type << ", long term " << c.long_term;
        EXPECT_TRUE(d.ended);
    }
    // One grid per map time, in event runs too.
    SetUp();
    map_type(0);
    s->cards.snow_swe_file_given = 1;
    s->cards.snow_swe_file = dir.path();
    open();
    step(1, 1);
    EXPECT_EQ(grid_cells("swe.0001.asc"), std::vector<double>(5, 0.0));
}

TEST_F(MapStep, GridNumbersAboveFourDigitsAndTheMoistureWord)
{
    map_type(0);
    s->surf_moist = 1;
    s->surf_moist_name = dir.path() + "/";
    s->soil_moisture.assign(5, 0.25);
    open();
    s->map_output_count = 9999;
    step(1, 1);
    EXPECT_EQ(grid_cells("smoist.10000.asc"), std::vector<double>(5, 0.25));
    EXPECT_FALSE(file_exists(dir.file("surf.10000.asc")));
}

TEST_F(MapStep, DatasetThatCannotBeOpenedStopsTheRunAtStartUp)
{
    map_type(2);
    s->depth = s->discharge = 1;
    s->depth_name = dir.file("depth.dat");
    s->discharge_name = dir.file("no_such_folder/q.dat");
    open();
    EXPECT_EQ(error_state.code, 59);
    EXPECT_EQ(error_state.raised, 1);
    EXPECT_EQ(build_error_message(error_state), "Error: Can't open output file: " + s->discharge_name + "\n");
    // Were the step called anyway, nothing would go through the missing stream.
    step(1, 1);
    write_map_dataset_ends(*s);
    EXPECT_EQ(read_binary_dataset(read_file(dir.file("depth.dat"))).steps.size(), 1u);
}

TEST_F(MapStep, GridThatCannotBeOpenedEndsThatMapTime)
{
    map_type(0);
    s->depth = s->dis_rain = 1;
    s->depth_name = s->dis_rain_name = dir.path();
    s->cards.snow_temp_given = 1;
    s->cards.snow_temp = dir.path();
    open();
    step(1, 1);
    ASSERT_TRUE(file_exists(dir.file("Snow_Temperature.0001")));
    make_folder(dir.file("depth.0002.asc")); // a folder where the next depth map goes
    const std::string printed = printed_step(2, 2);
    EXPECT_NE(printed.find("Can't open depth map for writing: " + dir.path() + "/depth.0002.asc\n"),
              std::string::npos)
        << printed;
    EXPECT_EQ(error_state.raised, 1);
    EXPECT_EQ(s->map_output_count, 2);
    // Neither the later kinds nor the series of that time are written.
    EXPECT_FALSE(file_exists(dir.file("rain.0002.asc")));
    EXPECT_FALSE(file_exists(dir.file("Snow_Temperature.0002")));
    EXPECT_EQ(s->snow_temp_series.seq, 2);
}

TEST_F(MapStep, EveryOpenDatasetEndsOnceAlsoAfterAChannelDrain)
{
    for (int type = 1; type <= 2; ++type) {
        SetUp();
        map_type(type);
        s->chan_drain = 1;
        s->depth = s->flood_grid = 1;
        s->depth_name = dir.file("depth.dat");
        s->flood_grid_name = dir.file("flood.dat");
        s->max_flood_depth.assign(5, 0.5);
        open();
        step(1, 1);
        s->elapsed_min = 30;
        write_map_dataset_ends(*s);
        write_map_dataset_ends(*s); // a second call finds the files closed
        const dataset depth = finish_and_read("depth.dat");
        EXPECT_EQ(depth.error, "") << type;
        EXPECT_TRUE(depth.ended);
        // FLOOD_GRID: one closing step of the largest depths, then its marker.
        const dataset flood = finish_and_read("flood.dat");
        ASSERT_EQ(flood.error, "") << type;
        ASSERT_EQ(flood.steps.size(), 1u);
        EXPECT_EQ(flood.steps[0].time, 30.0);
        EXPECT_EQ(active(flood.steps[0]), std::vector<double>(5, 0.5));
        EXPECT_EQ(flood.object_id, 1021);
    }
}

TEST_F(MapStep, SedimentMapsSumAndScaleTheirClasses)
{
    map_type(1);
    s->sed.soil_erosion = s->sed.max_sed_flux = s->sed.net_sed_volume = s->sed.vol_sed_susp = 1;
    s->sed.num_sed = 2;
    s->cards.max_sed_flux = dir.file("flux.dat");
    s->cards.net_sed_volume = dir.file("net.dat");
    s->cards.vol_sed_susp = dir.file("susp.dat");
    s->ov_sed = std::make_unique<sediment_table>();
    sediment_table& t = *s->ov_sed;
    t.ov_qsmax.assign(5, 2, 0.0);
    t.ov_qsvol.assign(5, 2, 0.0);
    t.ov_qsconc.assign(5, 2, 0.0);
    for (int c = 1; c <= 5; ++c) {
        t.ov_qsmax[c][0] = 99.0; // entry 0 is not a class of the flux
        t.ov_qsmax[c][1] = 1e-6 * c;
        t.ov_qsmax[c][2] = 2e-6 * c;
        t.ov_qsvol[c][0] = 0.5 * c; // m3 on 100 m2
        t.ov_qsconc[c][0] = 0.25 * c;
    }
    open();
    step(1, 1);
    // Flux: the classes times 1e6; net volume: m3 x 1000 / cell area; suspended: entry 0.
    EXPECT_EQ(active(finish_and_read("flux.dat").steps.at(0)), (std::vector<double>{3, 6, 9, 12, 15}));
    EXPECT_EQ(active(finish_and_read("net.dat").steps.at(0)), (std::vector<double>{5, 10, 15, 20, 25}));
    const dataset susp = finish_and_read("susp.dat");
    EXPECT_EQ(active(susp.steps.at(0)), (std::vector<double>{0.25, 0.5, 0.75, 1, 1.25}));
    EXPECT_EQ(susp.object_id, 1019);
    EXPECT_EQ(susp.name, "suspended_sediment_conc");
}

// Outlet hydrograph rows of the time-series output step.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "core/file_rec.h"
#include "core/model_state.h"
#include "output/output_steps.h"
#include "support/test_support.h"

namespace
{

struct hydro_case {
    const char* name;
    int long_term, strict, cfs;
    const char* row;     // OUTLET_HYDRO
    const char* sig_row; // SIG_OUTLET_HYDRO
};

} // namespace

TEST(TimeseriesOutput, OutletHydrographRows)
{
    // 2.5 m3/s at 90 minutes into a run on 2000-01-01 12:00 (Julian 2451545.0625
    // at 13:30); 2000 - 1900 is divisible by 4, so the year has 527,040 minutes.
    const hydro_case cases[] = {
        {"event", 0, 0, 0, "   90.00     2.500\n", "   90.00     2.500000\n"},
        {"event, Julian", 0, 1, 0, "2451545.06250000     2.500\n", "2451545.06     2.500000\n"},
        {"long-term", 1, 0, 0, "   2000.00153689      2.5000\n", " 2000.00     2.500000\n"},
        {"long-term, Julian", 1, 1, 0, "2451545.06250000      2.5000\n", "2451545.06     2.500000\n"},
        {"event, cubic feet", 0, 0, 1, "   90.00     88.287\n", "   90.00    88.286667\n"},
        {"event, Julian, cubic feet", 0, 1, 1, "2451545.06250000     88.287\n", "2451545.06    88.286667\n"},
        {"long-term, cubic feet", 1, 0, 1, "   2000.00153689     88.2867\n", " 2000.00    88.286667\n"},
    };
    for (const hydro_case& c : cases) {
        torva_test::scratch_dir dir("hydro");
        auto s = std::make_unique<model_state>();
        ASSERT_TRUE(file_rec_open(s->hydrograph_file, dir.file("q.otl"), "w"));
        ASSERT_TRUE(file_rec_open(s->sig_outlet_hydro_file, dir.file("q6.otl"), "w"));
        s->sig_outlet_hydro = 1;
        s->long_term = c.long_term;
        s->strict_julian_date = c.strict;
        s->qout_cfs = c.cfs;
        s->hyd_freq_steps = 3;
        s->qout = 2.5;
        s->cur_year = 2000;
        s->cur_yday = 1;
        s->cur_hour = 13;
        s->cur_minute = 30;
        s->current_time = 2451545.0625;
        // Rows at steps 0, 3, 6, ...: step 2 writes nothing, step 9 one row.
        s->step_count = 2;
        s->elapsed_min = 60.0;
        timeseries_output_step(*s);
        s->step_count = 9;
        s->elapsed_min = 90.0;
        timeseries_output_step(*s);
        EXPECT_EQ(s->hyd_rows_written, 1) << c.name;
        // Rows are on disk before the files close: they are flushed.
        EXPECT_EQ(torva_test::read_file(dir.file("q.otl")), c.row) << c.name;
        EXPECT_EQ(torva_test::read_file(dir.file("q6.otl")), c.sig_row) << c.name;
    }
}

TEST(TimeseriesOutput, DecimalYearAtTheStartOfAYear)
{
    torva_test::scratch_dir dir("hydro");
    auto s = std::make_unique<model_state>();
    ASSERT_TRUE(file_rec_open(s->hydrograph_file, dir.file("q.otl"), "w"));
    s->long_term = 1;
    s->hyd_freq_steps = 1;
    s->cur_year = 2001;
    s->cur_yday = 1;
    timeseries_output_step(*s);
    EXPECT_EQ(s->output_time, 2001.0);
    s->cur_hour = 12;
    timeseries_output_step(*s);
    EXPECT_DOUBLE_EQ(s->output_time, 2001.0 + 720.0 / 525600.0);
}

TEST(TimeseriesOutput, WellLevelRowsGiveTheHeadsOfTheListedCells)
{
    // A 2 x 2 grid whose cell [2,1] lies outside; wells at [1,2] and [2,1].
    torva_test::scratch_dir dir("wells");
    auto s = std::make_unique<model_state>();
    ASSERT_TRUE(file_rec_open(s->gw_well_level_file, dir.file("wells.out"), "w"));
    s->gw_well_level = 1;
    s->hyd_freq_steps = 1;
    s->elapsed_min = 30.0;
    s->mask.assign(3, 3, 0);
    s->mask[1][1] = 1;
    s->mask[1][2] = 2;
    s->mask[2][2] = 3;
    s->elevgw.assign(3, 0.0);
    s->elevgw[2] = 12.3456789;
    s->num_wells = 2;
    s->well_row.assign(2, 0);
    s->well_column.assign(2, 0);
    s->well_row[1] = 1;
    s->well_column[1] = 2;
    s->well_row[2] = 2;
    s->well_column[2] = 1;
    timeseries_output_step(*s);
    file_rec_close(s->gw_well_level_file);
    EXPECT_EQ(torva_test::read_file(dir.file("wells.out")), "   30.00000000    12.345679     0.000000 \n");
}

// With channel sediment the outlet row carries the wash load of each fine
// class and the sand entries, the TSS row the outlet node's concentration,
// and the location series the node discharges by class and the node's
// concentration.
TEST(TimeseriesOutput, ChannelSedimentRows)
{
    torva_test::scratch_dir dir("sed");
    auto s = std::make_unique<model_state>();
    model_state& m = *s;
    file_rec* recs[4] = {&m.sed.outlet_sed_file, &m.sed.outlet_tss_file, &m.sed.sed_hyd_loc_file,
                         &m.sed.tss_loc_file};
    for (int k = 0; k < 4; ++k)
        ASSERT_TRUE(file_rec_open(*recs[k], dir.file("f" + std::to_string(k)), "w"));
    m.sed.soil_erosion = 1;
    m.chan_sed_on = 1;
    m.hyd_freq_steps = 1;
    m.elapsed_min = 90.0;
    m.num_links = 1;
    m.node_dim = 3;
    m.nx.assign(1, 2);
    m.num_fine_classes = 1;
    m.num_sand_classes = 1;
    m.chan_wash_outlet.assign(1, 0.0);
    m.chan_wash_outlet[1] = 0.25;
    m.chan_sand_outflow.assign(3, 0.0);
    m.chan_sand_outflow[1] = 0.125;
    m.chan_sand_outflow[2] = 0.5;
    m.qsmax.assign(6, 3, 0.0);
    m.qsmax[4][1] = 1.5; // link 1, node 1
    m.qsmax[4][2] = 2.5;
    m.qsmax[4][3] = 3.5;
    m.chan_sed_conc.assign(6, 2, 0.0);
    m.chan_sed_conc[4][0] = 12.5;
    m.chan_sed_conc[5][0] = 40.0; // the outlet node
    m.num_sed_hyd_locations = 1;
    m.slink.assign(1, 1);
    m.snode.assign(1, 1);
    timeseries_output_step(m);
    std::string files[4];
    for (int k = 0; k < 4; ++k) {
        file_rec_close(*recs[k]);
        files[k] = torva_test::read_file(dir.file("f" + std::to_string(k)));
    }
    EXPECT_EQ(files[0], "   90.0000000000     0.2500000000     0.1250000000     0.5000000000\n");
    EXPECT_EQ(files[1], "         90.0000          40.0000 \n");
    EXPECT_EQ(files[2], "   90.00000000     1.5000000000     2.5000000000     3.5000000000 \n");
    EXPECT_EQ(files[3], "   90.00000000          12.5000\n");
}

// The stream-aquifer flux rows: the seepage summed over the interval's
// groundwater steps, averaged over its steps and scaled by the node spacing;
// a node listed twice shows its flux twice, and every sum starts again after
// the row.
TEST(TimeseriesOutput, GroundwaterFluxRowsAverageTheIntervalAndClearTheSums)
{
    torva_test::scratch_dir dir("gwflux");
    auto s = std::make_unique<model_state>();
    ASSERT_TRUE(file_rec_open(s->out_gwflux_location_file, dir.file("gwflux.out"), "w"));
    s->in_gwflux_location_given = 1;
    s->hyd_freq_steps = 2;
    s->step_count = 4;
    s->elapsed_min = 30.0;
    s->link_dx.assign(1, 10.0);
    s->av_qriv.assign(3, 1, 0.0);
    s->av_qriv[2][1] = 0.002;
    s->av_qriv[3][1] = -0.001;
    s->num_gwflux_locations = 3;
    s->gwflink.assign(3, 1);
    s->gwfnode.assign(3, 0);
    s->gwfnode[1] = 2;
    s->gwfnode[2] = 3;
    s->gwfnode[3] = 2;
    timeseries_output_step(*s);
    s->step_count = 6;
    timeseries_output_step(*s);
    file_rec_close(s->out_gwflux_location_file);
    EXPECT_EQ(torva_test::read_file(dir.file("gwflux.out")),
              "   30.00000000     0.010000    -0.005000     0.010000 \n"
              "   30.00000000     0.000000     0.000000     0.000000 \n");
}

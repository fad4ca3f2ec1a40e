// Channel and lake constituent set-up: the rows over the flat node vector,
// the lake start at INIT_CHAN_CONC with its mass in the run's initial mass,
// the decay rate per second, the "con_output" file, the contaminant map
// writers' dataset ids and the contaminant link/node and location outputs.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "channel/chan_routing.h"
#include "channel/channel_fixture.h"
#include "channel/channel_services.h"
#include "channel/channel_steps.h"
#include "core/file_rec.h"
#include "core/model_state.h"
#include "output/linknode_series.h"
#include "output/output_steps.h"
#include "overland/lake_files.h"
#include "quality/quality_steps.h"
#include "support/golden_compare.h"

using namespace torva_test;

namespace
{

struct ChannelConstituents : ChannelProject {
    void SetUp() override
    {
        ChannelProject::SetUp();
        option_checks = false; // the transport steps are not built yet
        grid("soils.idx", "1 1 1 1\n1 1 1 1\n1 1 1 1\n");
        std::string t =
            "TORVA_INDEX_MAP_TABLES\nINDEX_MAP soils.idx \"Soils\"\nCONTAMINANT_TRANSPORT\nNUM_CONTAM 3\n";
        for (const char* name : {"a", "b", "c"})
            t += std::string("\"") + name + "\" \"Soils\" \"" + name +
                 "\"\nPRECIP_CONC 0\nPARTITION 1\nNUM_IDS 1\nID\n" + mapping_row(1, "1 0 0 0 0 1 0 0");
        file("t.cmt", t);
    }
};

} // namespace

TEST_F(ChannelConstituents, LakesStartAtTheInitialConcentration)
{
    ASSERT_TRUE(load_network(lake_network, lake_gst,
                             "OV_CON_TRANS\nCHAN_CON_TRANS\nMAPPING_TABLE t.cmt\nINIT_CHAN_CONC 2\n"
                             "CHAN_DECAY_COEF 0.864\nCHAN_DISP_COEF 0.3\nALL_CONTAM_OUTPUT\nMAP_TYPE 1\n"))
        << out;
    ASSERT_EQ(s->num_constituents, 3);
    ASSERT_TRUE(s->chan_lakes);
    EXPECT_EQ(s->chan_conc.count, 3);
    EXPECT_EQ(s->chan_conc.width, s->link_node_cells);
    EXPECT_EQ(s->lake_mass.count, 3);
    const double volume = s->lake_volume[1];
    ASSERT_GT(volume, 0.0);
    for (int m = 1; m <= 3; ++m) {
        EXPECT_EQ(s->lake_conc[m][1], 2.0) << m;
        EXPECT_DOUBLE_EQ(s->lake_mass[m][1], 2.0 * volume) << m;
        EXPECT_DOUBLE_EQ(s->lake_initial_mass_total[m], 2.0 * volume / 1000.0) << m;
        EXPECT_DOUBLE_EQ(s->GLOBAL_MASS_INIT[m], 2.0 * volume / 1000.0) << m;
        EXPECT_DOUBLE_EQ(s->lake_decay_coef[m][1], 1e-5) << m;
        const int node = s->node_dim * 3 + 2;
        EXPECT_DOUBLE_EQ(s->chan_node_decay[m][node], 1e-5) << m;
        EXPECT_EQ(s->chan_node_disp[m][node], 0.3) << m;
    }
    EXPECT_TRUE(s->chan_aux_file.fp) << "con_output is open";
    EXPECT_TRUE(file_exists(dir.file("con_output")));

    // The map writers of constituent 2 of three carry ids 5003 and 5004.
    testing::internal::CaptureStdout();
    contam_map_output_setup(*s);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(s->con_map_count, 3);
    for (int k = 1; k <= 2; ++k)
        if (std::FILE* fp = s->con_map_series[2][k].out.fp)
            std::fflush(fp);
    EXPECT_NE(read_file(dir.file("b.conc")).find("OBJID 5003\n"), std::string::npos);
    EXPECT_NE(read_file(dir.file("b.mass")).find("OBJID 5004\nND 12\nNC 12\nNAME mass_02\n"),
              std::string::npos);
}

TEST_F(ChannelConstituents, NutrientStreamRowsAndInitialValues)
{
    file("env.dat", "AQUATIC_ENV_QBN10\nOV_MAP soils.idx\nST_MAP none.idx\nNUM_IDS 1\nID\n1\nDEFAULT\n");
    file("t.cmt", "TORVA_INDEX_MAP_TABLES\n");
    const std::string base =
        "NUTRIENTS\nAQ_ENV env.dat\nCHAN_CON_TRANS\nMAPPING_TABLE t.cmt\nWATER_TEMP 20\n";
    ASSERT_FALSE(load_network(lake_network, lake_gst, base + "ST_INIT_NO3 2.5\n"));
    EXPECT_TRUE(printed("Allocating memory for QBN Streams...Done\n")) << out;
    EXPECT_TRUE(printed("Allocating memory for QBN Lakes...Done\n")) << out;
    EXPECT_TRUE(
        printed("Error: the stream id map none.idx of the aquatic environment file cannot be read.\n"))
        << out;

    file("env.dat", "AQUATIC_ENV_QBN10\nOV_MAP soils.idx\nNUM_IDS 1\nID\n1\nDEFAULT\n");
    ASSERT_TRUE(load_network(lake_network, lake_gst, base + "ST_INIT_NO3 2.5\n")) << out;
    EXPECT_TRUE(printed("Assigning spatially uniform parameters for the stream constituent Nitrate (NO3-)\n"))
        << out;
    const int f = s->first_qbn_constituent;
    qbn_stream& p = s->qbn_object->stream;
    // The channel rows are the stream part's arrays.
    EXPECT_EQ(s->chan_conc[f + 1], p.species[1].conc.data);
    EXPECT_EQ(s->chan_node_mass[f + 4], p.species[4].mass.data);
    EXPECT_EQ(s->chan_node_disp[f + 8], p.dispersion.data);
    const int stride = s->max_nodes + 1;
    EXPECT_EQ(s->chan_conc[f + 1][1 * stride + 2], 2.5) << "trapezoid link 1";
    EXPECT_EQ(s->chan_conc[f + 1][2 * stride + 1], 0.0) << "the lake link has no sections";
    EXPECT_EQ(s->qbn_object->params.st_index[2][1], 1);
    EXPECT_EQ(s->qbn_object->lake.num_lakes, 1);

    // The first error is kept: the stream table is missing for NH4, and the
    // DO map after it does not change the code.
    EXPECT_FALSE(load_network(lake_network, lake_gst, base + "ST_INIT_NH4\nST_INIT_DO none.map\n"));
    EXPECT_TRUE(
        printed("Error: Nutrient constituent to use mapping table for input value but no mapping table "
                "exists (Stream): Ammonium (NH4+)\n"))
        << out;
    EXPECT_TRUE(
        printed("Error opening initial condition continuous map file \nfor the stream Dissolved Oxygen (O2) "
                "constituent. \nGiven filename: none.map\n"))
        << out;
    EXPECT_FALSE(printed("Error: Unable to open the nutrient file none.map")) << out;
}

// The contaminant link/node files and the location rows of OUT_CON_LOCATION
// and OUT_MASS_LOCATION at an output time, from hand-set node values.
TEST_F(ChannelConstituents, LinkNodeFilesAndLocationRowsAtAnOutputTime)
{
    file("h.loc", "2 1 2 3 2\n");
    ASSERT_TRUE(load_network(lake_network, lake_gst,
                             "OV_CON_TRANS\nCHAN_CON_TRANS\nMAPPING_TABLE t.cmt\nINIT_CHAN_CONC 2\n"
                             "ALL_CONTAM_OUTPUT\nMAP_TYPE 1\nIN_HYD_LOCATION h.loc\nOUT_HYD_LOCATION h.out\n"
                             "OUT_CON_LOCATION c.out\n"
                             "OUT_MASS_LOCATION m.out\n"))
        << out;
    testing::internal::CaptureStdout();
    contam_map_output_setup(*s);
    contam_chan_output_setup(*s);
    testing::internal::GetCapturedStdout();
    ASSERT_EQ(s->con_linknode_series.count, 3);
    // Each writer's lake link is bound to its own constituent's lake row.
    EXPECT_EQ(s->con_linknode_series[2][1].lake_values.values, s->lake_conc[2]);
    EXPECT_EQ(s->con_linknode_series[3][2].lake_values.values, s->lake_mass[3]);
    EXPECT_EQ(s->con_linknode_series[3][2].lake_values.size(), 1);

    const int d = s->node_dim;
    for (int m = 1; m <= 3; ++m) {
        for (int k = 1; k <= 3; ++k) {
            s->chan_conc[m][d + k] = 10.0 * m + k;
            s->chan_node_mass[m][d + k] = 100.0 * m + 0.5 * k;
            s->dissolved_chan_flux[m][d + k] = 0.25 * m + 0.001 * k;
        }
        for (int k = 1; k <= 2; ++k) {
            s->chan_conc[m][3 * d + k] = 1.0 + 0.125 * k + m;
            s->dissolved_chan_flux[m][3 * d + k] = -0.5 * m;
        }
    }
    s->hyd_freq_steps = 1;
    s->step_count = 0;
    s->elapsed_min = 30.0;
    timeseries_output_step(*s);
    // With SEDIMENT_CONTAM the attached flux follows each dissolved flux.
    s->sediment_contam = 1;
    row_array_add_rows(s->attached_chan_flux, 3, s->link_node_cells);
    for (int m = 1; m <= 3; ++m)
        s->attached_chan_flux[m][d + 2] = 0.0625 * m;
    s->elapsed_min = 45.0;
    timeseries_output_step(*s);
    for (int m = 1; m <= 3; ++m)
        for (int w = 1; w <= 2; ++w)
            linknode_series_destroy(s->con_linknode_series[m][w]);
    file_rec_close(s->out_con_location_file);
    file_rec_close(s->out_mass_location_file);

    const golden_tolerance exact{0.0, 0.0};
    EXPECT_TRUE(matches_golden("contaminant_b.chan.conc", read_file(dir.file("b.chan.conc")), exact));
    EXPECT_TRUE(matches_golden("contaminant_c.chan.mass", read_file(dir.file("c.chan.mass")), exact));
    EXPECT_TRUE(matches_golden("contaminant_locations.conc", read_file(dir.file("c.out")), exact));
    EXPECT_TRUE(matches_golden("contaminant_locations.mass", read_file(dir.file("m.out")), exact));
}

// Dissolved mass moves with the water when a lake takes and gives back
// channel nodes and grid cells: node mass waits in the lake's channel
// exchange, a flooded cell's mass in its overland inflow, a released node
// leaves at the lake's concentration, and a shrinking lake keeps its mass
// at a higher concentration (0 once it holds no water).
TEST_F(ChannelConstituents, MassIsConservedWhenNodesAndCellsJoinAndLeaveALake)
{
    ASSERT_TRUE(load_network(lake_network, lake_gst,
                             "OV_CON_TRANS\nCHAN_CON_TRANS\nMAPPING_TABLE t.cmt\nINIT_CHAN_CONC 2\n"))
        << out;
    model_state& m = *s;
    testing::internal::CaptureStdout();
    init_channel_state(m);
    for (int n = 1; n <= 3; ++n) {
        m.yp[n][1] = m.bel[n][1] + 0.2;
        m.chan_depth[n][1] = 0.2;
    }
    ex_section(m, 2);
    const int d = m.node_dim;
    // With attached constituents each node's total holds 5 g on the wash
    // load besides its dissolved mass.
    row_array_add_rows(m.chan_tot_node_mass, 3, m.link_node_cells);
    row_array_add_rows(m.chan_lake_sed_source, 3, m.num_lakes);
    for (int c = 1; c <= 3; ++c)
        for (int n = 1; n <= 3; ++n) {
            m.chan_node_mass[c][d + n] = 10.0 * c + n;
            m.chan_tot_node_mass[c][d + n] = 10.0 * c + n + 5.0;
            m.chan_conc[c][d + n] = 1.0;
        }
    const auto held = [&](int c) {
        double sum = m.lake_mass[c][1] + m.lake_chan_exchange_mass[c][1] + m.lake_ov_inflow_mass[c][1];
        for (int n = 1; n <= 3; ++n)
            sum += m.chan_node_mass[c][d + n];
        for (int j = 1; j <= m.num_cells; ++j)
            sum += m.ov_mass[c][j];
        return sum;
    };
    double before[4];
    for (int c = 1; c <= 3; ++c)
        before[c] = held(c);

    // Cells 10 and 11 flood: nodes 3 and 2 join the lake.
    m.lake_mask[10] = m.lake_mask[11] = 1;
    m.lake_elev[1] = 99.9;
    ASSERT_EQ(capture_lake_nodes(m), 0);
    ASSERT_EQ(m.nx[1], 1);
    for (int c = 1; c <= 3; ++c) {
        EXPECT_DOUBLE_EQ(m.lake_chan_exchange_mass[c][1], 20.0 * c + 5.0) << c;
        EXPECT_DOUBLE_EQ(m.chan_lake_sed_source[c][1], 10.0) << "the attached mass joins the lake";
        EXPECT_EQ(m.chan_tot_node_mass[c][d + 3], 0.0);
        EXPECT_EQ(m.chan_node_mass[c][d + 2], 0.0);
        EXPECT_EQ(m.chan_conc[c][d + 3], 0.0);
        EXPECT_NEAR(held(c), before[c], 1e-12) << c;
    }
    // Cell 10 dries: node 2 comes back at the lake's concentration.
    m.lake_mask[10] = 0;
    ASSERT_EQ(capture_lake_nodes(m), 0);
    ASSERT_EQ(m.nx[1], 2);
    for (int c = 1; c <= 3; ++c) {
        EXPECT_EQ(m.chan_conc[c][d + 2], m.lake_conc[c][1]);
        EXPECT_NEAR(m.chan_node_mass[c][d + 2], m.lake_conc[c][1] * m.area[2][1] * m.link_dx[1], 1e-12);
        EXPECT_EQ(m.chan_tot_node_mass[c][d + 2], m.chan_node_mass[c][d + 2]);
        EXPECT_NEAR(held(c), before[c], 1e-12) << c;
    }

    // The lake rises over wet cell 11 (ground 100 m, 0.5 m above its stage):
    // the cell's mass waits in the lake's overland inflow.
    m.lake_mask[10] = m.lake_mask[11] = 0;
    m.lake_cells[1] = 1;
    m.lake_elev[1] = 99.5;
    m.ov_depth[11] = 0.1;
    for (int c = 1; c <= 3; ++c)
        m.ov_mass[c][11] = 4.0 * c;
    for (int c = 1; c <= 3; ++c)
        before[c] = held(c);
    m.prevlake_volume[1] = m.lake_volume[1];
    m.lake_volume[1] += 0.6 * m.lake_area[1];
    lake_extent_fork(m);
    ASSERT_EQ(m.lake_mask[11], 1);
    for (int c = 1; c <= 3; ++c) {
        EXPECT_DOUBLE_EQ(m.lake_ov_inflow_mass[c][1], 4.0 * c);
        EXPECT_EQ(m.ov_mass[c][11], 0.0);
        EXPECT_NEAR(held(c), before[c], 1e-12) << c;
        EXPECT_DOUBLE_EQ(m.lake_conc[c][1], m.lake_mass[c][1] / m.lake_volume[1]);
    }
    // Shrinking releases the cell; the mass stays and concentrates.
    const double mass = m.lake_mass[2][1];
    m.lake_volume[1] *= 0.25;
    lake_extent_fork(m);
    EXPECT_EQ(m.lake_mask[11], 0);
    EXPECT_EQ(m.lake_mass[2][1], mass);
    EXPECT_DOUBLE_EQ(m.lake_conc[2][1], mass / m.lake_volume[1]);
    m.lake_volume[1] = 0.0;
    lake_extent_fork(m);
    EXPECT_EQ(m.lake_conc[2][1], 0.0);
    testing::internal::GetCapturedStdout();
}

// The run starts each wet routed node at volume x INIT_CHAN_CONC in its
// initial mass; an event start counts the node and lake masses of channels
// that carry their water over, and otherwise empties the nodes' masses with
// their water, booking them as removed.
TEST_F(ChannelConstituents, NodeMassesAtTheRunAndEventStarts)
{
    ASSERT_TRUE(load_network(lake_network, lake_gst,
                             "OV_CON_TRANS\nCHAN_CON_TRANS\nMAPPING_TABLE t.cmt\nINIT_CHAN_CONC 2\n"))
        << out;
    model_state& m = *s;
    // Link 3 holds water as from a hotstart whose areas follow only from
    // its stages; node 3 of link 1 is dry.
    for (int n = 1; n <= 2; ++n) {
        m.yp[n][3] = m.bel[n][3] + 0.3;
        m.chan_depth[n][3] = 0.3;
    }
    ex_section(m, 2);
    const int d = m.node_dim;
    const double lake = m.GLOBAL_MASS_INIT[1];
    testing::internal::CaptureStdout();
    init_channel_state(m);
    const double volume = (m.area[1][3] + m.area[2][3]) * m.link_dx[3];
    ASSERT_GT(volume, 0.0);
    for (int c = 1; c <= 3; ++c) {
        EXPECT_DOUBLE_EQ(m.chan_node_mass[c][3 * d + 1], 2.0 * m.area[1][3] * m.link_dx[3]);
        EXPECT_EQ(m.chan_conc[c][d + 3], 0.0) << "a dry node holds no concentration";
        EXPECT_NEAR(m.chan_initial_mass_total[c], 2.0 * volume / 1000.0, 1e-12);
        EXPECT_NEAR(m.GLOBAL_MASS_INIT[c], lake + 2.0 * volume / 1000.0, 1e-12);
    }

    // Soil-water accounting carries the channel's water into a later event.
    m.soil_water_acct = 1;
    m.chan_events_started = 1;
    channel_event_start(m);
    EXPECT_NEAR(m.chan_initial_dissolved_event[2], 2.0 * volume / 1000.0, 1e-12);
    EXPECT_NEAR(m.lake_initial_dissolved_event[2], m.lake_mass[2][1] / 1000.0, 1e-15);
    // Without it the channel starts the event empty, masses included. With
    // attached constituents node 1 of link 3 also holds 0.5 kg on its
    // sediment (the total of both phases), which the run took in.
    m.sediment_contam = 1;
    row_array_add_rows(m.chan_tot_node_mass, 3, m.chan_node_mass.width);
    for (int c = 1; c <= 3; ++c) {
        m.chan_tot_node_mass[c][3 * d + 1] = m.chan_node_mass[c][3 * d + 1] + 500.0;
        m.chan_tot_node_mass[c][3 * d + 2] = m.chan_node_mass[c][3 * d + 2];
        m.GLOBAL_MASS_INIT[c] += 0.5;
    }
    m.soil_water_acct = 0;
    m.chan_initial_dissolved_event[2] = 0.0;
    channel_event_start(m);
    EXPECT_EQ(m.chan_tot_node_mass[2][3 * d + 1], 0.0);
    EXPECT_EQ(m.chan_node_mass[2][3 * d + 1], 0.0);
    EXPECT_EQ(m.chan_conc[2][3 * d + 1], 0.0);
    EXPECT_EQ(m.chan_initial_dissolved_event[2], 0.0);
    // A later event's emptying leaves the run's start as it was and books
    // what it took as removed from the run, once per constituent; the event
    // starts from the emptied channel, so its own removals stay clear.
    for (int c = 1; c <= 3; ++c) {
        EXPECT_NEAR(m.chan_initial_mass_total[c], 2.0 * volume / 1000.0, 1e-12);
        EXPECT_NEAR(m.chan_clip_mass_total[c], 2.0 * volume / 1000.0, 1e-12) << c;
        EXPECT_EQ(m.chan_clip_mass_event[c], 0.0) << c;
        EXPECT_NEAR(m.chan_attached_clip_total[c], 0.5, 1e-12) << c;
    }
    channel_event_start(m);
    EXPECT_NEAR(m.chan_clip_mass_total[1], 2.0 * volume / 1000.0, 1e-12) << "an empty channel books nothing";
    EXPECT_NEAR(m.chan_attached_clip_total[1], 0.5, 1e-12);
    testing::internal::GetCapturedStdout();

    // The run ends with only the lake's mass left: the channel's dissolved
    // balance and the global balance both close.
    for (checked_array<double>* a :
         {&m.ov_sed_source_mass, &m.sed_out_mass, &m.soil_sed_mass, &m.ov_sed_attached_mass})
        checked_array_grow(*a, 3 - a->cap);
    for (dvec* v : {&m.chan_final_dissolved, &m.chan_contam_error})
        v->assign(3, 0.0);
    m.con_any = 1;
    m.summary_file.fp = std::tmpfile();
    ASSERT_NE(m.summary_file.fp, nullptr);
    for (int c = 1; c <= 3; ++c)
        m.GLOBAL_MASS_FINAL[c] = lake;
    write_final_constituent_summary(m);
    std::fclose(m.summary_file.fp);
    m.summary_file.fp = nullptr;
    for (int c = 1; c <= 3; ++c) {
        EXPECT_NEAR(m.chan_contam_error[c], 0.0, 1e-9) << c;
        EXPECT_NEAR(m.GLOBAL_MASS_CON_ERROR[c], 0.0, 1e-9) << c;
    }
}

// Water the set-up put in the channel (a stream head boundary, say) that
// the first event empties takes its INIT_CHAN_CONC mass out of the run's
// initial masses, so the run's balance starts from what the event starts
// with.
TEST_F(ChannelConstituents, FirstEventEmptyingTheChannelLeavesNoInitialMass)
{
    ASSERT_TRUE(load_network(lake_network, lake_gst,
                             "OV_CON_TRANS\nCHAN_CON_TRANS\nMAPPING_TABLE t.cmt\nINIT_CHAN_CONC 2\n"))
        << out;
    model_state& m = *s;
    m.yp[2][3] = m.bel[2][3] + 0.3;
    m.chan_depth[2][3] = 0.3;
    ex_section(m, 2);
    const double lake = m.GLOBAL_MASS_INIT[1];
    testing::internal::CaptureStdout();
    init_channel_state(m);
    ASSERT_GT(m.chan_initial_mass_total[1], 0.0);
    // The node's 0.25 kg on its sediment leaves the run's start with it.
    m.sediment_contam = 1;
    row_array_add_rows(m.chan_tot_node_mass, 3, m.chan_node_mass.width);
    for (int c = 1; c <= 3; ++c) {
        m.chan_tot_node_mass[c][m.node_dim * 3 + 2] = m.chan_node_mass[c][m.node_dim * 3 + 2] + 250.0;
        m.GLOBAL_MASS_INIT[c] += 0.25;
    }
    channel_event_start(m);
    testing::internal::GetCapturedStdout();
    for (int c = 1; c <= 3; ++c) {
        EXPECT_EQ(m.chan_node_mass[c][m.node_dim * 3 + 2], 0.0);
        EXPECT_NEAR(m.chan_initial_mass_total[c], 0.0, 1e-15);
        EXPECT_NEAR(m.GLOBAL_MASS_INIT[c], lake, 1e-12);
        EXPECT_NEAR(m.lake_initial_dissolved_event[c], lake, 1e-12) << "the lake keeps its mass";
        EXPECT_EQ(m.chan_attached_clip_total[c], 0.0);
    }
}

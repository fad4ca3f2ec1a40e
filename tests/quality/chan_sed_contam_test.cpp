// Constituents on the channel wash load and the loads beside the dissolved
// routing: dissolved plus attached mass is conserved on a link carrying wash
// load, reversed wash-load flow takes the downstream concentration, a lake
// loses each step's settled attached mass once, the stream- and lake-bed
// exchange signs with and without a water table, and the rain on lakes.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "core/model_state.h"
#include "quality/chan_sed_contam.h"
#include "quality/chan_wq_fixture.h"
#include "quality/chan_sediment.h"
#include "quality/quality_steps.h"

namespace
{

constexpr int nodes = 3;
constexpr double dt = 60.0;

// Links of three nodes 100 m apart with a flow area of 2 m2; down[l] gives
// the downstream link (0 for the outlet link) and kinds the bit words. One
// fine class (class 1, 2.65e6 g/m3) and one contaminant with its channel
// rows made by the channel constituent set-up.
std::unique_ptr<model_state> make_network(const std::vector<int>& down, const std::vector<int>& kinds,
                                          int lakes)
{
    auto state = std::make_unique<model_state>();
    model_state& s = *state;
    chan_wq_fixture::set_links(s, down, kinds, nodes, 100.0);
    const int L = s.num_links;
    s.area.assign(s.node_dim, s.link_dim, 0.0);
    s.area_old.assign(s.node_dim, s.link_dim, 0.0);
    s.qriv.assign(s.node_dim, s.link_dim, 0.0);
    s.num_lakes = lakes;
    s.chan_lakes = lakes > 0;
    for (int l = 1; l <= L; ++l) {
        if (s.ltype[l] & 32) {
            s.nx[l] = 1;
            s.lake2link[l] = 1;
        }
        for (int k = 1; k <= s.nx[l]; ++k)
            s.area[k][l] = 2.0;
    }
    s.lake_volume.assign(lakes, 1000.0);
    s.sed.num_sed = 1;
    s.num_fine_classes = 1;
    s.sed_class.assign(1, 1);
    s.sand.assign(1, 0);
    s.particle_density.assign(1, 2.65e6);
    s.sed_porosity = 0.4;
    s.chan_sed_on = 1;
    alloc_channel_sediment(s);
    s.num_constituents = 1;
    checked_array_grow_fill(s.constituent_type, 1, 1);
    for (checked_array<double>* a :
         {&s.GLOBAL_MASS_INIT, &s.GLOBAL_MASS_OUT, &s.precip_conc, &s.water_soil_partition_coef})
        checked_array_grow(*a, 1);
    s.chan_con_trans = 1;
    s.sediment_contam = 1;
    s.chan_con_output_name.clear();
    alloc_channel_constituents(s);
    s.time_tol = process_time_tol;
    s.chan_con_next = s.current_time;
    s.chan_con_last = s.current_time - dt / 86400.0;
    return state;
}

int node(const model_state& s, int n, int l)
{
    return s.node_dim * l + n;
}

} // namespace

TEST(ChannelAttachedConstituents, DissolvedPlusAttachedMassIsConservedOnALinkCarryingWashLoad)
{
    // Link 1 into link 2, the outlet link; wash load moves downstream at
    // every node, a lateral attached input arrives at node 2 of link 1.
    auto st = make_network({2, 0}, {4, 4}, 0);
    model_state& s = *st;
    s.chan_soil_water_partition[1] = 5000.0;
    double before = 0.0;
    for (int l = 1; l <= 2; ++l) {
        for (int n = 1; n <= nodes; ++n) {
            const int j = node(s, n, l);
            s.ch_wash_vol[n][l][1] = 1e-4 * (n + l);
            s.qsmax[j][1] = 2e-7 * n;
            s.chan_node_mass[1][j] = 50.0 * n;
            s.chan_tot_node_mass[1][j] = 80.0 * n + 10.0 * l;
            s.chan_sed_contam_node_conc.table[1][j][1] = 2000.0 * l + 100.0 * n;
            before += s.chan_tot_node_mass[1][j];
        }
    }
    s.chan_qlat_sed_mass.table[1][node(s, 2, 1)][1] = 7.5;
    before += 7.5;

    chan_sed_contam_step(s);

    // The routing takes the queued dissolved share as a source, so the
    // node's dissolved mass after it is the node mass plus that source.
    double after = 0.0;
    for (int l = 1; l <= 2; ++l)
        for (int n = 1; n <= nodes; ++n) {
            const int j = node(s, n, l);
            after += s.chan_tot_node_mass[1][j] + s.chan_node_mass[1][j] + s.chan_node_sed_source_mass[1][j];
        }
    const double outlet = s.chan_outlet_mass_event[1] * 1000.0;
    EXPECT_GT(outlet, 0.0);
    EXPECT_NEAR(after + outlet, before, 1e-9 * before);
    EXPECT_DOUBLE_EQ(s.chan_outlet_mass_total[1], s.chan_outlet_mass_event[1]);
    EXPECT_DOUBLE_EQ(s.GLOBAL_MASS_OUT[1], s.chan_outlet_mass_event[1]);
    EXPECT_EQ(s.chan_qlat_sed_mass.table[1][node(s, 2, 1)][1], 0.0) << "the lateral input is taken once";

    // Node 2 of link 2 by hand: the wash load upwind at node 1 of link 2
    // and node 2 left with their concentrations before the split.
    const int j = node(s, 2, 2);
    const double D1 = 2e-7 * 1 * dt * (2000.0 * 2 + 100.0 * 1), D2 = 2e-7 * 2 * dt * (2000.0 * 2 + 100.0 * 2);
    const double total = 80.0 * 2 + 20.0 + D1 - D2;
    const double sed_conc = 2.65e6 * 1e-4 * 4 / 200.0; // mg/L
    const double attached = 5000.0 / 1e6 * sed_conc / (1.0 + 5000.0 / 1e6 * sed_conc);
    EXPECT_NEAR(s.chan_sed_conc[j][1], sed_conc, 1e-9);
    EXPECT_NEAR(s.chan_node_fraction_dissolved[1][j], 1.0 - attached, 1e-12);
    EXPECT_NEAR(s.chan_tot_node_mass[1][j], total * attached, 1e-9);
    EXPECT_NEAR(s.chan_node_sed_source_mass[1][j], total * (1.0 - attached) - 100.0, 1e-9);
    EXPECT_NEAR(s.chan_sed_contam_node_conc.table[1][j][1], total * attached / 4e-4, 1e-6);
    EXPECT_NEAR(s.attached_chan_flux[1][j], D2 / dt, 1e-12);

    // Not due, or without attached constituents: nothing moves.
    const double held = s.chan_tot_node_mass[1][j];
    s.chan_con_next += 1.0;
    chan_sed_contam_step(s);
    s.chan_con_next -= 1.0;
    s.sediment_contam = 0;
    chan_sed_contam_step(s);
    EXPECT_EQ(s.chan_tot_node_mass[1][j], held);
}

TEST(ChannelAttachedConstituents, ReversedWashLoadTakesTheDownstreamConcentration)
{
    // Link 1 into lake link 2 into link 3.
    auto st = make_network({2, 3, 0}, {4, 32, 4}, 1);
    model_state& s = *st;
    for (int l : {1, 3})
        for (int n = 1; n <= nodes; ++n)
            s.chan_sed_contam_node_conc.table[1][node(s, n, l)][1] = 10.0 * l + n;
    s.lake_sed_contam_conc.table[1][1][1] = 500.0;
    const struct {
        int link, n;
        double expected_conc;
    } cases[] = {
        {1, 2, 13.0},  // within the link: node 3's
        {1, 3, 500.0}, // last node above a lake: the lake's
        {3, 1, 32.0},  // within the outlet link
    };
    for (const auto& c : cases) {
        const int j = node(s, c.n, c.link);
        for (int k = 0; k <= s.qsmax.rows(); ++k)
            s.qsmax[k][1] = 0.0;
        s.qsmax[j][1] = -1e-6;
        chan_sed_con_route(s, dt, 1);
        EXPECT_NEAR(s.chan_sed_con_out[j], -1e-6 * dt * c.expected_conc, 1e-15) << c.link << " " << c.n;
    }
    // Forward flow out of the lake carries the lake's concentration, and the
    // lake books what it gives to link 3.
    for (int k = 0; k <= s.qsmax.rows(); ++k)
        s.qsmax[k][1] = 0.0;
    s.qsmax[node(s, 1, 2)][1] = 1e-6;
    s.chan_lake_sed_source[1][1] = 0.0;
    chan_sed_con_route(s, dt, 1);
    EXPECT_NEAR(s.chan_lake_sed_source[1][1], -1e-6 * dt * 500.0, 1e-12);
}

TEST(ChannelAttachedConstituents, ALakeDrainingIntoAnotherLakeMovesNothing)
{
    auto st = make_network({2, 3, 0}, {4, 32, 32}, 1);
    model_state& s = *st;
    s.lake_sed_contam_conc.table[1][1][1] = 500.0;
    s.qsmax[node(s, 1, 2)][1] = 1e-6;
    chan_sed_con_route(s, dt, 1);
    EXPECT_EQ(s.chan_sed_con_out[node(s, 1, 2)], 0.0);
    EXPECT_EQ(s.chan_lake_sed_source[1][1], 0.0);
}

TEST(ChannelAttachedConstituents, LakeLosesEachStepsSettledMassOnce)
{
    auto st = make_network({2, 3, 0}, {4, 32, 4}, 1);
    model_state& s = *st;
    s.lake_sed_contam_conc.table[1][1][1] = 2.0;
    s.lake_settled_vol_step.assign(1, 1, 0.0);
    s.lake_settled_vol_step[1][1] = 0.5; // m3 settled in each step
    s.lake_tot_mass[1][1] = 100.0;
    chan_sed_con_route(s, dt, 1);
    chan_sed_con_route(s, dt, 1);
    EXPECT_DOUBLE_EQ(s.lake_tot_mass[1][1], 98.0);
    EXPECT_DOUBLE_EQ(s.lake_settled_sed_mass[1][1], 2.0);
}

// The lake sediment keeps the run's settled volume, which only grows: each
// attached step takes the part settled since the step before.
TEST(ChannelAttachedConstituents, EachSettledVolumeTakesAttachedMassOnce)
{
    auto st = make_network({2, 3, 0}, {4, 32, 4}, 1);
    model_state& s = *st;
    s.lake_tot_mass[1][1] = 100.0;
    for (double run_settled : {0.5, 1.0, 1.0}) {
        s.GLOBAL_SS_vol_lake_settled[1][1] = run_settled;
        s.lake_sed_contam_conc.table[1][1][1] = 2.0; // g per m3 of sediment
        chan_sed_contam_step(s);
    }
    EXPECT_DOUBLE_EQ(s.lake_settled_sed_mass[1][1], 2.0);
    EXPECT_DOUBLE_EQ(s.event_lake_settled_sed_mass[1], 0.002);
    EXPECT_DOUBLE_EQ(s.LAKE_SETTLED_SED_MASS[1], 0.002);
}

TEST(ChannelGroundwaterLoads, StreamBedExchangeSignsWithAndWithoutAWaterTable)
{
    auto st = make_network({0}, {4}, 0);
    model_state& s = *st;
    // Stream cells 1 and 2 over nodes 1 and 2; the aquifer carries 5 g/m3,
    // the channel 2 g/m3.
    s.num_cells = 2;
    s.gst_ncells = 2;
    s.gst_ncellsingrid.assign(2, 1);
    for (imat* m : {&s.gst_link, &s.gst_node, &s.gst_gnum})
        m->assign(2, 1, 0);
    s.gst_qriv_vol.assign(2, 1, 0.0);
    for (int m = 1; m <= 2; ++m) {
        s.gst_link[m][1] = 1;
        s.gst_node[m][1] = m;
        s.gst_gnum[m][1] = m;
    }
    s.gst_qriv_vol[1][1] = 3.0;  // gaining
    s.gst_qriv_vol[2][1] = -4.0; // losing
    row_array_add_rows(s.soil_group_rows, 1, 2);
    s.soil_group_rows[1][1] = s.soil_group_rows[1][2] = 5.0;
    s.chan_conc[1][node(s, 1, 1)] = s.chan_conc[1][node(s, 2, 1)] = 2.0;
    s.qriv[1][1] = 1e-4; // per metre of channel
    s.qriv[2][1] = -2e-4;

    const struct {
        int water_table, gw_simulation, bound1;
        double load1, load2;
    } cases[] = {
        {1, 0, 0, 3.0 * 5.0, -4.0 * 2.0},
        {1, 1, 4, 3.0 * 5.0, -4.0 * 2.0},
        {1, 1, 2, 0.0, -4.0 * 2.0}, // only river cells exchange with the aquifer model
        {0, 0, 0, 1e-4 * 100.0 * 2.0 * dt, -2e-4 * 100.0 * 2.0 * dt},
    };
    for (const auto& c : cases) {
        s.water_table = c.water_table;
        s.gw_simulation = c.gw_simulation;
        s.gwbound.assign(2, 4);
        s.gwbound[1] = c.bound1;
        for (int n = 1; n <= 2; ++n)
            s.chan_gw_mass[1][node(s, n, 1)] = 0.0;
        chan_gw_con_exchange(s, dt, 1);
        EXPECT_NEAR(s.chan_gw_mass[1][node(s, 1, 1)], c.load1, 1e-12) << c.water_table << c.bound1;
        EXPECT_NEAR(s.chan_gw_mass[1][node(s, 2, 1)], c.load2, 1e-12) << c.water_table << c.bound1;
    }
}

TEST(ChannelGroundwaterLoads, LakeBedLoadsAndRainOnLakesOnTheirClocks)
{
    auto st = make_network({2, 0}, {4, 32}, 1);
    model_state& s = *st;
    // Lake 1 over cells 1 and 2 of a 1 x 2 grid.
    s.num_cells = 2;
    s.mask.assign(1, 2, 0);
    s.mask[1][1] = 1;
    s.mask[1][2] = 2;
    s.numpts.assign(1, 2);
    s.lake_cells.assign(1, 2);
    s.calc_loss.assign(1, 1);
    s.lake_search.assign(1, 2, 2, 0);
    for (int e = 1; e <= 2; ++e) {
        s.lake_search[1][1][e] = 1;
        s.lake_search[1][2][e] = e;
    }
    row_array_add_rows(s.soil_group_rows, 1, 2);
    s.soil_group_rows[1][1] = s.soil_group_rows[1][2] = 5.0;
    s.lake_conc[1][1] = 2.0;
    s.lake_gw_exchange = 1;
    s.stream_loss = 0;
    s.lake_gw_cell_vol.assign(2, 0.0);
    s.lake_gw_cell_vol[1] = 3.0;
    s.lake_gw_cell_vol[2] = -4.0;
    s.chan_load_next = s.current_time;
    s.chan_load_last = s.current_time - dt / 86400.0;
    s.chan_next = s.current_time + 1.0;
    s.lake_precip_conc[1] = 10.0; // m3 of rain on the lake
    s.precip_conc[1] = 3.0;

    chan_contam_kinetics_step(s);
    EXPECT_NEAR(s.lake_gw_mass[1][1], 3.0 * 5.0 - 4.0 * 2.0, 1e-12);
    EXPECT_EQ(s.lake_gw_cell_vol[1], 0.0);
    EXPECT_NEAR(s.chan_load_dt, dt, 1e-6) << "seconds";
    EXPECT_EQ(s.chan_load_next, s.chan_next);
    EXPECT_DOUBLE_EQ(s.lake_precip_mass[1][1], 30.0);
    EXPECT_EQ(s.lake_precip_conc[1], 0.0);

    // Before the routing is due the rain waits; the loads wait for their
    // own clock.
    s.lake_precip_conc[1] = 4.0;
    s.lake_gw_cell_vol[1] = 1.0;
    s.chan_con_next = s.current_time + 1.0;
    chan_contam_kinetics_step(s);
    EXPECT_DOUBLE_EQ(s.lake_precip_mass[1][1], 30.0);
    EXPECT_EQ(s.lake_precip_conc[1], 4.0);
    EXPECT_NEAR(s.lake_gw_mass[1][1], 7.0, 1e-12);
}

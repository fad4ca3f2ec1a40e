// Lateral sediment of the overland-channel exchange: a channel cell's
// suspended and deposited volumes go into the nodes by the cell's shares,
// the channel inflow totals book them, sand waiting at a dry node is taken
// up once the node is wet, and the channel sand balance closes.
#include <gtest/gtest.h>

#include <limits>
#include <memory>
#include <string>

#include "core/error_state.h"
#include "core/model_state.h"
#include "quality/chan_sediment.h"

namespace
{

// One erodible trapezoidal link of 5 nodes 100 m apart (bottom 5 m, side
// slope 1, bed falling 0.001, 1 m deep, 6 m3/s). Two grid cells: cell 1
// shares its volumes equally between nodes 2 and 4, cell 2 gives all to
// node 5. Class 1 is fine, class 2 sand (0.25 mm).
std::unique_ptr<model_state> make_case()
{
    auto state = std::make_unique<model_state>();
    model_state& s = *state;
    const int nodes = 5;
    s.num_links = 1;
    s.link_dim = 2;
    s.node_dim = nodes + 1;
    s.ltype.assign(1, 2 | 4);
    s.nx.assign(1, nodes);
    s.og_nx1.assign(1, nodes);
    s.dslink.assign(1, 0);
    s.link_dx.assign(1, 100.0);
    s.lake2link.assign(1, 0);
    s.bplink.assign(1, 0);
    for (dnode_mat* m : {&s.bel, &s.chan_depth, &s.qp, &s.bottom, &s.sslope, &s.max_eros, &s.qlat})
        m->assign(s.node_dim, s.link_dim, 0.0);
    for (int k = 1; k <= nodes; ++k) {
        s.bel[k][1] = 10.0 - 0.1 * (k - 1);
        s.chan_depth[k][1] = 1.0;
        s.qp[k][1] = 6.0;
        s.bottom[k][1] = 5.0;
        s.sslope[k][1] = 1.0;
        s.max_eros[k][1] = 0.5;
    }
    s.sed.num_sed = 2;
    s.sed.water_viscosity = 1e-6;
    s.num_fine_classes = 1;
    s.num_sand_classes = 1;
    s.sed_class.assign(2, 0);
    s.sed_class[1] = 1;
    s.sed_class[2] = 2;
    s.sand.assign(2, 0);
    s.sand[2] = 1;
    s.sand_size = 0.25;
    s.sed_porosity = 0.4;
    s.chan_sed_on = 1;

    s.num_cells = 2;
    s.ov_depth.assign(2, 0.01);
    s.ov_sed = std::make_unique<sediment_table>();
    s.ov_sed->cell_tally.assign(2, 2, sed_tally());
    for (int c = 1; c <= 2; ++c)
        for (int m = 1; m <= 2; ++m) {
            s.ov_sed->cell_tally[c][m].suspended = 0.1 * c + 0.01 * m;
            s.ov_sed->cell_tally[c][m].deposited = 0.2 * c + 0.02 * m;
        }
    s.gst_ncells = 2;
    s.gst_max_entries = 2;
    s.gst_ncellsingrid.assign(2, 0);
    s.gst_ncellsingrid[1] = 2;
    s.gst_ncellsingrid[2] = 1;
    for (imat* m : {&s.gst_link, &s.gst_node, &s.gst_gnum})
        m->assign(2, 2, 0);
    s.gst_pct.assign(2, 2, 0.0);
    const int entries[3][4] = {{1, 1, 2, 1}, {1, 2, 4, 1}, {2, 1, 5, 2}}; // cell, entry, node, grid cell
    for (const auto& e : entries) {
        s.gst_link[e[0]][e[1]] = 1;
        s.gst_node[e[0]][e[1]] = e[2];
        s.gst_gnum[e[0]][e[1]] = e[3];
        s.gst_pct[e[0]][e[1]] = e[0] == 1 ? 0.5 : 1.0;
    }
    alloc_channel_sediment(s);
    return state;
}

double cell_volume(const model_state& s, int c, int m)
{
    const sed_tally& v = s.ov_sed->cell_tally[c][m];
    return v.suspended + v.deposited;
}

double sand_held(const model_state& s)
{
    double v = 0.0;
    for (int k = 1; k <= 5; ++k)
        v += s.ch_sand_vol[k][1][1] + s.ch_sand_vol[k][1][2] + s.qlat_sed[k][1][2];
    return v;
}

// SEDIMENT_CONTAM with one constituent: the cells' and nodes' attached rows,
// empty, and the attached phase's copy of the suspended volumes.
void add_attached(model_state& s)
{
    s.sediment_contam = 1;
    s.num_constituents = 1;
    for (row_array<double>* r : {&s.sed_con_mass, &s.sed_con_work, &s.sed_con_chan_deposit})
        row_array_add_rows(*r, 1, 2);
    row_array_add_rows(s.chan_tot_node_mass, 1, s.node_dim * 2);
    matrix_stack_add(s.sed_con_class, 1, 0.0, 2, 2);
    for (matrix_stack* m : {&s.chan_qlat_sed_mass, &s.chan_sed_contam_node_conc})
        matrix_stack_add(*m, 1, 0.0, s.node_dim * 2, 2);
    dvector_alloc_zero(s.chan_qlat_mass_event, 1, "event");
    dvector_alloc_zero(s.chan_qlat_mass_total, 1, "total");
    s.ov_sed_vol_susp.assign(2, 2, 0.0);
    for (int m = 1; m <= 2; ++m) {
        s.ov_sed_vol_susp[m][1] = s.ov_sed->cell_tally[m][1].suspended;
        s.ov_sed_vol_susp[m][2] = s.ov_sed->cell_tally[m][2].suspended;
        s.ov_sed_vol_susp[m][0] = s.ov_sed_vol_susp[m][1];
    }
}

} // namespace

TEST(ChannelLateralSediment, ChannelCellsDeliverBySharesAndTheInflowIsBooked)
{
    auto s = make_case();
    double given[3] = {0.0, 0.0, 0.0};
    for (int m = 1; m <= 2; ++m)
        given[m] = cell_volume(*s, 1, m) + cell_volume(*s, 2, m);
    const double half_cell1_fine = 0.5 * cell_volume(*s, 1, 1);
    chan_lateral_sediment(*s, 60.0);
    ASSERT_EQ(error_state.raised, 0);
    for (int c = 1; c <= 2; ++c)
        for (int m = 1; m <= 2; ++m)
            EXPECT_NEAR(cell_volume(*s, c, m), 0.0, 1e-15) << c << " " << m;
    EXPECT_DOUBLE_EQ(s->qlat_sed[2][1][1], half_cell1_fine);
    EXPECT_DOUBLE_EQ(s->qlat_sed[4][1][1], half_cell1_fine);
    EXPECT_DOUBLE_EQ(s->qlat_sed[5][1][2], cell_volume(*make_case(), 2, 2));
    for (int m = 1; m <= 2; ++m) {
        EXPECT_NEAR(s->chan_sed_in_total[m], given[m], 1e-15);
        EXPECT_NEAR(s->chan_sed_in_event[m], given[m], 1e-15);
        double into_nodes = 0.0;
        for (int k = 1; k <= 5; ++k)
            into_nodes += s->qlat_tot_sed[k][1][m];
        EXPECT_NEAR(into_nodes, given[m], 1e-15);
    }
    // Slot 0 of the inflow totals holds the fine classes only.
    EXPECT_NEAR(s->chan_sed_in_total[0], given[1], 1e-15);
}

TEST(ChannelLateralSediment, SandWaitsAtADryNodeAndTheSandBalanceCloses)
{
    auto s = make_case();
    chan_sediment_event_start(*s);
    const double initial = s->chan_sand_initial_event;
    s->chan_depth[5][1] = 0.0; // node 5 dry for the first step
    chan_lateral_sediment(*s, 60.0);
    const double lateral = s->chan_sed_in_total[2];
    chan_sed_transport(*s, 60.0);
    EXPECT_GT(s->qlat_sed[5][1][2], 0.0); // still waiting, not lost
    EXPECT_EQ(s->qlat_sed[2][1][2], 0.0); // taken up at a wet node
    s->chan_depth[5][1] = 1.0;
    chan_lateral_sediment(*s, 60.0); // the cells are empty now: nothing more
    EXPECT_EQ(s->chan_sed_in_total[2], lateral);
    chan_sed_transport(*s, 60.0);
    EXPECT_EQ(s->qlat_sed[5][1][2], 0.0);
    EXPECT_NEAR(sand_held(*s) + s->chan_sand_out_event, initial + lateral, 1e-9);
}

TEST(ChannelLateralSediment, DryCellsAndBackwaterLinksWithoutInflowDeliverNothing)
{
    auto s = make_case();
    s->ov_depth[2] = 0.0; // dry cell 2
    s->ltype[1] |= 512;   // backwater exchange on the link, no lateral inflow
    chan_lateral_sediment(*s, 60.0);
    EXPECT_EQ(s->chan_sed_in_total[1] + s->chan_sed_in_total[2], 0.0);
    s->qlat[2][1] = 1e-3; // node 2 takes water from the cells: they deliver there
    chan_lateral_sediment(*s, 60.0);
    EXPECT_DOUBLE_EQ(s->qlat_sed[2][1][1], 0.5 * cell_volume(*make_case(), 1, 1));
    EXPECT_EQ(s->qlat_sed[4][1][1], 0.0);
    EXPECT_EQ(s->qlat_sed[5][1][1] + s->qlat_sed[5][1][2], 0.0);
}

TEST(ChannelLateralSediment, NotANumberStopsTheRun)
{
    auto s = make_case();
    s->ov_sed->cell_tally[2][1].deposited = std::numeric_limits<double>::quiet_NaN();
    testing::internal::CaptureStdout();
    chan_lateral_sediment(*s, 60.0);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("qlat_sed is not a number, exiting.\n"), std::string::npos) << out;
    EXPECT_EQ(error_state.raised, 1);
    error_state_clear();
}

TEST(ChannelLateralSediment, OverbankOutflowCarriesTheNodesWashLoadOntoTheCell)
{
    auto s = make_case();
    s->overbank_flow = 1;
    // Node 2 holds 0.01 m3 of wash load in 500 m3 of water and loses
    // 1e-4 m2/s over its 100 m; cell 1 has half of the node.
    s->ch_wash_vol[2][1][1] = 0.01;
    s->SS_node_conc_vol[s->node_dim + 2][1] = 0.01 / 500.0;
    s->qlat[2][1] = -1e-4;
    s->qlat[4][1] = -1.0; // node 4 would lose far more than its 0.002 m3
    s->ch_wash_vol[4][1][1] = 0.002;
    s->SS_node_conc_vol[s->node_dim + 4][1] = 0.002 / 500.0;
    s->qlat[5][1] = 1e-3;
    const double before = s->ov_sed->cell_tally[1][1].suspended;
    chan_lateral_sediment(*s, 60.0);
    const double O2 = 0.5 * 100.0 * -1e-4 * (0.01 / 500.0) * 60.0;
    EXPECT_DOUBLE_EQ(s->qlat_sed[2][1][1], O2);
    EXPECT_DOUBLE_EQ(s->qlat_sed[4][1][1], -0.002); // no more than the node holds
    EXPECT_DOUBLE_EQ(s->ov_sed->cell_tally[1][1].suspended, before - O2 + 0.002);
    EXPECT_EQ(s->qlat_sed[2][1][2], 0.0); // sand stays in the channel
    // The channel inflow books the net: cell 2's delivery less the overbank.
    const double cell2 = cell_volume(*make_case(), 2, 1);
    EXPECT_NEAR(s->chan_sed_in_total[1], cell2 + O2 - 0.002, 1e-15);
    EXPECT_NEAR(s->chan_sed_in_event[0], cell2 + O2 - 0.002, 1e-15);
}

// With SEDIMENT_CONTAM the attached mass goes with the sediment: cell 1's
// suspended fine sediment (0.11 m3 at 30 g/m3) and the 2 g laid down with
// its deposits split between nodes 2 and 4; the suspended share is never
// more than the cell holds. Dry cell 2 delivers nothing, and the 4 g laid
// down with its deposits join its soil.
TEST(ChannelLateralSediment, AttachedMassGoesWithTheSedimentAndIsBooked)
{
    struct attached_case {
        double cell_mass;     // g attached to cell 1's suspended sediment
        double per_node_susp; // g each node receives of it
    } cases[] = {{3.3, 1.65}, {1.0, 0.5}};
    for (const attached_case& c : cases) {
        SCOPED_TRACE(c.cell_mass);
        auto state = make_case();
        model_state& s = *state;
        add_attached(s);
        s.ov_depth[2] = 0.0;
        s.sed_con_class.table[1][1][1] = 30.0;
        s.sed_con_class.table[1][2][1] = 10.0;
        s.sed_con_mass[1][1] = c.cell_mass;
        s.sed_con_mass[1][2] = 5.0;
        s.sed_con_chan_deposit[1][1] = 2.0;
        s.sed_con_chan_deposit[1][2] = 4.0;

        chan_lateral_sediment(s, 60.0);
        ASSERT_EQ(error_state.raised, 0);
        const double per_node = c.per_node_susp + 1.0;
        for (int node : {2, 4}) {
            const int j = s.node_dim + node;
            EXPECT_NEAR(s.chan_qlat_sed_mass.table[1][j][1], per_node, 1e-12) << node;
            EXPECT_NEAR(s.chan_qlat_sed_mass.table[1][j][0], per_node, 1e-12) << node;
            EXPECT_EQ(s.chan_qlat_sed_mass.table[1][j][2], 0.0) << node; // sand carries none
        }
        EXPECT_EQ(s.chan_qlat_sed_mass.table[1][s.node_dim + 5][0], 0.0);
        EXPECT_NEAR(s.sed_con_mass[1][1], c.cell_mass - 2.0 * c.per_node_susp, 1e-12);
        EXPECT_NEAR(s.sed_con_chan_deposit[1][1], 0.0, 1e-12);
        EXPECT_NEAR(s.sed_con_work[1][1], 0.0, 1e-12);
        EXPECT_NEAR(s.chan_qlat_mass_event[1], 2.0 * per_node / 1000.0, 1e-15);
        EXPECT_NEAR(s.chan_qlat_mass_total[1], 2.0 * per_node / 1000.0, 1e-15);
        // The attached phase's copy of the suspended volumes follows.
        EXPECT_NEAR(s.ov_sed_vol_susp[1][1], 0.0, 1e-15);
        EXPECT_NEAR(s.ov_sed_vol_susp[1][0], 0.0, 1e-15);
        EXPECT_DOUBLE_EQ(s.ov_sed_vol_susp[2][1], s.ov_sed->cell_tally[2][1].suspended);
        EXPECT_EQ(s.sed_con_mass[1][2], 5.0);
        EXPECT_EQ(s.sed_con_chan_deposit[1][2], 0.0);
        EXPECT_EQ(s.sed_con_work[1][2], 4.0);
    }
}

// Deposits laid down since the last channel step carry the mass laid down
// with them; older ones lie in the soil and take its sorbed concentration:
// 10 g in the top layer, half sorbed, in a mixing layer of 1 cm over 100 m2
// with porosity 0.5 and half of it fine gives 20 g per m3. Cell 1 laid down
// half of its 0.22 m3 of fine deposits since the last step.
TEST(ChannelLateralSediment, OlderDepositsTakeTheSoilsSorbedConcentration)
{
    auto state = make_case();
    model_state& s = *state;
    add_attached(s);
    s.ov_depth[2] = 0.0;
    s.gridsize = 10.0;
    s.mixing_layer_depth = 1.0;
    s.dist_porosity.assign(2, 0.5);
    s.sed_fract.assign(2, 2, 3, 0.0);
    s.sed_fract[1][1][1] = s.sed_fract[1][2][1] = 0.5;
    for (matrix_stack* m : {&s.soil_mass, &s.soil_sed_con})
        matrix_stack_add(*m, 1, 0.0, 2, 1);
    s.soil_mass.table[1][1][1] = 10.0;
    s.soil_sed_con.table[1][1][1] = 0.5;
    s.sed_con_chan_deposit_vol.assign(2, 0.0);
    s.sed_con_chan_deposit_vol[1] = 0.11;
    s.sed_con_chan_deposit[1][1] = 2.0;
    chan_lateral_sediment(s, 60.0);
    for (int node : {2, 4})
        EXPECT_NEAR(s.chan_qlat_sed_mass.table[1][s.node_dim + node][0], 1.0 + 20.0 * 0.055, 1e-12) << node;
    EXPECT_NEAR(s.sed_con_work[1][1], -2.2, 1e-12);
    EXPECT_NEAR(s.sed_con_chan_deposit_vol[1], 0.0, 1e-15);
    EXPECT_NEAR(s.chan_qlat_mass_total[1], (2.0 + 2.2) / 1000.0, 1e-15);
}

// Wash load leaving node 2 over the bank takes its attached mass (1,000 g
// per m3) onto cell 1; node 4 gives no more than the 0.5 g it holds. Both
// count against the attached inflow of the channels.
TEST(ChannelLateralSediment, OverbankWashLoadTakesItsAttachedMassOntoTheCell)
{
    auto state = make_case();
    model_state& s = *state;
    add_attached(s);
    s.overbank_flow = 1;
    const int j2 = s.node_dim + 2, j4 = s.node_dim + 4;
    s.ch_wash_vol[2][1][1] = 0.01;
    s.SS_node_conc_vol[j2][1] = 0.01 / 500.0;
    s.qlat[2][1] = -1e-4;
    s.ch_wash_vol[4][1][1] = 0.002;
    s.SS_node_conc_vol[j4][1] = 0.002 / 500.0;
    s.qlat[4][1] = -1.0;
    s.qlat[5][1] = 1e-3;
    s.chan_sed_contam_node_conc.table[1][j2][1] = 1000.0;
    s.chan_sed_contam_node_conc.table[1][j4][1] = 1000.0;
    s.chan_tot_node_mass[1][j2] = 1.0;
    s.chan_tot_node_mass[1][j4] = 0.5;
    const double before = s.ov_sed_vol_susp[1][1];
    chan_lateral_sediment(s, 60.0);
    const double O2 = 0.5 * 100.0 * 1e-4 * (0.01 / 500.0) * 60.0; // m3 onto the cell
    EXPECT_NEAR(s.chan_qlat_sed_mass.table[1][j2][1], -1000.0 * O2, 1e-15);
    EXPECT_NEAR(s.chan_qlat_sed_mass.table[1][j4][1], -0.5, 1e-15);
    EXPECT_NEAR(s.chan_qlat_sed_mass.table[1][j4][0], -0.5, 1e-15);
    EXPECT_NEAR(s.sed_con_mass[1][1], 1000.0 * O2 + 0.5, 1e-15);
    EXPECT_NEAR(s.chan_qlat_mass_total[1], -(1000.0 * O2 + 0.5) / 1000.0, 1e-15);
    EXPECT_NEAR(s.ov_sed_vol_susp[1][1], before + O2 + 0.002, 1e-15);
}

// Wash load in the channels: a fine-sediment pulse moves downstream and
// leaves through the outlet with its volume conserved (also across a
// structure), a node never gives more than it holds, reversed flow at a
// junction shares node 1's volume in the order of the upstream list, and a
// dry node keeps its wash load. A pulse through a lake is conserved between
// the outlet, the lake's store and what settled on the lake's cells.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "core/model_state.h"
#include "quality/chan_sediment.h"

namespace
{

constexpr int nodes = 5;
constexpr double dt = 60.0;

// Links of 5 nodes 100 m apart with a flow area of 5 m2; links[l] gives the
// downstream link (0 for the outlet link) and kinds the bit words. Every
// node passes q m3 of water per step. One fine class (class 1, 2.65e6 g/m3).
std::unique_ptr<model_state> make_network(const std::vector<int>& down, const std::vector<int>& kinds,
                                          double q)
{
    auto state = std::make_unique<model_state>();
    model_state& s = *state;
    const int L = static_cast<int>(down.size());
    s.num_links = L;
    s.link_dim = L + 1;
    s.node_dim = nodes + 1;
    s.ltype.assign(L, 0);
    s.nx.assign(L, nodes);
    s.og_nx1.assign(L, nodes);
    s.dslink.assign(L, 0);
    s.ndep.assign(L, 0);
    s.uslinks.assign(L, 3, 0);
    s.link_dx.assign(L, 100.0);
    s.lake2link.assign(L, 0);
    s.bplink.assign(L, 0);
    for (dnode_mat* m :
         {&s.bel, &s.chan_depth, &s.qp, &s.bottom, &s.sslope, &s.max_eros, &s.area, &s.qp_vol_sed})
        m->assign(s.node_dim, s.link_dim, 0.0);
    for (int l = 1; l <= L; ++l) {
        s.ltype[l] = kinds[static_cast<std::size_t>(l - 1)];
        s.dslink[l] = down[static_cast<std::size_t>(l - 1)];
        if (s.dslink[l] >= 1)
            s.uslinks[s.dslink[l]][++s.ndep[s.dslink[l]]] = l;
        for (int k = 1; k <= nodes; ++k) {
            s.area[k][l] = 5.0;
            s.qp_vol_sed[k][l] = q;
        }
    }
    s.sed.num_sed = 1;
    s.num_fine_classes = 1;
    s.num_sand_classes = 0;
    s.sed_class.assign(1, 1);
    s.sand.assign(1, 0);
    s.particle_density.assign(1, 2.65e6);
    s.sed_porosity = 0.4;
    s.chan_sed_on = 1;
    alloc_channel_sediment(s);
    return state;
}

// Puts a lake of water volume V and area A in link 2 (two lake cells);
// the fine class settles at ws.
void add_lake(model_state& s, double V, double A, double ws)
{
    s.ltype[2] = 32;
    s.chan_lakes = 1;
    s.num_lakes = 1;
    s.lake2link[2] = 1;
    s.lake_volume.assign(1, V);
    s.lake_area.assign(1, A);
    s.num_cells = 3;
    s.lake_mask.assign(3, 0);
    s.lake_mask[1] = s.lake_mask[2] = 1;
    s.fall_velocity.assign(1, ws);
    s.spec_grav.assign(1, 2.65);
    s.ov_sed = std::make_unique<sediment_table>();
    s.ov_sed->cell_tally.assign(3, 1, sed_tally());
    alloc_channel_sediment(s);
}

double wash_held(const model_state& s)
{
    double v = 0.0;
    for (int l = 1; l <= s.num_links; ++l)
        for (int k = 1; k <= nodes; ++k)
            v += s.ch_wash_vol[k][l][1];
    return v;
}

} // namespace

TEST(ChannelWashLoad, PulseLeavesThroughTheOutletWithItsVolumeConserved)
{
    struct net_case {
        std::vector<int> down, kinds;
    };
    const net_case cases[] = {
        {{2, 0}, {4, 4}},        // two routed links
        {{2, 3, 0}, {4, 64, 4}}, // a structure between them
        {{3, 3, 0}, {4, 4, 4}},  // a junction
    };
    for (const net_case& c : cases) {
        auto s = make_network(c.down, c.kinds, 360.0); // Courant number 0.72
        s->qlat_sed[2][1][1] = 1.0;
        double out = 0.0;
        double peak = 0.0;
        for (int step = 0; step < 60; ++step) {
            chan_constituent_transport(*s, dt);
            out += dt * s->chan_wash_outlet[0];
            peak = std::max(peak, s->chan_wash_outlet[1]);
            EXPECT_EQ(s->qlat_sed[2][1][1], 0.0);
            for (int l = 1; l <= s->num_links; ++l)
                for (int k = 1; k <= nodes; ++k)
                    ASSERT_GE(s->ch_wash_vol[k][l][1], 0.0) << step << " " << l << " " << k;
            ASSERT_NEAR(wash_held(*s) + out, 1.0, 1e-12) << step;
        }
        EXPECT_GT(peak, 0.0);
        EXPECT_GT(out, 0.99); // the pulse has left
        // The outlet's discharge is the node's averaged flux over the step.
        const int j = s->node_dim * s->num_links + nodes;
        EXPECT_EQ(s->chan_wash_outlet[1], s->qsmax[j][1]);
    }
}

TEST(ChannelWashLoad, ConcentrationIsTheVolumeOverTheNodeWater)
{
    auto s = make_network({0}, {4}, 0.0); // still water
    s->qlat_sed[3][1][1] = 2.0;
    chan_constituent_transport(*s, dt);
    const int j = s->node_dim + 3;
    EXPECT_DOUBLE_EQ(s->SS_node_conc_vol[j][1], 2.0 / 500.0); // not doubled
    EXPECT_DOUBLE_EQ(s->chan_sed_conc[j][1], 2.0 * 2.65e6 / 500.0);
    EXPECT_DOUBLE_EQ(s->ch_wash_vol[3][1][1], 2.0);
}

TEST(ChannelWashLoad, DryNodeKeepsItsWashLoad)
{
    auto s = make_network({0}, {4}, 360.0);
    s->qlat_sed[3][1][1] = 2.0;
    s->area[3][1] = 0.0;
    chan_constituent_transport(*s, dt);
    EXPECT_DOUBLE_EQ(s->ch_wash_vol[3][1][1], 2.0);
    EXPECT_EQ(s->SS_node_conc_vol[s->node_dim + 3][1], 0.0);
}

TEST(ChannelWashLoad, ReversedFlowAtAJunctionTakesAtMostWhatNodeOneHolds)
{
    auto s = make_network({3, 3, 0}, {4, 4, 4}, 0.0);
    s->qlat_sed[1][3][1] = 1.0;
    // Both links above draw 400 m3 of water back out of node 1 (500 m3):
    // together more than the node holds.
    s->qp_vol_sed[nodes][1] = -400.0;
    s->qp_vol_sed[nodes][2] = -400.0;
    chan_constituent_transport(*s, dt);
    EXPECT_NEAR(wash_held(*s), 1.0, 1e-12);
    EXPECT_GE(s->ch_wash_vol[1][3][1], 0.0);
    // Link 1, first in the list, takes its full share before link 2.
    EXPECT_GT(s->ch_wash_vol[nodes][1][1], s->ch_wash_vol[nodes][2][1]);
}

TEST(ChannelWashLoad, PulseThroughALakeIsConservedBetweenOutletStoreAndSettling)
{
    // A channel into the lake, a structure out of it, a channel below.
    auto s = make_network({2, 3, 4, 0}, {4, 32, 64, 4}, 360.0);
    add_lake(*s, 2000.0, 500.0, 1e-5);
    s->qlat_sed[2][1][1] = 1.0;
    double out = 0.0;
    for (int step = 0; step < 120; ++step) {
        chan_constituent_transport(*s, dt);
        out += dt * s->chan_wash_outlet[0];
        ASSERT_GE(s->SS_vol_lake[1][1], 0.0) << step;
        const double settled = s->GLOBAL_SS_vol_lake_settled[1][1];
        ASSERT_NEAR(wash_held(*s) + s->SS_vol_lake[1][1] + settled + out, 1.0, 1e-12) << step;
    }
    const double into = s->SS_vol_chan_to_lake[1][1];
    const double from = s->SS_vol_lake_to_chan[1][1];
    const double settled = s->SS_vol_lake_settled[1][1];
    EXPECT_NEAR(into, 1.0, 1e-9); // all of it reached the lake
    EXPECT_GT(from, 0.5);
    EXPECT_GT(settled, 0.0);
    EXPECT_NEAR(into - from - settled, s->SS_vol_lake[1][1], 1e-12);
    EXPECT_GT(out, 0.0);
    // The settled volume lies on the two lake cells, half each.
    EXPECT_NEAR(s->ov_sed->cell_tally[1][1].deposited, settled / 2.0, 1e-15);
    EXPECT_EQ(s->ov_sed->cell_tally[1][1].deposited, s->ov_sed->cell_tally[2][1].deposited);
    EXPECT_EQ(s->ov_sed->cell_tally[3][1].deposited, 0.0);
    EXPECT_NEAR(s->SS_conc_lake[1][1], s->SS_vol_lake[1][1] / 2000.0 * 998200.0 * 2.65, 1e-9);
}

TEST(ChannelWashLoad, LakeTakesUpOverlandSedimentOnceAndSettlesAtMostWhatItHolds)
{
    struct lake_case {
        double V, ws;
    };
    // An ordinary lake, a lake whose class would settle ten times what it
    // holds in one step, and a lake without water.
    const lake_case cases[] = {{2000.0, 1e-5}, {2000.0, 1.0}, {0.0, 1e-5}};
    for (const lake_case& c : cases) {
        auto s = make_network({2, 3, 4, 0}, {4, 32, 64, 4}, 0.0);
        add_lake(*s, c.V, 500.0, c.ws);
        // The overland step keeps a running net volume into the lake.
        s->sed_vol_overland_to_lake[1][1] = 0.3;
        chan_constituent_transport(*s, dt);
        chan_constituent_transport(*s, dt);
        const double held = s->SS_vol_lake[1][1];
        const double settled = s->GLOBAL_SS_vol_lake_settled[1][1];
        EXPECT_NEAR(held + settled, 0.3, 1e-15) << c.V << " " << c.ws;
        EXPECT_GE(held, 0.0);
        EXPECT_NEAR(s->lake_washload_in_event, 0.3, 1e-15);
        if (c.V == 0.0) {
            EXPECT_EQ(s->SS_conc_vol_lake[1][1], 0.0);
            EXPECT_EQ(s->SS_conc_lake[1][0], 0.0);
        }
        if (c.ws == 1.0) {
            EXPECT_NEAR(held, 0.0, 1e-15); // settled all it held, not more
        }
    }
}

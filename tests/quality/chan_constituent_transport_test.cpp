// Wash load in the channels: a fine-sediment pulse moves downstream and
// leaves through the outlet with its volume conserved (also across a
// structure), a node never gives more than it holds, reversed flow at a
// junction shares node 1's volume in the order of the upstream list, and a
// dry node keeps its wash load.
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

// Channel sand: Yang's concentration by hand, the sand leaving a uniform
// erodible trapezoid at its capacity, stores emptied slot by slot, sand
// booked into lakes and carried across structures, the bed elevation, and
// the break-point look-up at the edges of its table.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "core/file_rec.h"
#include "core/model_state.h"
#include "output/output_steps.h"
#include "quality/chan_sediment.h"
#include "support/test_support.h"

namespace
{

constexpr double nu = 1e-6;
constexpr double sand_d = 0.00025;             // m
constexpr double sand_ws = 3.599909999404e-02; // m/s, by hand for 0.25 mm sand

// Links of 5 nodes 100 m apart, trapezoids of bottom 5 m and side slope 1,
// bed falling 0.001, 1 m deep, carrying 6 m3/s (1 m/s), one sand class of
// 0.25 mm; link l drains into l + 1, the last to the outlet. kinds[l] is
// the link's bit word.
std::unique_ptr<model_state> make_network(const std::vector<int>& kinds)
{
    auto state = std::make_unique<model_state>();
    model_state& s = *state;
    const int L = static_cast<int>(kinds.size());
    const int nodes = 5;
    s.num_links = L;
    s.link_dim = L + 1;
    s.node_dim = nodes + 1;
    s.ltype.assign(L, 0);
    s.nx.assign(L, nodes);
    s.og_nx1.assign(L, nodes);
    s.dslink.assign(L, 0);
    s.link_dx.assign(L, 100.0);
    s.lake2link.assign(L, 0);
    s.bplink.assign(L, 0);
    for (dnode_mat* m : {&s.bel, &s.chan_depth, &s.qp, &s.bottom, &s.sslope, &s.max_eros})
        m->assign(s.node_dim, s.link_dim, 0.0);
    for (int l = 1; l <= L; ++l) {
        s.ltype[l] = kinds[static_cast<std::size_t>(l - 1)];
        s.dslink[l] = l < L ? l + 1 : 0;
        for (int k = 1; k <= nodes; ++k) {
            s.bel[k][l] = 10.0 - 0.1 * ((l - 1) * nodes + k - 1);
            s.chan_depth[k][l] = 1.0;
            s.qp[k][l] = 6.0;
            s.bottom[k][l] = 5.0;
            s.sslope[k][l] = 1.0;
            s.max_eros[k][l] = 0.5;
        }
    }
    s.sed.num_sed = 1;
    s.sed.water_viscosity = nu;
    s.num_sand_classes = 1;
    s.num_fine_classes = 0;
    s.sed_class.assign(1, 1);
    s.sand_size = 0.25;
    s.sed_porosity = 0.4;
    s.chan_sed_on = 1;
    return state;
}

// The concentration of the uniform flow above, by hand: R = 6 / (5 + 2
// sqrt 2), S = 0.001, V = 1 m/s.
constexpr double uniform_ct = 8.440552872617e+02;
constexpr double uniform_rate = 1.911068574932e-03; // m3/s: ct x 9810 x 6 / 2.59965e10

} // namespace

TEST(ChannelSand, YangConcentrationAndCriticalVelocity)
{
    struct yang_case {
        double R, S, V;
        double ct, vc;
    };
    const yang_case cases[] = {
        {0.766437485384, 0.001, 1.0, uniform_ct, 2.619227870798},
        {0.5, 0.002, 0.8, 1.500329600461e+03, 2.534379797206}, // 1.2 <= Re* < 70
        {2.0, 0.04, 3.0, 1.056951435190e+05, 2.05},            // Re* >= 70
        {1e-5, 0.001, 0.5, 0.0, 0.0},                          // Re* below 1.2
        {0.5, 0.002, 0.05, 0.0, 2.534379797206},               // below the critical velocity
    };
    for (const yang_case& c : cases) {
        double vc = -1.0;
        const double ct = yang_sand_concentration(c.R, c.S, c.V, sand_d, nu, sand_ws, vc);
        EXPECT_NEAR(ct, c.ct, 1e-9 * c.ct + 1e-12) << c.R << " " << c.S << " " << c.V;
        EXPECT_NEAR(vc, c.vc, 1e-9) << c.R << " " << c.S << " " << c.V;
    }
}

TEST(ChannelSand, UniformFlowCarriesItsCapacityOutOfTheOutlet)
{
    auto s = make_network({2 | 4});
    alloc_channel_sediment(*s);
    // The initial layer: (1 - p) x max_eros x bottom x link_dx.
    EXPECT_NEAR(s->chan_sand_initial_total, 5 * 0.6 * 0.5 * 5.0 * 100.0, 1e-9);
    chan_sediment_event_start(*s);
    const double initial = s->chan_sand_initial_event;
    const double dt = 60.0;
    for (int step = 0; step < 3; ++step)
        chan_sed_transport(*s, dt);
    const double out = s->chan_sand_outflow[1] + s->chan_sand_outflow[2];
    EXPECT_NEAR(out, uniform_rate, 0.01 * uniform_rate);
    // The same per slot in the outlet node's sediment discharge.
    const int outlet = s->node_dim * 1 + 5;
    EXPECT_NEAR(s->qsmax[outlet][1] + s->qsmax[outlet][2], out, 1e-15);
    // The sand balance: what the channel held is what it holds and what left.
    double held = 0.0;
    for (int k = 1; k <= 5; ++k)
        held += s->ch_sand_vol[k][1][1] + s->ch_sand_vol[k][1][2];
    EXPECT_NEAR(held + s->chan_sand_out_event, initial, 1e-9);
    EXPECT_NEAR(s->chan_sand_out_event, 3 * uniform_rate * dt, 0.01 * 3 * uniform_rate * dt);
}

// The capacity of every node of the uniform trapezoid, from its own flow
// area 6 m2 and wetted perimeter 5 + 2 sqrt 2 m, is the hand value to the
// thirteen digits it is worked to; it leaves each node and the outlet.
TEST(ChannelSand, EveryNodeCarriesTheHandWorkedCapacity)
{
    auto s = make_network({2 | 4});
    alloc_channel_sediment(*s);
    chan_sed_transport(*s, 60.0);
    for (int k = 1; k <= 5; ++k) {
        const double* q = s->qsmax[s->node_dim * 1 + k];
        EXPECT_NEAR(q[1] + q[2], uniform_rate, 1e-12 * uniform_rate) << k;
    }
    EXPECT_NEAR(s->chan_sand_outflow[1] + s->chan_sand_outflow[2], uniform_rate, 1e-12 * uniform_rate);
}

// The CHAN_SED_FLUX link/node file holds each node's sediment discharge in
// cm3/s: with sand of the class (not the bed layer) in every store, each
// node of the uniform trapezoid passes its capacity, 1.911068574932e-3
// m3/s, written as 1911.06857. Every output time holds that step's value
// alone.
TEST(ChannelSand, SedimentFluxFileHoldsEachNodesDischargeInCubicCentimetresPerSecond)
{
    auto s = make_network({2 | 4});
    alloc_channel_sediment(*s);
    for (int k = 1; k <= 5; ++k)
        s->ch_sand_vol[k][1][1] = 1.0; // more than the 0.115 m3 a step moves
    s->chan_explicit = 1;
    torva_test::scratch_dir dir("chan_sed_flux");
    const std::string path = dir.file("flux.csf");
    ASSERT_TRUE(file_rec_open(s->chan_sed_flux_file, path, "w"));
    for (int step = 0; step < 2; ++step) {
        chan_sed_transport(*s, 60.0);
        write_channel_linknode_step(*s);
    }
    file_rec_close(s->chan_sed_flux_file);
    std::istringstream in(torva_test::read_file(path));
    for (int step = 0; step < 2; ++step) {
        std::string word;
        int number = -1, entries = 0;
        ASSERT_TRUE(in >> word >> number >> entries);
        EXPECT_EQ(word, "TS");
        EXPECT_EQ(number, step);
        ASSERT_EQ(entries, 5);
        for (int k = 1; k <= 5; ++k) {
            int code = 0;
            std::string value;
            ASSERT_TRUE(in >> code >> value);
            EXPECT_EQ(code, 1);
            EXPECT_EQ(value, "1911.06857") << "step " << step << " node " << k;
        }
    }
}

TEST(ChannelSand, StoreEmptiesSlotBySlotAndNeverGivesMoreThanItHeld)
{
    auto s = make_network({2 | 4});
    alloc_channel_sediment(*s);
    double* first = s->ch_sand_vol[1][1];
    first[1] = 0.01;
    first[2] = 0.02;              // bed layer, taken last
    chan_sed_transport(*s, 60.0); // capacity x 60 s = 0.115 m3, more than the 0.03 held
    EXPECT_EQ(first[1], 0.0);
    EXPECT_EQ(first[2], 0.0);
    const int f = s->node_dim * 1 + 1;
    EXPECT_DOUBLE_EQ(s->qsmax[f][1], 0.01 / 60.0);
    EXPECT_DOUBLE_EQ(s->qsmax[f][2], 0.02 / 60.0);
    // Erosion lowers the bed by the deficit, at most max_eros.
    EXPECT_DOUBLE_EQ(s->new_bel[1][1], s->org_bel[1][1] - 0.5);
}

TEST(ChannelSand, BedFollowsTheStoreAroundItsInitialLayer)
{
    auto s = make_network({2 | 4});
    for (int k = 1; k <= 5; ++k)
        s->qp[k][1] = 0.0; // still water: nothing moves
    alloc_channel_sediment(*s);
    chan_sed_transport(*s, 60.0);
    for (int k = 1; k <= 5; ++k)
        EXPECT_DOUBLE_EQ(s->new_bel[k][1], s->org_bel[k][1]) << k;
    // 30 m3 of sand above the layer: area 30 / 100 / 0.6 = 0.5 m2 of a
    // trapezoid of bottom 5 and side slope 1, y^2 + 5 y = 0.5.
    s->ch_sand_vol[2][1][1] = 30.0;
    // 6 m3 short of the layer: 6 / (5 x 100 x 0.6) = 0.02 m lower.
    s->ch_sand_vol[3][1][2] -= 6.0;
    chan_sed_transport(*s, 60.0);
    EXPECT_NEAR(s->new_bel[2][1] - s->org_bel[2][1], (std::sqrt(25.0 + 2.0) - 5.0) / 2.0, 1e-12);
    EXPECT_NEAR(s->new_bel[3][1] - s->org_bel[3][1], -0.02, 1e-12);
}

TEST(ChannelSand, SandReachingALakeIsBookedInTheLake)
{
    auto s = make_network({2 | 4, 0x20});
    s->chan_lakes = 1;
    s->num_lakes = 1;
    s->lake2link[2] = 1;
    s->lake_elev.assign(1, s->bel[5][1] + 1.0 - 0.05);
    s->event_lake_sand_in.assign(1, 0.0);
    alloc_channel_sediment(*s);
    chan_sed_transport(*s, 60.0);
    EXPECT_GT(s->lake_depo_vol[1][0], 0.0);
    EXPECT_NEAR(s->lake_depo_vol[1][1] + s->lake_depo_vol[1][2], s->lake_depo_vol[1][0], 1e-12);
    EXPECT_NEAR(s->event_lake_sand_in[1], s->lake_depo_vol[1][0], 1e-12);
    // The sand that left the link is the lake's.
    double held = 0.0;
    for (int k = 1; k <= 5; ++k)
        held += s->ch_sand_vol[k][1][1] + s->ch_sand_vol[k][1][2];
    EXPECT_NEAR(held + s->lake_depo_vol[1][0], s->chan_sand_initial_total, 1e-9);
}

TEST(ChannelSand, SandCrossingAStructureJoinsTheStoreBelow)
{
    auto s = make_network({2 | 4, 0x40, 2 | 4});
    alloc_channel_sediment(*s);
    const double below = s->ch_sand_vol[1][3][2];
    for (int k = 1; k <= 5; ++k)
        s->chan_depth[k][3] = 0.0; // the link below is dry: its own sand stays
    chan_sed_transport(*s, 60.0);
    // Node 1 below the structure keeps its own sand and gains what crossed;
    // nothing stays on the structure link and no sand is lost.
    const double* node1 = s->ch_sand_vol[1][3];
    EXPECT_GT(node1[1] + node1[2], below + 1e-3);
    EXPECT_EQ(s->ch_sand_vol[1][2][1] + s->ch_sand_vol[1][2][2], 0.0);
    double held = node1[1] + node1[2];
    for (int k = 1; k <= 5; ++k)
        held += s->ch_sand_vol[k][1][1] + s->ch_sand_vol[k][1][2] +
                (k >= 2 ? s->ch_sand_vol[k][3][1] + s->ch_sand_vol[k][3][2] : 0.0);
    EXPECT_NEAR(held, s->chan_sand_initial_total, 1e-9);
}

TEST(ChannelSand, BreakPointTableEdges)
{
    auto s = make_network({2 | 8});
    s->table_num.assign(s->node_dim, s->link_dim, 1);
    s->ht_spc.assign(1, 0.5);
    s->numhts.assign(1, 3);
    s->xarea.assign(3, 1, 0.0);
    s->xtw.assign(3, 1, 0.0);
    s->xp.assign(3, 1, 0.0);
    const double area[4] = {0.0, 1.0, 2.5, 4.5};
    for (int r = 1; r <= 3; ++r) {
        s->xarea[r][1] = area[r];
        s->xtw[r][1] = 2.0 * r;
        s->xp[r][1] = 3.0 * r;
    }
    double A = 0.0;
    double P = 0.0;
    bp_table_lookup(*s, 1, 1, 1.5, A, P); // exactly N x spacing: row N
    EXPECT_DOUBLE_EQ(A, 4.5);
    EXPECT_DOUBLE_EQ(P, 15.0);
    bp_table_lookup(*s, 1, 1, 1.75, A, P); // half a row above: rows N - 1 and N
    EXPECT_DOUBLE_EQ(A, 4.5 + 2.0 * 0.5);
    EXPECT_DOUBLE_EQ(P, 15.0 + 5.0 * 0.5);
    bp_table_lookup(*s, 1, 1, 0.75, A, P); // between rows 1 and 2
    EXPECT_DOUBLE_EQ(A, 1.75);
    EXPECT_DOUBLE_EQ(P, 7.5);
    bp_table_lookup(*s, 1, 1, 0.25, A, P); // below the first row
    EXPECT_NEAR(A, std::pow(0.5, 5.0 / 3.0), 1e-15);
    EXPECT_NEAR(P, 5.0 * std::pow(0.5, 5.0 / 3.0), 1e-15);
}

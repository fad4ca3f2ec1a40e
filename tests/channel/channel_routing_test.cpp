// Explicit channel routing and the overland-channel exchange on networks
// loaded through the input hub: steady uniform flow against Manning's normal
// depth, the exchange rules against hand values, the head boundary, the
// hotstart and the set-up diagnostics.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "channel/chan_routing.h"
#include "channel/channel_fixture.h"
#include "channel/channel_services.h"
#include "channel/channel_steps.h"
#include "core/error_state.h"
#include "core/model_state.h"

using namespace torva_test;

namespace
{

// One trapezoidal link of `points` node points (points - 1 nodes) at the
// given spacing, bed falling by `drop` per node point from 100.
std::string trapezoid_link(int points, double dx, double drop, double bottom, double side, double n,
                           double bankfull = 5.0)
{
    std::string t = "TORVA_CHAN\nALPHA 1\nBETA 1\nTHETA 0.5\nLINKS 1\nMAXNODES " + std::to_string(points) +
                    "\nCONNECT 1 0 0\nLINK 1\nTRAPEZOID\nMANNINGS_N " + std::to_string(n) + "\nDX " +
                    std::to_string(dx) + "\nNODES " + std::to_string(points) + "\n";
    for (int k = 1; k <= points; ++k) {
        char elev[64];
        std::snprintf(elev, sizeof elev, "%.6f", 100.0 - drop * (k - 1));
        t += "NODE " + std::to_string(k) + "\nELEV " + elev + "\n";
        if (k == 1)
            t += "XSEC\nBOTTOM_WIDTH " + std::to_string(bottom) + "\nSIDE_SLOPE " + std::to_string(side) +
                 "\nBANKFULL_DEPTH " + std::to_string(bankfull) + "\n";
    }
    return t;
}

// Depth of uniform flow Q in a trapezoid (bottom b, side slope z) of slope S.
double normal_depth(double Q, double b, double z, double n, double S)
{
    double lo = 0.0, hi = 20.0;
    for (int i = 0; i < 200; ++i) {
        const double y = (lo + hi) / 2.0;
        const double A = (b + z * y) * y, P = b + 2.0 * y * std::sqrt(1.0 + z * z);
        const double q = A * std::pow(A / P, 2.0 / 3.0) * std::sqrt(S) / n;
        (q < Q ? lo : hi) = y;
    }
    return (lo + hi) / 2.0;
}

const char* one_cell_gst = "GRIDSTREAMFILE\nSTREAMCELLS 1\nCELLIJ 2 2\nNUMNODES 1\nLINKNODE 1 1 1.0\n";

} // namespace

TEST_F(ChannelProject, SteadyUniformFlowReachesNormalDepth)
{
    const double Q = 2.0, b = 2.0, z = 1.0, n = 0.03, dx = 50.0, S = 0.001;
    ASSERT_TRUE(load_network(trapezoid_link(41, dx, dx * S, b, z, n), one_cell_gst,
                             "FIRST_ORDER_CHAN_Q 2.0\n"))
        << out;
    model_state& m = *s;
    init_channel_state(m);
    ASSERT_EQ(error_state.raised, 0);
    m.chan_routing_active = 1; // the head inflow wakes the network
    route_volumes v;
    double outlet = 0.0;
    const int calls = 240;
    for (int i = 0; i < calls; ++i) {
        ASSERT_EQ(ex_flow_route(m, 60.0, v), 0);
        outlet = v.outlet / 60.0;
    }
    const double yn = normal_depth(Q, b, z, n, S);
    const int nodes = m.nx[1];
    ASSERT_EQ(nodes, 40);
    for (int k = nodes / 2; k <= nodes; ++k) {
        EXPECT_NEAR(m.chan_depth[k][1], yn, 0.01 * yn) << "node " << k;
        EXPECT_NEAR(m.qp[k][1], Q, 0.005 * Q) << "node " << k;
    }
    EXPECT_NEAR(outlet, Q, 0.005 * Q);
}

// Repeated calls on a growing network of another run resize the work arrays.
TEST_F(ChannelProject, RoutingWorkArraysFollowTheRunsNetwork)
{
    ASSERT_TRUE(load_network(trapezoid_link(4, 10.0, 0.01, 1.0, 1.0, 0.03), one_cell_gst,
                             "FIRST_ORDER_CHAN_Q 0.1\n"));
    init_channel_state(*s);
    s->chan_routing_active = 1;
    route_volumes v;
    ASSERT_EQ(ex_flow_route(*s, 30.0, v), 0);
    ASSERT_TRUE(load_network(trapezoid_link(30, 10.0, 0.01, 1.0, 1.0, 0.03), one_cell_gst,
                             "FIRST_ORDER_CHAN_Q 0.1\n"));
    init_channel_state(*s);
    EXPECT_EQ(s->route_work.nodes, s->node_dim);
    EXPECT_EQ(s->route_work.links, s->link_dim);
    ASSERT_EQ(ex_flow_route(*s, 30.0, v), 0);
    EXPECT_GT(s->area[1][1], 0.0);
}

TEST_F(ChannelProject, ZeroChannelTimeRoutesNothing)
{
    ASSERT_TRUE(load_network(trapezoid_link(4, 10.0, 0.01, 1.0, 1.0, 0.03), one_cell_gst,
                             "FIRST_ORDER_CHAN_Q 0.1\n"));
    init_channel_state(*s);
    route_volumes v;
    v.outlet = 7.0;
    EXPECT_EQ(ex_flow_route(*s, 0.0, v), 0);
    EXPECT_EQ(v.outlet, 0.0);
    EXPECT_EQ(v.lateral_in, 0.0);
}

// A reach in uniform flow (2 m3/s at Manning's normal depth 0.9257 m, so
// 0.7385 m/s through A = 2.7082 m2, on 50 m spacings) splits a channel time
// dt into int(C / Cmax) + 1 sub-steps, C = dt x 0.7385 / 50: 60 s gives
// C / 0.04 = 22.16 and 23 sub-steps, 20 s gives 7.39 and 8, and 1 s stays
// whole. No sub-step exceeds the Courant limit.
TEST_F(ChannelProject, CourantLimitSplitsTheChannelTime)
{
    const double Q = 2.0, b = 2.0, z = 1.0, n = 0.03, dx = 50.0, S = 0.001;
    ASSERT_TRUE(
        load_network(trapezoid_link(11, dx, dx * S, b, z, n), one_cell_gst, "FIRST_ORDER_CHAN_Q 2.0\n"))
        << out;
    model_state& m = *s;
    init_channel_state(m);
    ASSERT_EQ(error_state.raised, 0);
    m.chan_routing_active = 1;
    const double yn = normal_depth(Q, b, z, n, S);
    const double velocity = Q / ((b + z * yn) * yn);
    EXPECT_NEAR(velocity, 0.738501, 1e-6);
    EXPECT_NEAR(m.max_courant_number, 0.04, 1e-15);
    struct split_case {
        double dt;
        long substeps;
    };
    for (const split_case& c : {split_case{60.0, 23}, split_case{20.0, 8}, split_case{1.0, 1}}) {
        for (int k = 1; k <= m.nx[1]; ++k) {
            m.chan_depth[k][1] = yn;
            m.yp[k][1] = m.bel[k][1] + yn;
            m.qp[k][1] = Q;
        }
        ex_section(m, 2);
        const double C = c.dt / dx * velocity;
        ASSERT_EQ(static_cast<long>(C / 0.04) + 1, c.substeps) << c.dt;
        const long before = m.route_work.substeps;
        route_volumes v;
        ASSERT_EQ(ex_flow_route(m, c.dt, v), 0);
        EXPECT_EQ(m.route_work.substeps - before, c.substeps) << c.dt;
        EXPECT_LE(C / c.substeps, 0.04) << c.dt;
        // The reach stays uniform: the outlet passed Q over the whole time.
        EXPECT_NEAR(v.outlet, Q * c.dt, 1e-6 * Q * c.dt) << c.dt;
    }
}

// An event that keeps the channel's water (the soil-water accounting
// carries it) and finds a node whose stage gives no area names the node and
// its link kind; the others add their water to the event's initial volume.
TEST_F(ChannelProject, EventStartNamesANodeWithoutAnArea)
{
    ASSERT_TRUE(load_network(trapezoid_link(4, 10.0, 0.01, 1.0, 1.0, 0.03), one_cell_gst));
    init_channel_state(*s);
    s->soil_water_acct = 1;
    s->chan_events_started = 1;
    for (int n = 1; n <= 3; ++n)
        s->yp[n][1] = s->bel[n][1] + 0.5;
    s->yp[2][1] = NAN;
    testing::internal::CaptureStdout();
    channel_event_start(*s);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out, "Negative Area Computed At Startup for [Node][Link]: [2][1] ltype: " +
                       std::to_string(s->ltype[1]) + "\n");
    EXPECT_TRUE(std::isnan(s->init_chan_vol));
}

TEST(WeirSubmergence, TableLookup)
{
    EXPECT_DOUBLE_EQ(weir_submergence_factor(0.0), 1.0);
    EXPECT_DOUBLE_EQ(weir_submergence_factor(0.76), 1.0);
    EXPECT_DOUBLE_EQ(weir_submergence_factor(0.80005), 0.947);
    EXPECT_NEAR(weir_submergence_factor(0.875), (0.947 + 0.75) / 2.0, 1e-12);
    EXPECT_DOUBLE_EQ(weir_submergence_factor(1.0), 0.0);
    EXPECT_DOUBLE_EQ(weir_submergence_factor(-0.5), 0.0);
}

// The exchange of one cell (row 2 column 2, ground 102, 10 m cells) with
// node 1 of a 100 m link whose bed is at 100 and bank top at 101.
struct ExchangeCase {
    const char* name;
    const char* cards;
    double ov_depth; // m
    double stage;    // channel water surface, m
    double dt;       // s
    double q_expected;
    double depth_expected;
};

TEST_F(ChannelProject, ExchangeRulesMatchHandValues)
{
    const double p = 1.0, dx = 100.0, cell = 100.0, c = 3.40978982734;
    const double weir_free = std::pow(0.1, 1.5) * p * dx * c; // 10.78 m3/s
    // Backwater: ws = 102.3, ys = 102.198, zk = 101 below ground, so H = h =
    // 0.3, hd = dc = 0.198, hd/H = 0.66 exactly: still a free weir.
    const double h_bw = 0.3, dc_bw = 0.198;
    const double x_bw = std::pow(dc_bw / h_bw, 1.5);
    const double f_bw = 1.0 + (x_bw - 0.5) * 0.0 / 0.1; // table flat at 1 up to 0.76
    const double weir_bw = std::pow(h_bw, 1.5) * p * dx * c * f_bw;
    // Above 0.66: the Manning cross-flow limit (roughness 0.05 at this depth).
    const double h2 = 0.3, dc2 = 0.25, d2 = (h2 + dc2) / 2.0;
    const double manning2 =
        std::sqrt(std::fabs((102.25) - (102.3)) / 5.0) * std::pow(d2, 2.0 / 3.0) / 0.05 * d2 * dx * 2.0 * p;
    const ExchangeCase cases[] = {
        {"free weir", "", 0.1, 100.0, 0.05, weir_free, 0.1 - weir_free * 0.05 / cell},
        {"cell emptied exactly", "", 0.1, 100.0, 1.0, 0.1 * cell / 1.0, 0.0},
        {"backwater at 0.66 stays free", "OVERLAND_BACKWATER\n", h_bw, 102.0 + dc_bw, 0.01, weir_bw,
         h_bw - weir_bw * 0.01 / cell},
        {"backwater above 0.66 meets Manning", "OVERLAND_BACKWATER\n", h2, 102.0 + dc2, 0.01,
         std::min(manning2, std::pow(h2, 1.5) * p * dx * c), 0.0},
        {"equal surfaces move nothing", "OVERLAND_BACKWATER\n", 0.3, 102.3, 1.0, 0.0, 0.3},
    };
    for (const ExchangeCase& k : cases) {
        SCOPED_TRACE(k.name);
        ASSERT_TRUE(load_network(trapezoid_link(3, dx, 0.0, 1.0, 1.0, 0.03, 1.0), one_cell_gst,
                                 std::string("ROUGH_EXP 0\n") + k.cards))
            << out;
        model_state& m = *s;
        init_channel_state(m);
        const int cellno = m.gst_gnum[1][1];
        ASSERT_DOUBLE_EQ(m.ground_elev[cellno], 102.0);
        for (int i = 1; i <= m.num_cells; ++i)
            m.roughness_exp[i] = 0.0;
        m.ov_depth[cellno] = k.ov_depth;
        m.yp[1][1] = k.stage;
        m.chan_depth[1][1] = k.stage - m.bel[1][1];
        double bc = 0.0;
        overland_channel_exchange(m, k.dt, bc, bc);
        EXPECT_NEAR(m.gst_qlat[1][1], k.q_expected, 1e-9 * std::max(1.0, k.q_expected));
        EXPECT_NEAR(m.qlat[1][1], k.q_expected / dx, 1e-11 * std::max(1.0, k.q_expected));
        if (std::string(k.name) != "backwater above 0.66 meets Manning") {
            EXPECT_NEAR(m.ov_depth[cellno], k.depth_expected, 1e-12);
        }
    }
}

// A spill over the bank limited by OVERBANK_MAX_DV moves exactly that share
// of the water above the lowered stage.
TEST_F(ChannelProject, SpillLimitedByOverbankMaxDv)
{
    const double dx = 100.0, cell = 100.0, dt = 30.0;
    ASSERT_TRUE(load_network(trapezoid_link(3, dx, 0.0, 2.0, 1.0, 0.03, 1.0), one_cell_gst,
                             "OVERBANK_FLOW\nOVERBANK_MAX_DV 0.01\n"))
        << out;
    model_state& m = *s;
    init_channel_state(m);
    const int c = m.gst_gnum[1][1];
    // Ground 102, channel bed 100, bank top 101 (below the ground: a low bank).
    m.ov_depth[c] = 0.0;
    const double ys = 102.5;
    m.yp[1][1] = ys;
    m.chan_depth[1][1] = ys - 100.0;
    m.con_any = 1; // constituents follow the exchanged volume
    m.con_chan_work.assign(m.num_cells, 0.0);
    double bc = 0.0;
    overland_channel_exchange(m, dt, bc, bc);
    // Spillable volume: area between stage 102.5 and 102.0, times dx.
    const double a_hi = (2.0 + 2.5) * 2.5, a_lo = (2.0 + 2.0) * 2.0;
    const double Vb = (a_hi - a_lo) * dx;
    const double q = -Vb * 0.01 / dt;
    EXPECT_NEAR(m.gst_qlat[1][1], q, 1e-9);
    EXPECT_NEAR(m.ov_depth[c], Vb * 0.01 / cell, 1e-12);
    EXPECT_NEAR(m.yp[1][1], ys, 1e-12); // the stage is restored
    EXPECT_NEAR(m.gst_Vlat[1][1], q * dt, 1e-9);
    EXPECT_NEAR(m.con_chan_work[c], q * dt, 1e-9);
}

// A specified-head boundary cell keeps its depth in both directions: the
// water it gives the channel comes in through the boundary, the water the
// channel spills onto it leaves through the boundary.
TEST_F(ChannelProject, BoundaryCellsBookTheirExchangeOnTheBoundary)
{
    const double dx = 100.0, dt = 30.0;
    ASSERT_TRUE(load_network(trapezoid_link(3, dx, 0.0, 2.0, 1.0, 0.03, 1.0), one_cell_gst,
                             "OVERBANK_FLOW\nOVERBANK_MAX_DV 0.01\n"))
        << out;
    model_state& m = *s;
    init_channel_state(m);
    const int c = m.gst_gnum[1][1];
    m.ov_boundary = 1;
    m.boundary_type.assign(m.num_cells, 0);
    m.boundary_type[c] = 9;

    // The channel spills onto the cell (as in the spill above).
    m.ov_depth[c] = 0.0;
    m.yp[1][1] = 102.5;
    m.chan_depth[1][1] = 2.5;
    double in = 0.0, out_vol = 0.0;
    overland_channel_exchange(m, dt, in, out_vol);
    const double Vb = ((2.0 + 2.5) * 2.5 - (2.0 + 2.0) * 2.0) * dx;
    EXPECT_NEAR(out_vol, Vb * 0.01, 1e-9);
    EXPECT_EQ(in, 0.0);
    EXPECT_EQ(m.ov_depth[c], 0.0);

    // The cell drains into a low channel.
    m.ov_depth[c] = 0.1;
    m.yp[1][1] = 100.0;
    m.chan_depth[1][1] = 0.0;
    in = out_vol = 0.0;
    overland_channel_exchange(m, 1.0, in, out_vol);
    EXPECT_GT(m.gst_qlat[1][1], 0.0);
    EXPECT_NEAR(in, m.gst_qlat[1][1] * 1.0, 1e-12);
    EXPECT_EQ(out_vol, 0.0);
    EXPECT_EQ(m.ov_depth[c], 0.1);
}

TEST_F(ChannelProject, HeadBoundaryHoldsTheOutlet)
{
    ASSERT_TRUE(load_network(trapezoid_link(6, 10.0, 0.01, 1.0, 1.0, 0.03), one_cell_gst,
                             "HEAD_BOUND\nBOUND_DEPTH 1.5\n"));
    init_channel_state(*s);
    ASSERT_EQ(error_state.raised, 0);
    const int n = s->nx[1];
    EXPECT_DOUBLE_EQ(s->chan_depth[n][1], 1.5);
    EXPECT_DOUBLE_EQ(s->yp[n][1], s->bel[n][1] + 1.5);
    EXPECT_EQ(s->chan_routing_active, 1);
    route_volumes v;
    ASSERT_EQ(ex_flow_route(*s, 60.0, v), 0);
    EXPECT_NEAR(s->chan_depth[n][1], 1.5, 1e-12); // the boundary node's area stays
}

TEST_F(ChannelProject, HeadBoundarySeriesMissingGivesCode127)
{
    ASSERT_TRUE(load_network(trapezoid_link(6, 10.0, 0.01, 1.0, 1.0, 0.03), one_cell_gst,
                             "HEAD_BOUND\nBOUND_TS NOSUCH\n"));
    init_channel_state(*s);
    EXPECT_EQ(error_state.code, err_head_series_missing);
    EXPECT_EQ(build_error_message(error_state),
              "Error: Stream head boundary time series (NOSUCH) can not be found. Check project file.\n");
}

TEST_F(ChannelProject, HotstartReadByOrderAndRefusedWhenShort)
{
    // Link of 3 nodes with beds 100, 99, 98 (node points 100 .. 97).
    file("h.dht", "3 7 102.5\n1 1 98.5\n9 9 97.0\n");
    file("h.qht", "");
    const std::string net = trapezoid_link(4, 10.0, 1.0, 1.0, 1.0, 0.03);
    ASSERT_TRUE(load_network(net, one_cell_gst, "READ_CHAN_HOTSTART h\n")) << out;
    // Node beds are midpoints: 99.5, 98.5, 97.5.
    EXPECT_DOUBLE_EQ(s->chan_depth[1][1], 102.5 - s->bel[1][1]);
    EXPECT_DOUBLE_EQ(s->chan_depth[2][1], 0.0); // stage 98.5 on bed 98.5
    EXPECT_DOUBLE_EQ(s->yp[3][1], s->bel[3][1]); // below the bed: empty
    EXPECT_EQ(s->chan_routing_active, 1);

    file("h.dht", "1 1 103.0\n2 1 99.0\n");
    EXPECT_FALSE(load_network(net, one_cell_gst, "READ_CHAN_HOTSTART h\n"));
    EXPECT_TRUE(printed("holds 2 lines; the network has 3 routed nodes.")) << out;

    // Lines beyond the network, or holding more than their values.
    const struct {
        const char* text;
        const char* said;
    } refused[] = {
        {"1 1 103.0\n2 1 99.0\n3 1 98.0\n4 1 97.0\n", "holds more lines than the 3 routed nodes of the network "
                                                    "(line 4).\n"},
        {"1 1 103.0 2.0 x\n2 1 99.0\n3 1 98.0\n", "(link 1 node 1): \"x\" follows the area at the end of the "
                                                  "line.\n"},
        {"1 1 103.0 -2.0\n2 1 99.0\n3 1 98.0\n", "(link 1 node 1): the flow area is negative.\n"},
        {"1 1 103.0\n2 1 high\n3 1 98.0\n", "(link 1 node 2): the stage \"high\" is not a number.\n"},
    };
    for (const auto& c : refused) {
        file("h.dht", c.text);
        EXPECT_FALSE(load_network(net, one_cell_gst, "READ_CHAN_HOTSTART h\n")) << c.text;
        EXPECT_TRUE(printed(c.said)) << out;
    }
}

TEST_F(ChannelProject, OneNodeOutletLinkRefusedAndDiagnosticsWritten)
{
    EXPECT_FALSE(load_network(trapezoid_link(2, 10.0, 0.01, 1.0, 1.0, 0.03), one_cell_gst));
    EXPECT_TRUE(printed("Error: the outlet link 1 has 1 node(s); the outlet needs at least two nodes.\n")) << out;

    // A bed above its cell's ground (ground of row 2 column 2 is 102).
    ASSERT_TRUE(load_network(edited(trapezoid_link(4, 10.0, 0.01, 1.0, 1.0, 0.03), "ELEV 100.000000", "ELEV 106.0"),
                             one_cell_gst))
        << out;
    const std::string bad = read_file(dir.file("bad_thalweg.out"));
    EXPECT_NE(bad.find("Problem    link    node    thalweg     cell    elev\n"), std::string::npos);
    EXPECT_NE(bad.find("0        1       1   "), std::string::npos) << bad;
    EXPECT_EQ(read_file(dir.file("short_links.out")), "Links with 1 node:\n");
}

TEST_F(ChannelProject, NegativeOutletSlopeStops)
{
    std::string net = trapezoid_link(4, 10.0, 0.01, 1.0, 1.0, 0.03);
    net = edited(net, "NODE 4\nELEV 99.970000", "NODE 4\nELEV 100.5");
    ASSERT_TRUE(load_network(net, one_cell_gst, "FIRST_ORDER_CHAN_Q 0.1\n")) << out;
    init_channel_state(*s);
    route_volumes v;
    testing::internal::CaptureStdout();
    const int r = ex_flow_route(*s, 10.0, v);
    const std::string o = testing::internal::GetCapturedStdout();
    EXPECT_EQ(r, -1);
    EXPECT_NE(o.find("The outlet slope is negative.  Make sure that the bed\n"
                     "elevation of the most downstream node is lower than\n"
                     "the bed elevation of the node just upstream from it.\n"
                     "Program stopped.\n"),
              std::string::npos)
        << o;
}

TEST_F(ChannelProject, NanAreaStops)
{
    ASSERT_TRUE(load_network(trapezoid_link(4, 10.0, 0.01, 1.0, 1.0, 0.03), one_cell_gst));
    init_channel_state(*s);
    s->area[2][1] = std::nan("");
    route_volumes v;
    testing::internal::CaptureStdout();
    EXPECT_EQ(ex_flow_route(*s, 10.0, v), -1);
    const std::string o = testing::internal::GetCapturedStdout();
    EXPECT_NE(o.find("In ex_flow_route 1:  cross-sectional area is not a number at link 1 node 2\n"),
              std::string::npos);
    EXPECT_EQ(s->area[2][1], 0.0);
}

TEST_F(ChannelProject, HydrographLocationsReadFreeFormatAndRefusedOutsideTheNetwork)
{
    const std::string net = trapezoid_link(6, 10.0, 0.01, 1.0, 1.0, 0.03);
    const std::string cards = "IN_HYD_LOCATION h.loc\nOUT_HYD_LOCATION h.out\n";
    file("h.loc", "2 1 5 1\n 4\n");
    ASSERT_TRUE(load_network(net, one_cell_gst, cards)) << out;
    ASSERT_EQ(s->num_hyd_locations, 2);
    EXPECT_EQ(s->hlink[1], 1);
    EXPECT_EQ(s->hnode[1], 5);
    EXPECT_EQ(s->hnode[2], 4);

    const struct {
        const char* text;
        const char* message;
    } bad[] = {
        {"3 1 1 1 2\n", "End of file reached in file "},
        {"1 1 6\n", "entry 1 of the location list "},
        {"1 2 1\n", "link 2 node 1, lies outside the channel network."},
        {"1 1 x\n", "holds \"x\" at entry 1, which is not an integer."},
    };
    for (const auto& b : bad) {
        SCOPED_TRACE(b.text);
        file("h.loc", b.text);
        EXPECT_FALSE(load_network(net, one_cell_gst, cards));
        EXPECT_TRUE(printed(b.message)) << out;
        EXPECT_TRUE(printed("h.loc")) << out;
    }
}

// The sediment locations (with channel sediment) are channel nodes like the
// hydrograph locations and are echoed to the OUT_SED_LOC file.
TEST_F(ChannelProject, SedimentLocationsCheckedAndEchoed)
{
    ASSERT_TRUE(load_network(trapezoid_link(6, 10.0, 0.01, 1.0, 1.0, 0.03), one_cell_gst)) << out;
    model_state& m = *s;
    m.chan_sed_on = 1;
    m.sed_hyd_locations_on = 1;
    file("s.loc", "2\n1 5\n1 4\n");
    ASSERT_TRUE(file_rec_open(m.in_sed_loc_file, dir.file("s.loc"), "r"));
    ASSERT_TRUE(file_rec_open(m.sed.sed_hyd_loc_file, dir.file("s.out"), "w"));
    EXPECT_TRUE(sed_location_list_read(m));
    file_rec_close(m.in_sed_loc_file);
    file_rec_close(m.sed.sed_hyd_loc_file);
    EXPECT_EQ(m.num_sed_hyd_locations, 2);
    EXPECT_EQ(read_file(dir.file("s.out")), "2\n   1    5\n   1    4\n");

    file("s.loc", "1\n1 9\n");
    ASSERT_TRUE(file_rec_open(m.in_sed_loc_file, dir.file("s.loc"), "r"));
    testing::internal::CaptureStdout();
    EXPECT_FALSE(sed_location_list_read(m));
    const std::string o = testing::internal::GetCapturedStdout();
    EXPECT_NE(o.find("link 1 node 9, lies outside the channel network."), std::string::npos) << o;
    EXPECT_NE(error_state.raised, 0);
    file_rec_close(m.in_sed_loc_file);
    error_state_clear();
}

TEST_F(ChannelProject, LateralInflowNotANumberStops)
{
    ASSERT_TRUE(load_network(trapezoid_link(4, 10.0, 0.01, 1.0, 1.0, 0.03), one_cell_gst));
    init_channel_state(*s);
    s->ov_depth[s->gst_gnum[1][1]] = 0.1;
    s->gst_pct[1][1] = std::nan("");
    double bc = 0.0;
    testing::internal::CaptureStdout();
    overland_channel_exchange(*s, 1.0, bc, bc);
    const std::string o = testing::internal::GetCapturedStdout();
    EXPECT_NE(o.find("lateral inflow for node 1 link 1 is not a number \n"), std::string::npos) << o;
    EXPECT_NE(error_state.raised, 0);
}

// A steady 0.05 m3/s 0.2 m deep in every node, below the 5 m bank, routed
// in several sub-steps per channel time.
void flow_below_bank(model_state& m)
{
    init_channel_state(m);
    for (int k = 1; k <= m.nx[1]; ++k) {
        m.yp[k][1] = m.bel[k][1] + 0.2;
        m.chan_depth[k][1] = 0.2;
        m.qp[k][1] = 0.05;
    }
    ex_section(m, 2);
    m.max_courant_number = 0.001;
}

// Overbank water delivered in advance and withdrawn between sub-steps when
// the channel falls below its bank: a withdrawal beyond the cell's water is
// clipped at zero depth and booked as overland clean-up.
TEST_F(ChannelProject, OverbankWithdrawalClippedAtZeroIsBookedAsCleanup)
{
    ASSERT_TRUE(load_network(trapezoid_link(6, 10.0, 0.01, 1.0, 1.0, 0.03), one_cell_gst, "OVERBANK_FLOW\n"))
        << out;
    model_state& m = *s;
    flow_below_bank(m);
    const int c = m.gst_gnum[1][1];
    m.gst_qlat[1][1] = -1.0;
    m.ov_depth[c] = 0.001;
    m.ov_cleanup_volume = 0.0;
    route_volumes v;
    ASSERT_EQ(ex_flow_route(m, 10.0, v), 0);
    EXPECT_EQ(m.gst_qlat[1][1], 0.0);
    EXPECT_EQ(m.ov_depth[c], 0.0);
    EXPECT_GT(m.ov_cleanup_volume, 0.0);
    EXPECT_LT(m.ov_cleanup_volume, 10.0); // at most the withdrawal of the channel time
}

// The constituents ride on the exchanged volume: what the withdrawal takes
// back from a cell also leaves the entry's volume, so the cell's mass comes
// with the water it kept.
TEST_F(ChannelProject, OverbankWithdrawalTakesBackTheConstituentVolume)
{
    ASSERT_TRUE(load_network(trapezoid_link(6, 10.0, 0.01, 1.0, 1.0, 0.03), one_cell_gst, "OVERBANK_FLOW\n"))
        << out;
    model_state& m = *s;
    flow_below_bank(m);
    m.con_any = 1;
    const int c = m.gst_gnum[1][1];
    const double cell_area = m.gridsize * m.gridsize;
    // The exchange delivered 1 m3/s for the 10 s channel time in advance.
    m.gst_qlat[1][1] = -1.0;
    m.gst_Vlat[1][1] = -10.0;
    m.ov_depth[c] = 0.5 + 10.0 / cell_area;
    route_volumes v;
    ASSERT_EQ(ex_flow_route(m, 10.0, v), 0);
    const double kept = (m.ov_depth[c] - 0.5) * cell_area;
    EXPECT_GT(kept, 0.0);
    EXPECT_LT(kept, 9.0); // most of it went back
    EXPECT_NEAR(m.gst_Vlat[1][1], -kept, 1e-9);
}

TEST_F(ChannelProject, SubStepBelowAMillisecondStops)
{
    ASSERT_TRUE(load_network(trapezoid_link(4, 10.0, 0.01, 1.0, 1.0, 0.03), one_cell_gst));
    init_channel_state(*s);
    route_volumes v;
    testing::internal::CaptureStdout();
    EXPECT_EQ(ex_flow_route(*s, 0.0005, v), -1);
    const std::string o = testing::internal::GetCapturedStdout();
    EXPECT_NE(o.find("The channel routing time step is getting really small\n"
                     "less than 1/1000 of a second\n"
                     "Reduce the model time step and/or MAX_COURANT_NUMBER (default=0.04) \n"
                     "Program stopped.\n"),
              std::string::npos)
        << o;
    EXPECT_NE(error_state.raised, 0);
}

// A reach losing to the aquifer without a water table: every wet node loses
// by its depth through the bed; the inflow equals the outflow, the storage
// change and the seepage the cells book, whether the bed lets little
// through or more than a node holds.
TEST_F(ChannelProject, LosingReachSeepageClosesTheBalance)
{
    struct row {
        const char* k_river;
        double q_in;
    } rows[] = {{"0.36", 0.5}, {"3600", 0.05}};
    for (const row& r : rows) {
        SCOPED_TRACE(r.k_river);
        ASSERT_TRUE(load_network(trapezoid_link(11, 20.0, 0.02, 1.0, 1.0, 0.03), one_cell_gst,
                                 std::string("FIRST_ORDER_CHAN_Q ") + std::to_string(r.q_in) +
                                     "\nSTREAM_LOSS\nK_RIVER " + r.k_river + "\nM_RIVER 1\n"))
            << out;
        model_state& m = *s;
        init_channel_state(m);
        ASSERT_EQ(error_state.raised, 0);
        ASSERT_EQ(m.gw_chan_exchange.size(), m.num_cells);
        ASSERT_EQ(m.qriv.rows(), m.node_dim);
        m.chan_routing_active = 1;
        const auto storage = [&] {
            double v = 0.0;
            for (int k = 1; k <= m.nx[1]; ++k)
                v += m.link_dx[1] * m.area[k][1];
            return v;
        };
        const double dt = 30.0, start = storage();
        double outlet = 0.0;
        int status = 0;
        route_volumes v;
        for (int i = 0; i < 60; ++i) {
            status = ex_flow_route(m, dt, v);
            ASSERT_GE(status, 0);
            outlet += v.outlet;
        }
        EXPECT_EQ(status, 2); // only losing nodes
        double seepage = 0.0;
        for (int c = 1; c <= m.num_cells; ++c) {
            EXPECT_LE(m.gw_chan_exchange[c], 0.0);
            seepage += m.gw_chan_exchange[c];
        }
        EXPECT_LT(seepage, 0.0);
        const double in = r.q_in * dt * 60;
        EXPECT_NEAR(in, outlet + storage() - start - seepage, 1e-9 * in);
        for (int k = 1; k <= m.nx[1]; ++k)
            EXPECT_GE(m.area[k][1], 0.0) << "node " << k;
        // Unlimited loss of the first wet node by hand: depth x K / M x width.
        if (std::string(r.k_river) == "0.36") {
            stream_gw_exchange(m);
            const double d = m.chan_depth[1][1], width = 1.0 + 2.0 * d;
            EXPECT_NEAR(m.qriv[1][1], -d * 0.36 / 3600.0 * width, 1e-12);
        }
    }
}

// The groundwater-flux locations are channel nodes read like the hydrograph
// locations.
TEST_F(ChannelProject, GroundwaterFluxLocationsReadAndRefusedOutsideTheNetwork)
{
    const std::string net = trapezoid_link(6, 10.0, 0.01, 1.0, 1.0, 0.03);
    const std::string cards = "IN_GWFLUX_LOCATION g.loc\nOUT_GWFLUX_LOCATION g.out\n";
    file("g.loc", "2\n1 5\n1 2\n");
    ASSERT_TRUE(load_network(net, one_cell_gst, cards)) << out;
    ASSERT_EQ(s->num_gwflux_locations, 2);
    EXPECT_EQ(s->gwflink[2], 1);
    EXPECT_EQ(s->gwfnode[1], 5);
    EXPECT_EQ(s->gwfnode[2], 2);
    file("g.loc", "1 1 6\n");
    EXPECT_FALSE(load_network(net, one_cell_gst, cards));
    EXPECT_TRUE(printed("entry 1 of the location list ")) << out;
    EXPECT_TRUE(printed("g.loc")) << out;
}

// A channel link draining into another channel link: the junction face's
// discharge against Manning's conveyance and the water-surface slope over
// the mean of the two node spacings, worked by hand, and uniform flow
// carried steadily through two links in series whose spacings differ.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
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

struct trapezoid {
    double dx, bottom, side, n;
};

// Link 1 (points1 node points, spacing a.dx) drains into link 2 (points2
// node points, spacing b.dx), one bed of slope S from 10 m. A node lies
// midway between two node points, so the last node of link 1 and the first
// of link 2 are (a.dx + b.dx) / 2 apart.
std::string two_links(const trapezoid& a, int points1, const trapezoid& b, int points2, double S)
{
    auto link = [](int id, const trapezoid& t, int points, double top, double S) {
        char head[256];
        std::snprintf(head, sizeof head, "LINK %d\nTRAPEZOID\nMANNINGS_N %.6f\nDX %.6f\nNODES %d\n", id, t.n,
                      t.dx, points);
        std::string text = head;
        for (int k = 1; k <= points; ++k) {
            char node[128];
            std::snprintf(node, sizeof node, "NODE %d\nELEV %.9f\n", k, top - S * t.dx * (k - 1));
            text += node;
            if (k == 1) {
                std::snprintf(node, sizeof node,
                              "XSEC\nBOTTOM_WIDTH %.6f\nSIDE_SLOPE %.6f\nBANKFULL_DEPTH 5\n", t.bottom,
                              t.side);
                text += node;
            }
        }
        return text;
    };
    const double first2 = 10.0 - S * a.dx * (points1 - 1); // link 1's last node point
    return "TORVA_CHAN\nALPHA 1\nBETA 1\nTHETA 0.5\nLINKS 2\nMAXNODES " +
           std::to_string(std::max(points1, points2)) + "\nCONNECT 1 2 0\nCONNECT 2 0 1 1\n" +
           link(1, a, points1, 10.0, S) + link(2, b, points2, first2, S);
}

// Manning conveyance A R^(2/3) / n of a trapezoid at depth y.
double conveyance(const trapezoid& t, double y)
{
    const double A = (t.bottom + t.side * y) * y;
    const double P = t.bottom + 2.0 * y * std::sqrt(1.0 + t.side * t.side);
    return A * std::pow(A / P, 2.0 / 3.0) / t.n;
}

// Depth at which the conveyance carries Q on slope S.
double normal_depth(const trapezoid& t, double Q, double S)
{
    double lo = 0.0, hi = 20.0;
    for (int i = 0; i < 200; ++i) {
        const double y = (lo + hi) / 2.0;
        (conveyance(t, y) * std::sqrt(S) < Q ? lo : hi) = y;
    }
    return (lo + hi) / 2.0;
}

const char* link1_gst = "GRIDSTREAMFILE\nSTREAMCELLS 1\nCELLIJ 2 2\nNUMNODES 1\nLINKNODE 1 1 1.0\n";

} // namespace

// The face between the last node of link 1 (spacing 100 m, bed 9.55 m) and
// the first node of link 2 (spacing 40 m, bed 9.48 m): its slope is the
// stage difference over (100 + 40) / 2 = 70 m, its conveyance the upstream
// node's for a falling surface and the downstream node's for a rising one.
TEST_F(ChannelProject, JunctionOfTwoChannelLinksMatchesTheHandValue)
{
    const trapezoid up{100.0, 2.0, 1.0, 0.03}, down{40.0, 3.0, 0.5, 0.03};
    ASSERT_TRUE(load_network(two_links(up, 6, down, 11, 0.001), link1_gst)) << out;
    model_state& m = *s;
    init_channel_state(m);
    ASSERT_EQ(error_state.raised, 0);
    ASSERT_EQ(m.nx[1], 5);
    ASSERT_NEAR(m.bel[5][1], 9.55, 1e-12);
    ASSERT_NEAR(m.bel[1][2], 9.48, 1e-12);

    struct junction_case {
        double y_up, y_down; // depths of link 1 node 5 and link 2 node 1
        double q;            // by hand, m3/s
    };
    // Falling surface: S = (10.35 - 9.98) / 70 = 0.005285714; link 1 at
    // 0.8 m: A = 2.24, P = 4.2627417, K = 2.24 x 0.5254834^(2/3) / 0.03 =
    // 48.621994, Q = K sqrt(S) = 3.534961.
    // Rising surface: S = (9.85 - 10.48) / 70 = -0.009; link 2 at 1.0 m:
    // A = 3.5, P = 5.2360680, K = 3.5 x 0.6684405^(2/3) / 0.03 = 89.191192,
    // Q = -K sqrt(0.009) = -8.461419.
    const junction_case cases[] = {{0.8, 0.5, 3.534961}, {0.3, 1.0, -8.461419}};
    for (const junction_case& c : cases) {
        for (int l = 1; l <= 2; ++l)
            for (int k = 1; k <= m.nx[l]; ++k) {
                m.chan_depth[k][l] = 0.5;
                m.yp[k][l] = m.bel[k][l] + 0.5;
            }
        m.chan_depth[5][1] = c.y_up;
        m.yp[5][1] = m.bel[5][1] + c.y_up;
        m.chan_depth[1][2] = c.y_down;
        m.yp[1][2] = m.bel[1][2] + c.y_down;
        ex_section(m, 2);
        ASSERT_EQ(error_state.raised, 0);
        dnode_mat q = m.qp;
        ASSERT_EQ(chan_link_flows(m, q, 1.0), 0);
        const double S = (m.yp[5][1] - m.yp[1][2]) / 70.0;
        const double independent =
            S > 0.0 ? std::sqrt(S) * conveyance(up, c.y_up) : -std::sqrt(-S) * conveyance(down, c.y_down);
        EXPECT_NEAR(independent, c.q, 1e-6) << c.y_up;
        EXPECT_NEAR(q[5][1], independent, 1e-9 * std::fabs(independent)) << c.y_up;
    }
}

// Two links of the same trapezoid and slope, node spacings 100 m and 40 m:
// from a dry start the head inflow settles at Manning's normal depth at
// every node of both links, the junction's nodes included, and the same
// discharge passes every face.
TEST_F(ChannelProject, UniformFlowThroughTwoLinksOfDifferentSpacingsIsSteady)
{
    const double Q = 2.0, S = 0.001;
    const trapezoid up{100.0, 2.0, 1.0, 0.03}, down{40.0, 2.0, 1.0, 0.03};
    ASSERT_TRUE(load_network(two_links(up, 11, down, 21, S), link1_gst, "FIRST_ORDER_CHAN_Q 2.0\n")) << out;
    model_state& m = *s;
    init_channel_state(m);
    ASSERT_EQ(error_state.raised, 0);
    m.chan_routing_active = 1;
    route_volumes v;
    for (int i = 0; i < 300; ++i)
        ASSERT_EQ(ex_flow_route(m, 60.0, v), 0);
    const double yn = normal_depth(up, Q, S); // 0.9257 m
    for (int l = 1; l <= 2; ++l)
        for (int k = 1; k <= m.nx[l]; ++k) {
            EXPECT_NEAR(m.chan_depth[k][l], yn, 1e-6 * yn) << "link " << l << " node " << k;
            EXPECT_NEAR(m.qp[k][l], Q, 1e-6 * Q) << "link " << l << " node " << k;
        }
    EXPECT_NEAR(v.outlet / 60.0, Q, 1e-6 * Q);
}

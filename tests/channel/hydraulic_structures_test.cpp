// Weirs, sag weirs and culverts against hand calculations, case by case.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "channel/channel_state.h"
#include "channel/hydraulic_structures.h"
#include "core/error_state.h"

namespace
{

chan_struct_rec weir(int type)
{
    chan_struct_rec w;
    w.type = type;
    w.coeff_forward = 0.6;
    w.coeff_reverse = 0.5;
    if (type == 1) {
        w.length = 5.0;
        w.up_elev = 10.0;
    } else { // a parabolic crest falling at 0.2 and rising at 0.1 over 10 m
        w.length = 10.0;
        w.up_elev = 10.0;
        w.size1 = -0.2;
        w.size2 = 0.1;
    }
    return w;
}

// A culvert (element 1 of a list) of diameter or width 1 m unless given.
std::vector<chan_struct_rec> culvert(int shape, double length, double up, double down, double width = 1.0,
                                     double height = 0.0, double work_coeff = 0.0)
{
    std::vector<chan_struct_rec> list(2);
    chan_struct_rec& c = list[1];
    c.type = shape;
    c.length = length;
    c.up_elev = up;
    c.down_invert = down;
    c.size1 = width;
    c.size2 = height;
    c.coeff_forward = 0.8;
    c.coeff_reverse = 0.7;
    c.rough_coeff = 0.013;
    c.work_coeff = work_coeff;
    return list;
}

} // namespace

TEST(WeirFlow, HandValues)
{
    const double g2 = 19.62;
    struct weir_case {
        const char* name;
        int type;
        double U, D, q;
    } cases[] = {
        {"free flow", 1, 11.0, 9.0, std::sqrt(g2 / 3.0) * 0.6 * (2.0 / 3.0) * 5.0},
        {"linear submerged, tailwater 5 mm below", 1, 11.0, 10.995,
         std::sqrt(1962.0) * 0.6 * 5.0 * 0.995 * 0.005},
        {"submerged", 1, 11.0, 10.9, std::sqrt(0.1 * g2) * 0.6 * 5.0 * 0.9},
        {"reverse, reverse coefficient", 1, 9.0, 11.0, -std::sqrt(g2 / 3.0) * 0.5 * (2.0 / 3.0) * 5.0},
        {"both below the crest", 1, 9.5, 9.0, 0.0},
        {"equal levels", 1, 10.5, 10.5, 0.0},
        // The sag-weir law reduces to sqrt(2g) C (H - z)^2 / sqrt(a), a = 0.015 /m.
        {"sag weir free", 2, 10.5, 9.0, std::sqrt(g2) * 0.6 * 0.25 / std::sqrt(0.015)},
        {"sag weir submerged: the same law", 2, 10.5, 10.4, std::sqrt(g2) * 0.6 * 0.25 / std::sqrt(0.015)},
        {"sag weir reverse", 2, 10.4, 10.5, -std::sqrt(g2) * 0.5 * 0.25 / std::sqrt(0.015)},
        {"sag weir dry", 2, 10.0, 9.0, 0.0},
    };
    for (const weir_case& c : cases) {
        const chan_struct_rec w = weir(c.type);
        const double q = c.type == 1 ? weir_flow(w, c.U, c.D) : sag_weir_flow(w, c.U, c.D);
        EXPECT_NEAR(q, c.q, 1e-12 + 1e-12 * std::fabs(c.q)) << c.name;
    }
    EXPECT_TRUE(std::signbit(weir_flow(weir(1), 10.5, 10.5))); // -0: equal levels are reverse flow
}

TEST(CulvertFlow, RegimesMatchHandValues)
{
    const double g2 = 19.62, n = 0.013;
    struct culvert_case {
        const char* name;
        std::vector<chan_struct_rec> c;
        double U, D;
        int regime;
        double q;
        double tol = 2e-6; // relative; the inlet root is found to 1e-4 m3/s
    } cases[] = {
        {"box inlet control, yc = 2E/3", culvert(culvert_box, 10, 10, 9.8, 2, 1, 1.0), 10.6, 9.0, 1,
         1.0 * 0.4 * 2.0 * std::sqrt(g2) * std::sqrt(0.2)},
        {"circular inlet control at the critical-depth root", culvert(culvert_round, 10, 10, 9.8), 10.6, 9.0,
         1, 0.4550406467, 1e-4},
        {"outlet partly submerged", culvert(culvert_round, 10, 10, 9.8), 10.6, 10.3, 3,
         std::sqrt(g2 * 0.3) * 0.3926990 * 0.8},
        {"full barrel, SI friction term", culvert(culvert_round, 20, 10, 9.6), 12.0, 11.0, 4,
         0.7853981 * 0.8 * std::sqrt(g2 / (1.0 + g2 * 0.64 * n * n * 20.0 / std::pow(0.25, 4.0 / 3.0)))},
        {"inlet orifice", culvert(culvert_round, 10, 10, 8.5), 11.6, 8.0, 5,
         0.8 * 0.7853981 * std::sqrt(g2 * 1.6)},
        {"outlet orifice", culvert(culvert_round, 10, 10, 9.8), 11.6, 9.0, 6,
         0.8 * 0.7853981 * std::sqrt(g2 * 0.8)},
        {"reverse flow, reverse coefficient", culvert(culvert_box, 10, 10, 9.8, 2, 1), 10.58, 10.6, -3,
         -std::sqrt(g2 * 0.02) * 1.16 * 0.7},
        {"equal levels: reverse, no flow", culvert(culvert_box, 10, 10, 9.8, 2, 1), 10.5, 10.5, -3, 0.0},
        {"long mild, tailwater 1e-7 m over the outlet invert", culvert(culvert_round, 100, 10, 9.9), 10.5,
         9.9 + 1e-7, 2, 0.22908575766484052},
        {"long mild, tailwater 1 mm over the outlet invert", culvert(culvert_round, 100, 10, 9.9), 10.5,
         9.901, 3, 0.11595905964145843},
        {"long mild, outlet crown submerged", culvert(culvert_round, 100, 10, 9.9), 11.2, 11.0, 4,
         0.8828684642666922},
        {"steep, headwater below one rise, outlet crown submerged", culvert(culvert_round, 10, 10, 9.5), 10.8,
         10.6, 4, 0.7853981 * 0.8 * std::sqrt(g2 * 0.2)},
        {"entrance above the headwater", culvert(culvert_round, 10, 10, 9.8), 9.9, 9.0, 0, 0.0},
    };
    for (culvert_case& c : cases) {
        error_state = error_rec();
        const culvert_result r = culv_flow(c.c, 1, c.U, c.D);
        EXPECT_EQ(r.regime, c.regime) << c.name;
        EXPECT_NEAR(r.q, c.q, c.tol * std::fabs(c.q) + 1e-9) << c.name;
        EXPECT_EQ(error_state.raised, 0) << c.name;
    }
}

// At the circular inlet-control root the reported depth is critical for the
// discharge, and the inlet passes that discharge under the head.
TEST(CulvertFlow, CircularInletControlRootAndCriticalDepth)
{
    const std::vector<chan_struct_rec> c = culvert(culvert_round, 10, 10, 9.8);
    const culvert_result r = culv_flow(c, 1, 10.6, 9.0);
    const double A = culvert_segment_area(culvert_round, 1.0, 1.0, r.depth);
    EXPECT_NEAR(r.q, A * 0.8 * std::sqrt(19.62 * (0.6 - r.depth)), 2e-4);
    for (double Q : {0.001, 0.05, 0.4, 1.0, 2.0, 4.0}) {
        error_state = error_rec();
        const double y = crit_calc(culvert_round, 1.0, 1.0, Q);
        const double a = culvert_segment_area(culvert_round, 1.0, 1.0, y);
        const double T = 1.0 * std::sin(std::acos(std::fabs(y - 0.5) / 0.5));
        EXPECT_NEAR(Q * Q * T, 9.81 * a * a * a, 1e-6 * Q * Q * T) << Q;
        EXPECT_EQ(error_state.raised, 0);
    }
    // A working coefficient below 0.01 leaves the inlet coefficient alone;
    // above it, the coefficient blends in with the head.
    std::vector<chan_struct_rec> blended = culvert(culvert_round, 10, 10, 9.8, 1.0, 0.0, 0.5);
    EXPECT_LT(culv_flow(blended, 1, 10.6, 9.0).q, r.q);
    EXPECT_EQ(culv_flow(culvert(culvert_round, 10, 10, 9.8, 1.0, 0.0, 0.009), 1, 10.6, 9.0).q, r.q);
}

// Box inlet control runs at critical depth: the head equals the specific
// energy yc + V^2 / 2g of the critical flow (the inlet-control weir form).
TEST(CulvertFlow, BoxInletControlIsCriticalFlow)
{
    for (double head : {0.3, 0.6, 1.2}) {
        const std::vector<chan_struct_rec> c = culvert(culvert_box, 10, 10, 9.8, 2.0, 1.0, 1.0);
        const culvert_result r = culv_flow(c, 1, 10.0 + head, 9.0);
        const double yc = crit_calc(culvert_box, 1.0, 2.0, r.q);
        const double v = r.q / (2.0 * yc);
        EXPECT_NEAR(yc + v * v / 19.62, head, 1e-9) << head;
        EXPECT_NEAR(r.depth, yc, 1e-9);
    }
}

TEST(CulvertFlow, FailuresAndCriticalDepthCodes)
{
    testing::internal::CaptureStdout();
    const culvert_result r = culv_flow(culvert(culvert_round, 0.0, 10, 9.8), 1, 10.6, 9.0);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(r.q, culvert_failed);
    EXPECT_EQ(out, "Problem in culv_flow (ex_flow_route).  The culvert barrel length\n"
                   "in culvert number 1 is 0.0.  This is not possible. Program terminated.\n");

    testing::internal::CaptureStdout();
    int iterations = 0;
    const culvert_inlet inlet{culvert_round, 1.0, 1.0, 0.8, 0.6};
    EXPECT_EQ(zbrent(inlet, 1.0, 2.0, 1e-4, iterations), culvert_failed);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Problem in ZBRENT root finder\nRoot must be bracketed\n");

    error_state = error_rec();
    crit_calc(culvert_oval, 1.0, 1.0, 1.0);
    EXPECT_EQ(error_state.code, err_arch_culvert);
    EXPECT_EQ(error_state.raised, 1);
    error_state = error_rec();
}

// The working coefficient is computed once from the barrel: the flow with
// it is the flow at the coefficient the two fixed-head evaluations give.
TEST(CulvertFlow, CalibrationFromTwoFixedHeads)
{
    std::vector<chan_struct_rec> c = culvert(culvert_round, 10, 10, 9.8);
    ASSERT_TRUE(culvert_calibrate(c, 1, 3));
    std::vector<chan_struct_rec> by_hand = culvert(culvert_round, 10, 10, 9.8, 1.0, 0.0, 1.07);
    const double q1 = culv_flow(by_hand, 1, 11.5, 0.0).q;
    const culvert_result part = culv_flow(by_hand, 1, 11.49, 0.0);
    double coeff = q1 / (std::sqrt((1.49 - part.depth) * 19.62) * part.area);
    if (coeff > 1.0)
        coeff = 0.99;
    EXPECT_DOUBLE_EQ(c[1].work_coeff, coeff);
    EXPECT_GT(coeff, 0.01);
}

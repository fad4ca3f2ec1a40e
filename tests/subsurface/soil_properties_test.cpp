// Retention and conductivity of the Richards nodes: round trips between
// head and water content, Kr and C against their formulas, continuity where
// the Brooks-Corey curve meets its cap, the surface node copying node 1.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "core/model_state.h"
#include "subsurface/soil_properties.h"

namespace
{

const double ths = 0.45, lam = 0.4, hb = -20.0;
const double alpha = 15.0, beta = 1.8, ahav = 1e6, bhav = 4.7;

// One cell with a three-node column of one soil; thr as given.
std::unique_ptr<model_state> column(double thr)
{
    auto s = std::make_unique<model_state>();
    s->num_cells = 1;
    s->numcells.assign(1, 3);
    for (dmat* m : {&s->PHEAD, &s->THETA, &s->KHEAD, &s->WATCAP, &s->THETAS, &s->THETAR, &s->LAM, &s->BP,
                    &s->thehac, &s->BChc, &s->ALPHA, &s->BETA, &s->AHAV, &s->BHAV})
        m->assign(1, 3, 0.0);
    const double q = (2.0 / lam) / (2.0 / lam + 1.0);
    for (int k = 0; k <= 3; ++k) {
        s->THETAS[1][k] = ths;
        s->THETAR[1][k] = thr;
        s->LAM[1][k] = lam;
        s->BP[1][k] = hb;
        s->thehac[1][k] = ths * q;
        s->BChc[1][k] = hb * std::pow(q, -1.0 / lam);
        s->ALPHA[1][k] = alpha;
        s->BETA[1][k] = beta;
        s->AHAV[1][k] = ahav;
        s->BHAV[1][k] = bhav;
    }
    return s;
}

} // namespace

TEST(SoilProperties, HeadToMoistureToHeadRoundTrips)
{
    // The cap's junction is fixed from the saturated content alone, so the
    // Brooks-Corey round trip is exact near it only without residual water.
    for (int model : {1, 2}) {
        const double thr = model == 1 ? 0.0 : 0.05;
        auto s = column(thr);
        const double hc = s->BChc[1][1];
        for (double h : {-500.0, -60.0, hc, hc * 0.5, -1.0}) {
            s->PHEAD[1][1] = h;
            moisture_from_head(*s, 1, 1, model);
            EXPECT_GT(s->THETA[1][1], thr);
            EXPECT_LT(s->THETA[1][1], ths);
            s->PHEAD[1][1] = 0.0;
            head_from_moisture(*s, 1, 1, model);
            EXPECT_NEAR(s->PHEAD[1][1], h, 1e-9 * std::fabs(h)) << model << " " << h;
        }
        s->PHEAD[1][1] = 5.0;
        moisture_from_head(*s, 1, 1, model);
        EXPECT_EQ(s->THETA[1][1], ths);
        // At or below the residual content the head stays.
        s->THETA[1][1] = thr;
        s->PHEAD[1][1] = -123.0;
        head_from_moisture(*s, 1, 1, model);
        EXPECT_EQ(s->PHEAD[1][1], -123.0);
    }
}

TEST(SoilProperties, ConductivityAndCapacityFollowTheirFormulas)
{
    const double thr = 0.05;
    auto s = column(thr);
    const double hc = s->BChc[1][1];
    // Nodes: deep in the power law, inside the cap, ponded.
    s->PHEAD[1][1] = -80.0;
    s->PHEAD[1][2] = 0.5 * hc;
    s->THETA[1][2] = 0.43;
    s->PHEAD[1][3] = 2.0;
    brooks_corey_props(*s, 1);
    EXPECT_DOUBLE_EQ(s->KHEAD[1][1], std::pow(-80.0 / hb, -(3.0 * lam + 2.0)));
    EXPECT_DOUBLE_EQ(s->WATCAP[1][1], -std::pow(-80.0 / hb, -(lam + 1.0)) * (ths - thr) * lam / hb);
    const double se = (0.43 - thr) / (ths - thr);
    const double sc = (s->thehac[1][2] - thr) / (ths - thr);
    const double a = std::sqrt(1.0 - sc) / (hb * std::pow(sc, -1.0 / lam));
    EXPECT_DOUBLE_EQ(s->KHEAD[1][2], std::pow(se, 3.0 + 2.0 / lam));
    EXPECT_DOUBLE_EQ(s->WATCAP[1][2], -2.0 * 0.5 * hc * (ths - thr) * a * a);
    EXPECT_EQ(s->KHEAD[1][3], 1.0);
    EXPECT_EQ(s->WATCAP[1][3], 0.0);
    EXPECT_EQ(s->KHEAD[1][0], s->KHEAD[1][1]);
    EXPECT_EQ(s->WATCAP[1][0], s->WATCAP[1][1]);

    s->PHEAD[1][1] = -80.0;
    s->PHEAD[1][2] = 0.0;
    s->PHEAD[1][3] = 3.0;
    havercamp_props(*s, 1);
    const double x = std::pow(80.0 / alpha, beta);
    EXPECT_DOUBLE_EQ(s->KHEAD[1][1], ahav / (ahav + std::pow(80.0, bhav)));
    EXPECT_DOUBLE_EQ(s->WATCAP[1][1],
                     std::pow(80.0 / alpha, beta - 1.0) * (ths - thr) * beta / alpha / ((x + 1.0) * (x + 1.0)));
    for (int k : {2, 3}) {
        EXPECT_EQ(s->KHEAD[1][k], 1.0);
        EXPECT_EQ(s->WATCAP[1][k], 0.0);
        EXPECT_EQ(s->THETA[1][k], ths);
    }
    EXPECT_EQ(s->KHEAD[1][0], s->KHEAD[1][1]);
    EXPECT_EQ(s->WATCAP[1][0], s->WATCAP[1][1]);
}

TEST(SoilProperties, BrooksCoreyIsContinuousWhereTheCapBegins)
{
    // With no residual content the junction of the cap is where the curve
    // and the cap meet.
    auto s = column(0.0);
    const double hc = s->BChc[1][1];
    const double eps = 1e-7 * std::fabs(hc);
    double theta[2], kr[2];
    for (int side = 0; side < 2; ++side) {
        s->PHEAD[1][1] = hc + (side ? eps : -eps);
        moisture_from_head(*s, 1, 1, 1);
        theta[side] = s->THETA[1][1];
        brooks_corey_props(*s, 1);
        kr[side] = s->KHEAD[1][1];
    }
    EXPECT_NEAR(theta[0], theta[1], 1e-6);
    EXPECT_NEAR(kr[0], kr[1], 1e-6 * kr[0]);
    // Exactly at hc the power law applies.
    s->PHEAD[1][1] = hc;
    s->THETA[1][1] = 0.0; // the cap would give Kr 0 from this content
    brooks_corey_props(*s, 1);
    EXPECT_DOUBLE_EQ(s->KHEAD[1][1], std::pow(hc / hb, -(3.0 * lam + 2.0)));
}

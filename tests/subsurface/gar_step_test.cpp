// Green-Ampt with redistribution on one cell under set rain sequences: the
// opening phase, ponding at the Mein-Larson time, the drying of the surface
// between bursts and the earlier ponding of a wetted profile, the bounds of
// the upper profile's water content, the guarded empty profile, the cells
// that are skipped or held, the refusal of unusable parameters and the
// same cells on one and four threads.
#include <gtest/gtest.h>
#include <omp.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "core/error_state.h"
#include "core/model_state.h"
#include "subsurface/infiltration.h"

namespace
{

const double ks = 1.0 / 360000.0; // 1 cm/h
const double psi = 0.11;          // m
const double ths = 0.45, thr = 0.05, lam = 0.25, thi = 0.15;
const double dt = 30.0;           // s

std::unique_ptr<model_state> loam_cells(int n)
{
    auto s = std::make_unique<model_state>();
    s->num_cells = n;
    s->gridsize = 10.0;
    s->inf_redist = 1;
    s->dist_ksat.assign(n, ks);
    s->dist_cap_head.assign(n, psi);
    s->dist_porosity.assign(n, ths);
    s->dist_resid_sat.assign(n, thr);
    s->dist_pore_index.assign(n, lam);
    s->dist_init_moisture.assign(n, thi);
    for (dvec* v : {&s->event_inf_depth, &s->inf_rate, &s->ov_depth, &s->redist_aux})
        v->assign(n, 0.0);
    s->redist_theta_1.assign(n, thi);
    s->redist_theta_2.assign(n, thi);
    for (ivec* v : {&s->iter_pond_1, &s->iter_n, &s->no_wat_prof, &s->iter_i_less_k, &s->yes_exfil})
        v->assign(n, 0);
    return s;
}

struct step_record {
    double rate;    // cm/h
    double depth;   // ponded depth after the step, m
    double th0;     // upper profile
    double surface; // reported surface content
    double cum;     // infiltrated depth of the event, m
};

// Rain of rates[k] m/s in step k + 1; the steps of the event are numbered
// from `first`.
std::vector<step_record> rain_on(model_state& s, const std::vector<double>& rates, int first = 1)
{
    std::vector<step_record> out;
    int n = first;
    for (double r : rates) {
        s.ov_depth[1] += r * dt;
        EXPECT_TRUE(gar_step(s, dt, n++));
        out.push_back(
            {s.inf_rate[1], s.ov_depth[1], s.redist_theta_1[1], s.redist_theta_2[1], s.event_inf_depth[1]});
    }
    return out;
}

std::vector<double> steady(double rate, double minutes)
{
    return std::vector<double>(static_cast<std::size_t>(minutes * 60.0 / dt + 0.5), rate);
}

// A burst of `rain` m/s, a dry gap and a second burst (minutes each), with
// the indices of the gap's first step and the second burst's first step.
struct bursts {
    std::vector<double> rates;
    std::size_t gap_start, second;
};

bursts two_bursts(double rain, double first, double gap, double second)
{
    bursts b;
    b.rates = steady(rain, first);
    b.gap_start = b.rates.size();
    const std::vector<double> dry = steady(0.0, gap);
    b.rates.insert(b.rates.end(), dry.begin(), dry.end());
    b.second = b.rates.size();
    const std::vector<double> wet = steady(rain, second);
    b.rates.insert(b.rates.end(), wet.begin(), wet.end());
    return b;
}

// First step (1-based) whose ponded depth stays above zero, from step `from`.
int ponding_step(const std::vector<step_record>& rec, std::size_t from)
{
    for (std::size_t k = from; k < rec.size(); ++k)
        if (rec[k].depth > 0.0)
            return static_cast<int>(k - from) + 1;
    return -1;
}

struct GarStep : testing::Test {
    void SetUp() override { error_state_clear(); }
    void TearDown() override { error_state_clear(); }
};

} // namespace

TEST_F(GarStep, LightRainKeepsTheOpeningPhaseAndSoaksInWhole)
{
    auto s = loam_cells(1);
    const double light = 0.5 * ks;
    const auto rec = rain_on(*s, steady(light, 10.0));
    for (const step_record& r : rec) {
        EXPECT_NEAR(r.rate, light * 360000.0, 1e-12);
        EXPECT_EQ(r.depth, 0.0);
        EXPECT_EQ(r.surface, thi);
    }
    EXPECT_EQ(s->iter_i_less_k[1], static_cast<int>(rec.size()));
    EXPECT_NEAR(s->event_inf_depth[1], light * 600.0, 1e-12);
    EXPECT_EQ(s->iter_n[1], 0);

    // One step above the conductivity ends the phase for the event: the
    // light rain that follows redistributes instead.
    const int next = static_cast<int>(rec.size()) + 1;
    rain_on(*s, {3.0 * ks}, next);
    EXPECT_EQ(s->iter_i_less_k[1], next - 1);
    rain_on(*s, {light}, next + 1);
    EXPECT_EQ(s->iter_n[1], next + 1);
}

TEST_F(GarStep, TwoBurstsPondAtTheMeinLarsonTimeAndSoonerOnTheWettedProfile)
{
    const double rain = 5.0 * ks;
    // Mein-Larson: ponding when F = psi (ths - thi) Ks / (r - Ks).
    const double tp = psi * (ths - thi) * ks / (rain - ks) / rain;

    const bursts b = two_bursts(rain, 30.0, 60.0, 30.0);
    const std::vector<double>& rates = b.rates;
    const std::size_t gap_start = b.gap_start, second = b.second;

    auto s = loam_cells(1);
    const auto rec = rain_on(*s, rates);

    // The surface saturates at the Mein-Larson time; water stands on it
    // from then or the step after.
    EXPECT_NEAR(s->iter_pond_1[1] * dt, tp, dt);
    const int first_pond = ponding_step(rec, 0);
    EXPECT_GE(first_pond, s->iter_pond_1[1]);
    EXPECT_LE(first_pond, s->iter_pond_1[1] + 1);
    for (int k = 0; k + 1 < first_pond; ++k)
        EXPECT_NEAR(rec[k].rate, rain * 360000.0, 1e-9) << k; // rate = rain before ponding
    EXPECT_LT(rec[first_pond - 1].rate, rain * 360000.0);

    // In the gap the ponded water soaks in, then the surface dries.
    std::size_t dry = gap_start;
    while (dry < second && rec[dry].depth > 0.0)
        ++dry;
    ASSERT_LT(dry + 10, second);
    for (std::size_t k = dry + 1; k < second; ++k)
        EXPECT_LT(rec[k].surface, rec[k - 1].surface) << k;
    EXPECT_LT(rec[second - 1].surface, ths - 0.02);
    EXPECT_GT(rec[second - 1].surface, thi);

    // The second burst meets a wetter profile and ponds sooner than a dry
    // one does.
    const int again = ponding_step(rec, second);
    ASSERT_GT(again, 0);
    EXPECT_LT(again, first_pond);

    for (const step_record& r : rec) {
        EXPECT_GE(r.th0, thi);
        EXPECT_LE(r.th0, ths);
    }
    // Every drop is either in the soil or still ponded.
    double total = 0.0;
    for (double r : rates)
        total += r * dt;
    EXPECT_NEAR(s->event_inf_depth[1] + s->ov_depth[1], total, 1e-12);
}

// One redistribution step of an upper profile at 0.30 holding 2 cm over a
// loam at 0.15 (Se 0.625 and 0.25, exponents 3 + 2/0.25 = 11 and
// 3 + 1/0.25 = 7), worked by hand from
//   th0' = th0 + (r - K(Sei) - K(Se0) - Ks G (th0 - thi) / F) (th0 - thi) dt / F,
//   G = psi (Se0^7 - Sei^7) / (1 - Sei^7) = 0.0040913552:
// K(Sei) = 6.6227e-13, K(Se0) = 1.5789839e-8, the capillary term
// 8.5236566e-8 m/s, so without supply th0' = 0.30 - 1.0102703e-7 x 225
// = 0.29997726891; with a supply of Ks / 2 (F = 0.0200416667 after the
// step's 0.0417 mm) th0' = 0.30028920627.
TEST_F(GarStep, ARedistributionStepFollowsTheEquationWorkedByHand)
{
    struct redistribution_case {
        double supply; // m/s
        double th0;    // by hand
    };
    const redistribution_case cases[] = {{0.0, 0.29997726890991448}, {0.5 * ks, 0.30028920626842988}};
    for (const redistribution_case& c : cases) {
        auto s = loam_cells(1);
        s->iter_i_less_k[1] = 3; // the opening phase ended at step 4
        s->redist_theta_1[1] = 0.30;
        s->event_inf_depth[1] = 0.02;
        s->redist_aux[1] = 0.02;
        s->ov_depth[1] = c.supply * dt;
        ASSERT_TRUE(gar_step(*s, dt, 10));
        EXPECT_NEAR(s->redist_theta_1[1], c.th0, 1e-14) << c.supply;
        EXPECT_EQ(s->redist_theta_2[1], s->redist_theta_1[1]);
        EXPECT_NEAR(s->inf_rate[1], c.supply * 360000.0, 1e-12);
        EXPECT_NEAR(s->event_inf_depth[1], 0.02 + c.supply * dt, 1e-15);
        EXPECT_EQ(s->redist_aux[1], s->event_inf_depth[1]);
        EXPECT_EQ(s->iter_n[1], 10);
        EXPECT_EQ(s->ov_depth[1], 0.0);
    }
}

// Between two bursts the dry surface redistributes: from the first step
// after the pond has soaked in to the end of the gap, the upper profile's
// water content follows the redistribution equation integrated
// independently (fourth-order Runge-Kutta in 1 s steps, with the profile's
// depth held), to within the error of the scheme's 30 s Euler steps.
TEST_F(GarStep, TheGapBetweenTwoBurstsRedistributesAsTheEquationIntegrated)
{
    const double rain = 5.0 * ks;
    const bursts b = two_bursts(rain, 30.0, 60.0, 10.0);
    const std::size_t second = b.second;
    auto s = loam_cells(1);
    const auto rec = rain_on(*s, b.rates);

    std::size_t dry = b.gap_start;
    while (dry < second && rec[dry].depth > 0.0)
        ++dry;
    ASSERT_LT(dry + 60, second);
    const double start = rec[dry].th0, held = rec[dry].cum;
    ASSERT_GT(start, thi + 0.2);
    for (std::size_t k = dry + 1; k < second; ++k)
        ASSERT_EQ(rec[k].cum, held) << k; // nothing more infiltrates in the gap

    const double sei = (thi - thr) / (ths - thr);
    auto rate = [&](double th) {
        const double se0 = (th - thr) / (ths - thr);
        const double G = psi * (std::pow(se0, 7.0) - std::pow(sei, 7.0)) / (1.0 - std::pow(sei, 7.0));
        const double d = th - thi;
        return -(ks * std::pow(sei, 11.0) + ks * std::pow(se0, 11.0) + ks * G * d / held) * d / held;
    };
    double th = start;
    const int seconds = static_cast<int>((second - 1 - dry) * dt);
    for (int t = 0; t < seconds; ++t) {
        const double k1 = rate(th), k2 = rate(th + 0.5 * k1), k3 = rate(th + 0.5 * k2), k4 = rate(th + k3);
        th += (k1 + 2.0 * k2 + 2.0 * k3 + k4) / 6.0;
    }
    const double end = rec[second - 1].th0;
    EXPECT_NEAR(end, th, 0.01 * (start - th)) << "start " << start << " integrated " << th;
    EXPECT_EQ(rec[second - 1].surface, end);
}

TEST_F(GarStep, AnEmptyProfileAfterANegativeDepthGoesBackToTheInitialContent)
{
    auto s = loam_cells(1);
    s->iter_i_less_k[1] = -1; // past the opening phase
    s->redist_theta_1[1] = 0.3;
    s->event_inf_depth[1] = 0.0005;
    s->redist_aux[1] = 0.0005;
    s->ov_depth[1] = -0.001;
    ASSERT_TRUE(gar_step(*s, dt, 5));
    EXPECT_EQ(s->event_inf_depth[1], 0.0);
    EXPECT_EQ(s->redist_aux[1], 0.0);
    EXPECT_EQ(s->ov_depth[1], 0.0);
    // The next dry step redistributes a profile that holds nothing.
    ASSERT_TRUE(gar_step(*s, dt, 6));
    EXPECT_EQ(s->redist_theta_1[1], thi);
    EXPECT_EQ(s->redist_theta_2[1], thi);
}

TEST_F(GarStep, SkippedExfiltratingAndHeldCells)
{
    // 1 frozen ground, 2 channel lake, 3 overland lake, 4 groundwater at the
    // surface, 5 head boundary, 6 ordinary.
    auto s = loam_cells(6);
    s->long_term = 1;
    s->cfgi.assign(6, 0.0);
    s->cfgi[1] = 84.0;
    s->chan_lakes = 1;
    s->lake_mask.assign(6, 0);
    s->lake_mask[2] = 1;
    s->overland_lake_on = 1;
    s->oland_lake_new.assign(6, 0);
    s->oland_lake_new[3] = 2;
    s->yes_exfil[4] = 1;
    s->ov_boundary = 1;
    s->boundary_type.assign(6, 0);
    s->boundary_type[5] = 3;
    s->ov_depth.assign(6, 0.002);
    s->redist_theta_1.assign(6, 0.2);
    ASSERT_TRUE(gar_step(*s, dt, 2));
    for (int i = 1; i <= 3; ++i) {
        EXPECT_EQ(s->ov_depth[i], 0.002) << i;
        EXPECT_EQ(s->event_inf_depth[i], 0.0) << i;
        EXPECT_EQ(s->redist_theta_1[i], 0.2) << i;
    }
    EXPECT_EQ(s->redist_theta_1[4], ths);
    EXPECT_EQ(s->ov_depth[4], 0.002);
    // The held cell keeps its depth; what it takes goes to the boundary.
    EXPECT_EQ(s->ov_depth[5], 0.002);
    EXPECT_GT(s->event_inf_depth[5], 0.0);
    EXPECT_NEAR(s->head_bc_in_total, s->event_inf_depth[5] * 100.0, 1e-12);
    EXPECT_NEAR(s->event_inf_depth[6] + s->ov_depth[6], 0.002, 1e-15);
}

TEST_F(GarStep, UnusableParametersStopTheRunNamingTheCell)
{
    struct bad {
        const char* name;
        void (*spoil)(model_state&);
    };
    const bad cases[] = {
        {"initial content above porosity", [](model_state& s) { s.dist_init_moisture[2] = 0.5; }},
        {"initial content below residual", [](model_state& s) { s.dist_init_moisture[2] = 0.01; }},
        {"zero pore-size index", [](model_state& s) { s.dist_pore_index[2] = 0.0; }},
        {"residual at porosity", [](model_state& s) { s.dist_resid_sat[2] = ths; }},
        {"conductivity not a number", [](model_state& s) { s.dist_ksat[2] = std::nan(""); }},
    };
    for (const bad& c : cases) {
        error_state_clear();
        auto s = loam_cells(3);
        c.spoil(*s);
        testing::internal::CaptureStdout();
        EXPECT_FALSE(gar_step(*s, dt, 1)) << c.name;
        const std::string out = testing::internal::GetCapturedStdout();
        EXPECT_EQ(error_state.code, err_stop) << c.name;
        EXPECT_NE(out.find("Green-Ampt infiltration with redistribution: cell 2 cannot infiltrate"), std::string::npos)
            << c.name << out;
    }
}

TEST_F(GarStep, OneAndFourThreadsGiveTheSameCells)
{
    // Above the single-thread size: varied soils and supplies, held cells,
    // eight steps through opening, ponding and redistribution.
    const int n = 4500;
    auto run = [&](int threads) {
        auto s = loam_cells(n);
        s->ov_boundary = 1;
        s->boundary_type.assign(n, 0);
        for (int i = 1; i <= n; ++i) {
            s->dist_ksat[i] = ks * (0.2 + (i % 17) / 10.0);
            s->dist_init_moisture[i] = 0.08 + 0.3 * (i % 11) / 11.0;
            if (i % 13 == 0)
                s->boundary_type[i] = 2;
        }
        const int saved = omp_get_max_threads();
        omp_set_num_threads(threads);
        for (int step = 1; step <= 8; ++step) {
            for (int i = 1; i <= n; ++i)
                s->ov_depth[i] += step < 4 ? (i % 5) * ks * dt : 0.0;
            EXPECT_TRUE(gar_step(*s, dt, step));
        }
        omp_set_num_threads(saved);
        return s;
    };
    auto one = run(1);
    auto four = run(4);
    for (int i = 1; i <= n; ++i) {
        ASSERT_EQ(one->ov_depth[i], four->ov_depth[i]) << i;
        ASSERT_EQ(one->event_inf_depth[i], four->event_inf_depth[i]) << i;
        ASSERT_EQ(one->redist_theta_1[i], four->redist_theta_1[i]) << i;
    }
    EXPECT_NEAR(one->head_bc_in_total, four->head_bc_in_total, 1e-12 * one->head_bc_in_total);
}

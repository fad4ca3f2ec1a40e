// Multi-layer Green-Ampt: the harmonic-mean conductivity at the layer
// boundaries against hand values, the front's advance by infiltrated depth
// over deficit (also across a boundary), dry, lake and held cells, the
// refusal of unusable soils, and the layered example end to end.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "core/error_state.h"
#include "core/model_state.h"
#include "core/run_simulation.h"
#include "subsurface/infiltration.h"
#include "support/test_support.h"

using namespace torva_test;

namespace
{

// Loam 10 cm over clay loam 20 cm over clay, as in examples/layered.
soil_layer_rec layered_soil()
{
    soil_layer_rec r;
    const double k[] = {2.0, 0.2, 0.1}, psi[] = {11.0, 21.0, 27.0}, por[] = {0.45, 0.46, 0.47};
    for (int j = 0; j < 3; ++j) {
        r.hyd_cond[j] = k[j];
        r.cap_head[j] = psi[j];
        r.porosity[j] = por[j];
    }
    r.depth[0] = 10.0;
    r.depth[1] = 20.0;
    return r;
}

const double theta0[] = {0.15, 0.30, 0.35}; // deficits 0.30, 0.16, 0.12

std::unique_ptr<model_state> layered_cells(int n, double depth)
{
    auto s = std::make_unique<model_state>();
    s->num_cells = n;
    s->gridsize = 10.0;
    s->inf_layered_soil = 1;
    s->soil_layers[1] = layered_soil();
    s->soiltype.assign(n, 1);
    s->THETA_ML.assign(n, 4, 0.0);
    for (int i = 1; i <= n; ++i)
        for (int k = 1; k <= 3; ++k)
            s->THETA_ML[i][k] = theta0[k - 1];
    s->ov_depth.assign(n, depth);
    for (dvec* v : {&s->event_inf_depth, &s->wetdep, &s->inf_rate})
        v->assign(n, 0.0);
    return s;
}

struct LayeredGreenAmpt : testing::Test {
    void SetUp() override { error_state_clear(); }
    void TearDown() override { error_state_clear(); }
};

} // namespace

TEST_F(LayeredGreenAmpt, HarmonicMeanConductivityAtTheLayerBoundaries)
{
    const soil_layer_rec soil = layered_soil();
    const double deficit[] = {0.30, 0.16, 0.12};
    struct hand {
        double front, f_cm; // front depth and the depth that fills it, cm
        int layer;
        double keff;
    };
    const hand cases[] = {
        {5.0, 1.5, 1, 2.0},
        {10.0, 3.0, 1, 2.0},                         // at D1: still layer 1
        {15.0, 3.8, 2, 15.0 / (5.0 / 0.2 + 10.0 / 2.0)},
        {30.0, 6.2, 2, 30.0 / (20.0 / 0.2 + 10.0 / 2.0)}, // at D1 + D2: still layer 2
        {40.0, 7.4, 3, 40.0 / (20.0 / 0.2 + 10.0 / 2.0 + 10.0 / 0.1)},
    };
    for (const hand& c : cases) {
        int layer = 0;
        EXPECT_NEAR(layered_keff(soil, deficit, c.f_cm, c.front, &layer), c.keff, 1e-12) << c.front;
        EXPECT_EQ(layer, c.layer) << c.front;
    }
    EXPECT_DOUBLE_EQ(layered_deficit(0.45, 0.15), 0.30);
    EXPECT_DOUBLE_EQ(layered_deficit(0.45, 0.45), 0.0045); // saturated: 1 % of porosity
}

TEST_F(LayeredGreenAmpt, FrontAdvancesByInfiltratedDepthOverDeficitAcrossTheBoundary)
{
    // 2 mm ponded on a front 0.5 cm above D1 with 2.85 cm in: all of it
    // soaks in, and the front moves by 0.2 cm / 0.30 into layer 2.
    auto s = layered_cells(1, 0.002);
    s->wetdep[1] = 9.5;
    s->event_inf_depth[1] = 0.0285;
    ASSERT_TRUE(layered_green_ampt_step(*s, 600.0));
    EXPECT_EQ(s->ov_depth[1], 0.0);
    EXPECT_NEAR(s->wetdep[1], 9.5 + 0.2 / 0.30, 1e-12);
    EXPECT_NEAR(s->event_inf_depth[1], 0.0305, 1e-15);
    EXPECT_NEAR(s->inf_rate[1], 0.2 / (600.0 / 3600.0), 1e-9);

    // Ponded deep: the front lies where the booked depth (capacity x step)
    // fills the layers, at every step.
    auto p = layered_cells(1, 0.5);
    double f_before = 0.0;
    for (int k = 0; k < 120; ++k) {
        f_before = p->event_inf_depth[1];
        ASSERT_TRUE(layered_green_ampt_step(*p, 60.0));
        const double f_cm = 100.0 * p->event_inf_depth[1];
        double expected = f_cm / 0.30;
        if (expected > 10.0)
            expected = (f_cm - 3.0) / 0.16 + 10.0;
        EXPECT_NEAR(p->wetdep[1], expected, 1e-9 * expected) << k;
        EXPECT_NEAR(p->ov_depth[1] + p->event_inf_depth[1], 0.5, 1e-12);
    }
    EXPECT_GT(f_before, 0.03); // the front passed into the clay loam
}

TEST_F(LayeredGreenAmpt, AFastThinTopLayerPassesItsFrontOnWithoutLosingWater)
{
    // A 2 cm sandy layer at 6 cm/h over loam, ponded 5 cm, steps of a
    // minute: the implicit solution runs ahead of the booked depth in the
    // first step; a front placed from it would leave a negative depth below
    // the first layer for the next step (no solution, or water created).
    auto s = layered_cells(1, 0.05);
    soil_layer_rec& soil = s->soil_layers[1];
    soil.depth[0] = 2.0;
    soil.hyd_cond[0] = 6.0;
    soil.cap_head[0] = 5.0;
    s->THETA_ML[1][1] = 0.16;
    double before = 0.0;
    for (int k = 0; k < 30; ++k) {
        ASSERT_TRUE(layered_green_ampt_step(*s, 60.0)) << k;
        EXPECT_GT(s->event_inf_depth[1], before) << k;
        EXPECT_GT(s->inf_rate[1], 0.0) << k;
        EXPECT_NEAR(s->ov_depth[1] + s->event_inf_depth[1], 0.05, 1e-12);
        before = s->event_inf_depth[1];
    }
    EXPECT_GT(s->wetdep[1], 2.0); // the front reached the loam
}

TEST_F(LayeredGreenAmpt, DryLakeAndHeldCells)
{
    auto s = layered_cells(3, 0.01);
    s->ov_depth[1] = 1e-17;
    s->chan_lakes = 1;
    s->lake_mask.assign(3, 0);
    s->lake_mask[2] = 4;
    s->ov_boundary = 1;
    s->boundary_type.assign(3, 0);
    s->boundary_type[3] = 2;
    s->inf_rate.assign(3, 9.0);
    ASSERT_TRUE(layered_green_ampt_step(*s, 60.0));
    EXPECT_EQ(s->ov_depth[1], 1e-17); // kept, not reset
    EXPECT_EQ(s->inf_rate[1], 0.0);
    EXPECT_EQ(s->ov_depth[2], 0.01);
    EXPECT_EQ(s->inf_rate[2], 0.0);
    EXPECT_EQ(s->ov_depth[3], 0.01);
    EXPECT_GT(s->event_inf_depth[3], 0.0);
    EXPECT_NEAR(s->head_bc_in_total, s->event_inf_depth[3] * 100.0, 1e-12);
}

TEST_F(LayeredGreenAmpt, UnusableSoilStopsTheRunNamingTheCell)
{
    auto s = layered_cells(2, 0.01);
    s->THETA_ML[2][2] = 0.5; // above the clay loam's porosity
    testing::internal::CaptureStdout();
    EXPECT_FALSE(layered_green_ampt_step(*s, 60.0));
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(error_state.code, err_stop);
    EXPECT_NE(out.find("Multi-layer Green-Ampt infiltration: cell 2 (soil type 1) cannot infiltrate"),
              std::string::npos)
        << out;
}

namespace
{

struct layered_sample {
    double minute, rate, front, f;
};
std::vector<layered_sample> layered_seen;
double layered_start = 0.0;

void watch_layered(const model_state& s)
{
    if (layered_seen.empty())
        layered_start = s.sim_start_jd;
    layered_seen.push_back(
        {(s.current_time - layered_start) * 1440.0, s.inf_rate[1], s.wetdep[1], s.event_inf_depth[1]});
}

double summary_value(const std::string& text, const std::string& label)
{
    const std::size_t at = text.find(label);
    return at == std::string::npos ? NAN : std::atof(text.c_str() + at + label.size());
}

} // namespace

TEST_F(LayeredGreenAmpt, ExampleRateDropsInTheClayLoamAndTheBalanceCloses)
{
    scratch_dir dir("layered_example");
    const std::string from = std::string(TORVA_EXAMPLES) + "/layered/";
    for (const char* f : {"layered.msk", "layered.ele", "layered_soil.map", "layered.tab"})
        write_file(dir.file(f), read_file(from + f));
    std::string prj = read_file(from + "layered.prj");
    write_file(dir.file("layered.prj"), prj.replace(prj.find('\n') + 1, 0, "PROJECT_PATH " + dir.path() + "\n"));

    reset_file_name_globals();
    layered_seen.clear();
    run_step_observer = watch_layered;
    testing::internal::CaptureStdout();
    const int rc = run_simulation(dir.file("layered.prj"), nullptr, "");
    const std::string out = testing::internal::GetCapturedStdout();
    run_step_observer = nullptr;
    reset_file_name_globals();
    ASSERT_EQ(rc, 0) << out.substr(0, 3000);

    // The rate just before the front reaches the clay loam and some time
    // after: far lower, towards the clay loam's 0.2 cm/h.
    double in_loam = NAN, in_clay_loam = NAN;
    for (const layered_sample& p : layered_seen) {
        if (p.front <= 10.0 && p.rate > 0.0)
            in_loam = p.rate;
        if (p.front > 12.0 && std::isnan(in_clay_loam))
            in_clay_loam = p.rate;
    }
    ASSERT_FALSE(std::isnan(in_loam));
    ASSERT_FALSE(std::isnan(in_clay_loam));
    EXPECT_GT(in_loam, 2.0);
    EXPECT_LT(in_clay_loam, in_loam);
    EXPECT_LT(layered_seen.back().rate, 0.4 * in_loam);
    // At the end the front lies where the infiltrated depth fills it.
    const layered_sample& end = layered_seen.back();
    EXPECT_NEAR(end.front, (100.0 * end.f - 3.0) / 0.16 + 10.0, 0.05);

    const std::string summary = read_file(dir.file("layered.sum"));
    const double rain = summary_value(summary, "volume of rainfall to overland:");
    EXPECT_DOUBLE_EQ(rain, 450.0);
    EXPECT_NEAR(rain,
                summary_value(summary, "volume of infiltrated water:") + summary_value(summary, "volume of discharge:") +
                    summary_value(summary, "volume remaining on surface:"),
                0.1)
        << summary;
    EXPECT_NEAR(summary_value(summary, "Mass input + original mass:"),
                summary_value(summary, "Mass output + final mass:"), 1e-6 * rain);
}

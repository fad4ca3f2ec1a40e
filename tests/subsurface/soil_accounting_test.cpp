// The accounting column step by step: drainage only in event runs, a column
// of no depth that exfiltrates, field capacity that stops drainage, the
// ET factors and the layer limits, the groundwater share under a shallow
// table; then the soil-ET step on cells: the pond evaporates before the
// soil, no ET while it rains, and the initial state of the column.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <string>

#include "core/error_state.h"
#include "core/model_state.h"
#include "subsurface/soil_accounting.h"
#include "subsurface/subsurface_steps.h"

namespace
{

// A loam-like column: 10 cm upper layer over 30 cm, the same soil in both.
column_soil loam(double k = 0.5, double lam = 0.5)
{
    column_soil p;
    p.split = 10.0;
    p.full = 40.0;
    p.up = {0.45, 0.05, 0.20, 0.10};
    p.low = p.up;
    p.k_up = p.k_low = k;
    p.e_up = p.e_low = 2.0 + 3.0 / lam;
    return p;
}

struct column_case {
    const char* name;
    column_soil soil;
    column_water before;
    double input, demand;
    bool deardorff, exfil;
    // expected
    double top, low, et, from_gw, bottom;
    bool updated, now_exfil;
};

// Drainage of the upper and lower layers at water content 0.3: Se = 0.625,
// exponent 2 + 3/0.5 = 8.
const double k03 = 0.5 * std::pow(0.625, 8.0);

} // namespace

TEST(SoilColumn, TableOfSteps)
{
    const column_case cases[] = {
        // An event run takes no ET: both layers drain by their conductivity.
        {"event run drains only",
         loam(),
         {40.0, 3.0, 9.0},
         0.0,
         0.0,
         false,
         false,
         3.0 - k03,
         9.0,
         0.0,
         0.0,
         k03,
         true,
         false},
        // The input enters the upper layer before it drains.
        {"input enters the top",
         loam(),
         {40.0, 3.0, 9.0},
         0.5,
         0.0,
         false,
         false,
         3.5 - k03,
         9.0,
         0.0,
         0.0,
         k03,
         true,
         false},
        // At field capacity neither layer drains.
        {"field capacity stops drainage",
         loam(),
         {40.0, 2.0, 6.0},
         0.0,
         0.0,
         false,
         false,
         2.0,
         6.0,
         0.0,
         0.0,
         0.0,
         true,
         false},
        // A saturated upper layer passes its input on; a saturated lower
        // layer passes on what it receives.
        {"saturated layers pass the input",
         loam(),
         {40.0, 4.5, 13.5},
         1.0,
         0.0,
         false,
         false,
         4.5,
         13.5,
         0.0,
         0.0,
         1.0,
         true,
         false},
        // No column: the cell exfiltrates and the input goes straight down;
        // the ET is drawn from the recharge.
        {"zero depth exfiltrates",
         loam(),
         {0.0, 0.0, 0.0},
         1.2,
         0.3,
         false,
         false,
         0.0,
         0.0,
         0.3,
         0.3,
         1.2,
         true,
         true},
        // An exfiltrating cell keeps its column; all ET comes from groundwater.
        {"exfiltrating cell",
         loam(),
         {40.0, 3.0, 9.0},
         0.7,
         0.2,
         false,
         true,
         3.0,
         9.0,
         0.2,
         0.2,
         0.0,
         false,
         false},
        // Both layers at field capacity: ET shares by thickness, 1/4 and 3/4.
        {"ET shares by layer",
         loam(0.0),
         {40.0, 2.0, 6.0},
         0.0,
         0.4,
         false,
         false,
         1.9,
         5.7,
         0.4,
         0.0,
         0.0,
         true,
         false},
        // Halfway between wilting point and field capacity: half the demand.
        {"ET ramps above the wilting point",
         loam(0.0),
         {40.0, 1.5, 4.5},
         0.0,
         0.4,
         false,
         false,
         1.45,
         4.35,
         0.2,
         0.0,
         0.0,
         true,
         false},
        // Under Deardorff the upper layer stops at its residual water (0.5
        // cm), the lower too (1.5 cm).
        {"ET stops at residual",
         loam(0.0),
         {40.0, 0.55, 1.52},
         0.0,
         40.0,
         true,
         false,
         0.5,
         1.5,
         0.07,
         0.0,
         0.0,
         true,
         false},
        // Deardorff: ET factor is water / field capacity, the lower layer
        // taking the upper layer's ratio.
        {"Deardorff factors",
         loam(0.0),
         {40.0, 1.0, 3.0},
         0.0,
         0.4,
         true,
         false,
         1.0 - 0.05,
         3.0 - 0.15,
         0.2,
         0.0,
         0.0,
         true,
         false},
        // A lower layer pushed above saturation spills into the drainage.
        {"lower layer spills over",
         loam(0.0),
         {40.0, 4.5, 13.4},
         0.5,
         0.0,
         false,
         false,
         4.5,
         13.5,
         0.0,
         0.0,
         0.4,
         true,
         false},
        // A water table 25 cm down supplies what the soil cannot give.
        {"shallow table supplies the rest",
         loam(),
         {25.0, 2.0, 3.0},
         0.0,
         0.4,
         false,
         false,
         1.9,
         2.85,
         0.4,
         0.15,
         0.0,
         true,
         false},
    };
    for (const column_case& c : cases) {
        SCOPED_TRACE(c.name);
        column_water w = c.before;
        const column_flux f = soil_column_step(c.soil, w, c.input, c.demand, c.deardorff, c.exfil);
        EXPECT_NEAR(w.top, c.top, 1e-12);
        EXPECT_NEAR(w.low, c.low, 1e-12);
        EXPECT_NEAR(f.et, c.et, 1e-12);
        EXPECT_NEAR(f.from_gw, c.from_gw, 1e-12);
        EXPECT_NEAR(f.bottom, c.bottom, 1e-12);
        EXPECT_EQ(f.updated, c.updated);
        EXPECT_EQ(f.now_exfil, c.now_exfil);
        // The column keeps its water: storage change = input - soil ET - bottom.
        if (f.updated && c.before.depth > 0.0) {
            EXPECT_NEAR(w.top + w.low - c.before.top - c.before.low, c.input - (f.et - f.from_gw) - f.bottom,
                        1e-12);
        }
    }
}

TEST(SoilColumn, LayeredDrainageIsLimitedByTheLowerLayer)
{
    // Multi-layer form: the upper drainage is the geometric mean of the
    // first two layers' forms and at most the lower layer's.
    column_soil p = loam();
    p.k_up = 2.0;
    p.k_up2 = 0.5;
    p.e_up2 = p.e_up;
    p.k_low = 0.5;
    p.limit_upper = true;
    column_water w{40.0, 3.0, 9.0};
    const column_flux f = soil_column_step(p, w, 0.0, 0.0, false, false);
    const double se8 = std::pow(0.625, 8.0);
    const double upper = std::sqrt(2.0 * se8 * 0.5 * se8);
    EXPECT_GT(upper, 0.5 * se8);
    EXPECT_NEAR(f.top_drain, 0.5 * se8, 1e-15);
    EXPECT_NEAR(w.top, 3.0 - 0.5 * se8, 1e-12);
}

namespace
{

// Four cells of a long-term run with the redistribution scheme's column.
std::unique_ptr<model_state> accounting_cells(int n)
{
    auto s = std::make_unique<model_state>();
    s->num_cells = n;
    s->gridsize = 10.0;
    s->inf_redist = 1;
    s->soil_water_acct = 1;
    s->long_term = 1;
    s->soil_moist_depth = 40.0;
    s->top_layer_depth = 10.0;
    s->dist_ksat.assign(n, 0.0);
    s->dist_pore_index.assign(n, 0.5);
    s->dist_porosity.assign(n, 0.45);
    s->dist_resid_sat.assign(n, 0.05);
    s->dist_inf_col6.assign(n, 0.20);
    s->dist_wilting_point.assign(n, 0.10);
    s->dist_init_moisture.assign(n, 0.20);
    for (dvec* v : {&s->soil_depth,         &s->soil_water,      &s->soil_water_top,
                    &s->soil_water_low,     &s->et_removed,      &s->soil_bottom_drain_acc,
                    &s->soil_top_drain_acc, &s->soil_acct_input, &s->soil_et_array,
                    &s->unsat_down_flux,    &s->ov_depth,        &s->direct_evap,
                    &s->rain_rate,          &s->soil_moisture,   &s->inf_rate,
                    &s->event_inf_depth,    &s->inf_depth_mark,  &s->inf_depth,
                    &s->redist_aux,         &s->redist_theta_1,  &s->redist_theta_2})
        v->assign(n, 0.0);
    for (ivec* v : {&s->yes_exfil, &s->iter_pond_1, &s->iter_n, &s->no_wat_prof, &s->iter_i_less_k})
        v->assign(n, 0);
    s->pet_rate.assign(n, 0.1 / 3600.0); // 1 mm/h of evaporation
    s->et_rate.assign(n, 0.1 / 3600.0);
    s->current_time = 1.0;
    s->et_last = 1.0 - 1.0 / 24.0;
    s->et_next = 1.0;
    s->et_dt_days = 1.0 / 24.0;
    s->time_tol = 1.1574074074074074e-7;
    return s;
}

} // namespace

TEST(SoilEtStep, PondEvaporatesBeforeTheSoilAndRainStopsEt)
{
    error_state_clear();
    auto s = accounting_cells(4);
    init_soil_state(*s);
    ASSERT_FALSE(error_state.raised);
    // Initial column: 0.2 x 10 cm on top, 0.2 x 30 cm below; volumes in m3.
    EXPECT_DOUBLE_EQ(s->soil_water_top[1], 2.0);
    EXPECT_DOUBLE_EQ(s->soil_water_low[1], 6.0);
    EXPECT_DOUBLE_EQ(s->soil_initial_volume, 4 * 0.08 * 100.0);
    EXPECT_DOUBLE_EQ(s->soil_initial_volume_run, s->soil_initial_volume);

    s->ov_depth[1] = 0.002;  // 2 mm pond: more than the hour's 1 mm
    s->ov_depth[2] = 0.0004; // 0.4 mm: gone after 24 minutes
    s->rain_rate[3] = 5.0;   // raining: no ET
    soil_et_step(*s);
    ASSERT_FALSE(error_state.raised);

    EXPECT_NEAR(s->ov_depth[1], 0.001, 1e-15);
    EXPECT_DOUBLE_EQ(s->soil_water_top[1], 2.0); // soil untouched
    EXPECT_NEAR(s->direct_evap[1], 0.1, 1e-12);

    EXPECT_EQ(s->ov_depth[2], 0.0);
    EXPECT_NEAR(s->direct_evap[2], 0.04, 1e-12);
    // The soil gives the rest of the hour (0.06 cm), a quarter from the top.
    EXPECT_NEAR(s->soil_water_top[2] + s->soil_water_low[2], 8.0 - 0.06, 1e-12);
    EXPECT_NEAR(s->soil_water_top[2], 2.0 - 0.015, 1e-12);

    EXPECT_DOUBLE_EQ(s->soil_water[3], 8.0);
    EXPECT_NEAR(s->soil_water[4], 8.0 - 0.1, 1e-12);

    // evap_total: 0.1 + 0.04 + 0.06 + 0 + 0.1 cm over 100 m2 cells.
    EXPECT_NEAR(s->evap_total, 0.3 / 100.0 * 100.0, 1e-12);
    EXPECT_NEAR(s->et_next, 1.0 + 1.0 / 24.0, 1e-12);
    EXPECT_NEAR(s->soil_moisture[4], (2.0 - 0.025) / 10.0, 1e-12);
}

// Penman rates, evaporation 2 mm/h from open water and evapotranspiration
// 0.5 mm/h, on a column at 0.15 (between wilting point 0.10 and field
// capacity 0.20, so both ET factors are 0.5 and nothing drains). Cell 1's
// 0.6 mm pond is gone after 0.06 / 0.2 h = 1080 s; the soil gives the rest
// of the hour at the ET rate: (3600 - 1080) s x 0.05 / 3600 cm/s = 0.035 cm,
// of which 0.035 x 0.5 x 10/40 = 0.004375 cm from the top layer and
// 0.035 x 0.5 x 30/40 = 0.013125 cm from below. Cell 2, without a pond,
// gives 0.05 cm in the same shares.
TEST(SoilEtStep, SoilGivesTheRestOfTheStepAtTheEtRateAfterThePondDries)
{
    error_state_clear();
    auto s = accounting_cells(2);
    s->dist_init_moisture.assign(2, 0.15);
    init_soil_state(*s);
    ASSERT_FALSE(error_state.raised);
    s->pet_rate.assign(2, 0.2 / 3600.0);
    s->et_rate.assign(2, 0.05 / 3600.0);
    s->ov_depth[1] = 0.0006;
    soil_et_step(*s);
    ASSERT_FALSE(error_state.raised);
    EXPECT_EQ(s->ov_depth[1], 0.0);
    EXPECT_NEAR(s->direct_evap[1], 0.06, 1e-15);
    EXPECT_NEAR(s->soil_water_top[1], 1.5 - 0.004375, 1e-14);
    EXPECT_NEAR(s->soil_water_low[1], 4.5 - 0.013125, 1e-14);
    EXPECT_NEAR(s->soil_water[1], 6.0 - 0.0175, 1e-14);
    EXPECT_NEAR(s->soil_water_top[2], 1.5 - 0.00625, 1e-14);
    EXPECT_NEAR(s->soil_water_low[2], 4.5 - 0.01875, 1e-14);
    // Pond and soil of cell 1 and the soil of cell 2, cm over 100 m2.
    EXPECT_NEAR(s->evap_total, (0.06 + 0.0175 + 0.025) / 100.0 * 100.0, 1e-14);
    EXPECT_EQ(s->soil_top_drain_acc[1], 0.0);
}

TEST(SoilEtStep, EventRunOnlyDrainsAndBooksTheRecharge)
{
    error_state_clear();
    auto s = accounting_cells(1);
    s->long_term = 0;
    s->dist_ksat.assign(1, 1.0 / 360000.0); // 1 cm/h
    s->dist_init_moisture.assign(1, 0.30);
    init_soil_state(*s);
    s->et_removed[1] = 0.005; // 0.5 cm infiltrated since the last call
    // Soil constituent transport reads the drainage since its own last step.
    s->soil_con_trans = 1;
    s->soil_flux_top.assign(1, 0.0);
    s->soil_flux_bottom.assign(1, 0.25);
    soil_et_step(*s);
    ASSERT_FALSE(error_state.raised);
    EXPECT_EQ(s->evap_total, 0.0);
    const double k = 1.0 * std::pow(0.625, 8.0); // one hour at Se 0.625
    EXPECT_NEAR(s->soil_water_top[1], 3.5 - k, 1e-12);
    EXPECT_NEAR(s->soil_water_low[1], 9.0, 1e-12);
    EXPECT_NEAR(s->unsat_down_flux[1], k, 1e-12);
    EXPECT_NEAR(s->soil_bottom_drain_acc[1], k, 1e-12);
    EXPECT_NEAR(s->soil_top_drain_acc[1], k, 1e-12);
    EXPECT_NEAR(s->soil_acct_input[1], 0.005, 1e-15);
    EXPECT_EQ(s->et_removed[1], 0.0);
    EXPECT_NEAR(s->soil_flux_top[1], k, 1e-12);
    EXPECT_NEAR(s->soil_flux_bottom[1], 0.25 + k, 1e-12);
}

TEST(InitSoilState, WaterTableShortensOrSaturatesTheColumn)
{
    error_state_clear();
    auto s = accounting_cells(4);
    s->water_table = 1;
    s->exfil_cell_depth.assign(4, 0.0);
    s->ground_elev.assign(4, 100.0);
    s->elevgw.assign(4, 0.0);
    s->elevgw[1] = 99.75; // table 25 cm down: column 25 cm
    s->elevgw[2] = 100.0; // at the ground: saturated, exfiltrating
    s->elevgw[3] = 101.0; // above the ground, under a channel lake: saturated only
    s->elevgw[4] = 90.0;  // deep: the column keeps its 40 cm
    s->chan_lakes = 1;
    s->lake_mask.assign(4, 0);
    s->lake_mask[3] = 1;
    init_soil_state(*s);
    ASSERT_FALSE(error_state.raised);
    EXPECT_DOUBLE_EQ(s->soil_depth[1], 25.0);
    EXPECT_DOUBLE_EQ(s->soil_water_low[1], 0.2 * 15.0);
    EXPECT_EQ(s->soil_depth[2], 0.0);
    EXPECT_EQ(s->yes_exfil[2], 1);
    EXPECT_DOUBLE_EQ(s->redist_theta_1[2], 0.45);
    EXPECT_EQ(s->yes_exfil[3], 0);
    EXPECT_DOUBLE_EQ(s->dist_init_moisture[3], 0.45);
    EXPECT_DOUBLE_EQ(s->soil_depth[4], 40.0);
    EXPECT_EQ(s->gw_exfil_any, 1);
}

TEST(InitSoilState, LayeredColumnUsesTheLowerLayerBelowTheFirst)
{
    error_state_clear();
    auto s = accounting_cells(1);
    s->inf_redist = 0;
    s->inf_layered_soil = 1;
    s->soiltype.assign(1, 3);
    soil_layer_rec& r = s->soil_layers[3];
    r.depth[0] = 10.0;
    r.depth[1] = 30.0;
    r.porosity[0] = r.porosity[1] = r.porosity[2] = 0.45;
    dmatrix_alloc_zero(1, 3, s->THETA_ML, "THETA_ML");
    s->THETA_ML[1][1] = 0.2;
    s->THETA_ML[1][2] = 0.3;
    s->water_table = 1;
    s->exfil_cell_depth.assign(1, 0.0);
    s->ground_elev.assign(1, 100.0);
    s->elevgw.assign(1, 99.75); // 25 cm: 15 cm of the lower layer
    init_soil_state(*s);
    ASSERT_FALSE(error_state.raised);
    EXPECT_DOUBLE_EQ(s->soil_water_top[1], 2.0);
    EXPECT_DOUBLE_EQ(s->soil_water_low[1], 0.3 * 15.0);
}

TEST(InitSoilState, TopLayerDefaultsAndOverlandLakeBelowTheGround)
{
    error_state_clear();
    auto s = accounting_cells(2);
    s->top_layer_depth = 0.0;
    init_soil_state(*s);
    EXPECT_DOUBLE_EQ(s->top_layer_depth, 40.0);
    EXPECT_DOUBLE_EQ(s->mixing_layer_depth, 40.0);
    EXPECT_DOUBLE_EQ(s->soil_water_top[1], 8.0);
    EXPECT_EQ(s->soil_water_low[1], 0.0);

    // A lake level equal to the ground passes; below it stops the run.
    s = accounting_cells(2);
    s->overland_lake_on = 1;
    s->oland_lake_mask.assign(2, 1);
    s->oland_lakes.assign(2, ov_lake{});
    s->oland_lakes[1].stage = 100.0;
    s->ground_elev.assign(2, 100.0);
    init_soil_state(*s);
    EXPECT_FALSE(error_state.raised);
    s->ground_elev[2] = 100.5;
    testing::internal::CaptureStdout();
    init_soil_state(*s);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(error_state.code, 4000);
    EXPECT_EQ(out, "\nWARNING: initial water surface elevation in lake 1 is 100.000000 which is\n"
                   "less than the land surface elevation in grid cell 2, 100.500000.\n"
                   "You should either raise your initial lake elevation or lower that grid\n"
                   "cell elevation.  Program stopped.\n");
    error_state_clear();
}

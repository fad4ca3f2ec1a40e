// Soil-column constituent transport on a state loaded through the input
// hub: leaching against the exponential washout of a mixed layer, sorption
// retarding it, first-order decay, a dry layer, an exfiltrating cell and
// the soil balance of the booked totals.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>

#include "core/model_state.h"
#include "core/parallel.h"
#include "core/platform.h"
#include "core/run_steps.h"
#include "input/input_fixture.h"
#include "quality/quality_steps.h"
#include "quality/soil_contam.h"

using namespace torva_test;

namespace
{

constexpr double area = 100.0; // m2
constexpr double thick = 0.1;  // m, the one constituent layer
constexpr double porosity = 0.4;
constexpr double step_s = 600.0; // soil step, s
constexpr double step_d = step_s / 86400.0;

struct SoilContam : InputProject {
    void SetUp() override
    {
        InputProject::SetUp();
        option_checks = false; // soil transport stays refused until merged
        grid("one.idx", "0 1 1 0\n1 1 1 1\n1 1 1 0\n");
        grid("k.map", "0 3.6 3.6 0\n3.6 3.6 3.6 3.6\n3.6 3.6 3.6 0\n");
        grid("por.map", "0 0.4 0.4 0\n0.4 0.4 0.4 0.4\n0.4 0.4 0.4 0\n");
        grid("m0.map", "0 0.2 0.2 0\n0.2 0.2 0.2 0.2\n0.2 0.2 0.2 0\n");
        // Columns: 1, decay (per day), uptake, soil concentration (mg/kg),
        // water-table concentration (mg/L), surface concentration, 7, 8.
        const std::string row = "NUM_IDS 1\nID\n";
        file("t.cmt", "TORVA_INDEX_MAP_TABLES\nINDEX_MAP one.idx \"One\"\n"
                      "CONTAMINANT_TRANSPORT\nNUM_CONTAM 3\n"
                      "\"Tracer\" \"One\" \"tr\"\nPRECIP_CONC 0\nPARTITION 0\n" +
                          row + mapping_row(1, "1 0 0 10 3 0 0 0") +
                          "\"Sorbed\" \"One\" \"so\"\nPRECIP_CONC 0\nPARTITION 1\n" + row +
                          mapping_row(1, "1 0 0 10 0 0 0 0") +
                          "\"Decaying\" \"One\" \"de\"\nPRECIP_CONC 0\nPARTITION 0\n" + row +
                          mapping_row(1, "1 8.64 0 10 0 0 0 0"));
    }
    bool load_soil(const std::string& extra = "")
    {
        const bool ok =
            load(cards_with("OV_CON_TRANS\nSOIL_CON_TRANS\nMIXING_LAYER_DEPTH 0.1\nMAPPING_TABLE t.cmt\n"
                            "GREEN_AMPT\nCONDUCTIVITY k.map\nCAPILLARY k.map\nPOROSITY por.map\n"
                            "MOISTURE m0.map\n" +
                            extra));
        if (!ok)
            return false;
        testing::internal::CaptureStdout();
        init_soil_constituents(*s);
        init_sim_clock(*s);
        event_start_step(*s);
        out += testing::internal::GetCapturedStdout();
        for (int j = 1; j <= s->num_cells; ++j)
            s->soil_moisture[j] = 0.3;
        s->soil_con_last = s->current_time;
        s->soil_con_next = s->current_time + step_d;
        return true;
    }
    // One soil step of step_s seconds.
    void step()
    {
        s->current_time = s->soil_con_next;
        // The soil-water clock the step follows has moved on already, as in
        // the time loop (infiltration's here: plain Green-Ampt).
        s->et_next = s->inf_next = s->current_time + step_d;
        soil_contam_step(*s);
    }
    double mass(int i, int j) const { return s->soil_mass.table[i][j][1]; }
    double total(int i) const
    {
        double m = 0.0;
        for (int j = 1; j <= s->num_cells; ++j)
            m += mass(i, j);
        return m / 1000.0;
    }
};

} // namespace

TEST_F(SoilContam, SteadyPercolationWashesTheLayerOutExponentially)
{
    ASSERT_TRUE(load_soil()) << out;
    ASSERT_EQ(s->soil_con_layers, 1);
    // 10 mg/kg x 2650 kg/m3 x 0.6 x 0.1 m x 100 m2 = 159 g per cell.
    const double m0 = 159.0;
    ASSERT_NEAR(mass(1, 4), m0, 1e-9);
    const double q = 2e-7; // m/s of percolation
    const int steps = 250; // q t / (theta d) = 1, 0.004 per step
    for (int n = 0; n < steps; ++n) {
        for (int j = 1; j <= s->num_cells; ++j)
            s->soil_flux_bottom[j] = 100.0 * q * step_s; // cm
        step();
    }
    const double t = steps * step_s;
    const double washed = m0 * std::exp(-q * t / (0.3 * thick));
    EXPECT_NEAR(mass(1, 4), washed, 0.01 * washed);
    // The sorbed constituent moves with its dissolved fraction only.
    const double f = 0.3 / ((1.0 - porosity) * 1.0 * 2.65 + 0.3);
    const double retarded = m0 * std::exp(-f * q * t / (0.3 * thick));
    EXPECT_NEAR(mass(2, 4), retarded, 0.01 * retarded);
    EXPECT_DOUBLE_EQ(s->soil_sed_con.table[2][4][1], f);
    // What left the column bottom is booked; the rest stays in the layer.
    for (int i = 1; i <= 2; ++i) {
        EXPECT_NEAR(s->event_soil_gw_out_mass[i] + total(i), 9 * m0 / 1000.0, 1e-9);
        EXPECT_DOUBLE_EQ(s->GLOBAL_MASS_OUT[i], s->event_soil_gw_out_mass[i]);
    }
    EXPECT_NEAR(s->land_mass[1][4], mass(1, 4), 1e-12);
    EXPECT_EQ(s->soil_flux_bottom[4], 0.0) << "the percolation is consumed by the step";
}

TEST_F(SoilContam, DecayAndADryLayer)
{
    ASSERT_TRUE(load_soil()) << out;
    s->soil_moisture[4] = 0.0; // a dry layer passes nothing
    for (int n = 0; n < 10; ++n) {
        for (int j = 1; j <= s->num_cells; ++j)
            s->soil_flux_bottom[j] = 0.2;
        step();
    }
    EXPECT_DOUBLE_EQ(mass(1, 4), 159.0);
    EXPECT_LT(mass(1, 5), 159.0);
    // 8.64 per day is 1e-4 per second: (1 - 0.06) per step of 600 s, on
    // the dry cell too (decay needs no moving water); the step lengths come
    // from Julian-day clocks, exact to about 1e-8.
    EXPECT_NEAR(mass(3, 4), 159.0 * std::pow(1.0 - 1e-4 * step_s, 10), 1e-5);
    EXPECT_NEAR(s->soil_conc.table[3][4][1], 10.0 * std::pow(0.94, 10), 1e-6);
    EXPECT_NEAR(s->event_soil_decay_mass[3] + s->event_soil_gw_out_mass[3] + total(3), 9 * 0.159, 1e-9);
    EXPECT_DOUBLE_EQ(s->GLOBAL_MASS_DECAY[3], s->event_soil_decay_mass[3]);
    EXPECT_EQ(s->event_soil_decay_mass[1], 0.0);
}

TEST_F(SoilContam, StaticConcentrationKeepsTheMassAndBooksNoDecay)
{
    ASSERT_TRUE(load_soil("SOIL_STATIC_CONC\n")) << out;
    ASSERT_EQ(s->soil_static_conc, 1);
    s->soil_con_inflow[3][4] = 50.0;
    s->soil_flux_bottom[4] = 0.2;
    step();
    EXPECT_DOUBLE_EQ(mass(3, 4), 159.0);
    EXPECT_EQ(s->event_soil_decay_mass[3], 0.0);
}

TEST_F(SoilContam, AnExfiltratingCellHandsItsTopOutflowToTheSurface)
{
    ASSERT_TRUE(load_soil()) << out;
    s->water_table = 1;
    s->yes_exfil[4] = 1;
    const double e = 0.003; // m of water rising through the column
    s->soil_con_exfil[4] = e * area;
    s->soil_flux_bottom[4] = 5.0; // not used while the cell exfiltrates
    step();
    // Tracer: layer water 0.3 x 0.1 m holds 159 g over 100 m2 = 53 g/m3;
    // 0.3 m3 leave the top and 0.3 m3 of 3 g/m3 enter from the water table.
    const double up = 53.0 * e * area, in = 3.0 * e * area;
    EXPECT_NEAR(s->soil_con_work[1][4], up, 1e-9);
    EXPECT_NEAR(mass(1, 4), 159.0 - up + in, 1e-9);
    EXPECT_NEAR(s->event_soil_gw_in_mass[1], in / 1000.0, 1e-12);
    EXPECT_NEAR(s->GLOBAL_GW_MASS[1], in / 1000.0, 1e-12);
    EXPECT_NEAR(s->soil_exfil_mass[1], up / 1000.0, 1e-12);
    EXPECT_EQ(s->event_soil_gw_out_mass[1], 0.0);
    EXPECT_EQ(s->soil_con_exfil[4], 0.0);
    EXPECT_DOUBLE_EQ(mass(1, 5), 159.0) << "a cell that does not exfiltrate keeps its mass";
}

TEST_F(SoilContam, TheSoilBalanceClosesWithEveryHandOver)
{
    ASSERT_TRUE(load_soil()) << out;
    s->water_table = 1;
    s->yes_exfil[2] = 1;
    for (int n = 0; n < 20; ++n) {
        for (int j = 1; j <= s->num_cells; ++j) {
            s->soil_flux_bottom[j] = j == 6 ? 30.0 : 0.05; // cell 6 is flushed below zero
            for (int i = 1; i <= 3; ++i) {
                s->soil_con_inflow[i][j] = 2.0;
                s->ov_soil_exch_mass[i][j] = j % 2 ? 1.0 : -0.5;
            }
        }
        s->soil_con_exfil[2] = 0.1;
        step();
    }
    for (int i = 1; i <= 3; ++i) {
        const double in = s->event_soil_mass_init[i] + s->event_soil_infil_mass[i] +
                          s->event_soil_gw_in_mass[i] + s->event_ov_to_soil_mass[i] +
                          s->event_soil_neg_mass[i];
        const double out_ = s->event_soil_decay_mass[i] + s->event_soil_gw_out_mass[i] +
                            s->event_soil_to_ov_mass[i] + s->event_soil_exfil_mass[i];
        EXPECT_NEAR(in - out_, total(i), 1e-9 * in) << "constituent " << i;
        EXPECT_GE(mass(i, 6), 0.0);
    }
    EXPECT_GT(s->event_soil_neg_mass[1], 0.0) << "the flushed cell's clip is booked";
    EXPECT_NEAR(s->event_soil_infil_mass[1], 20 * 9 * 2.0 / 1000.0, 1e-12);
}

TEST_F(SoilContam, AWetLayerOrABadMassStopsTheRunNamingTheCell)
{
    ASSERT_TRUE(load_soil()) << out;
    s->soil_moisture[5] = 1.25;
    testing::internal::CaptureStdout();
    step();
    std::string text = testing::internal::GetCapturedStdout();
    EXPECT_NE(text.find("Soil constituent layer 1 of cell 5 holds a water content of 1.25, above 1"),
              std::string::npos)
        << text;
    EXPECT_TRUE(error_state.raised);

    error_state_clear();
    s->soil_moisture[5] = 0.3;
    s->soil_mass.table[2][7][1] = std::nan("");
    testing::internal::CaptureStdout();
    step();
    text = testing::internal::GetCapturedStdout();
    EXPECT_NE(text.find("Soil mass of constituent 2 (Sorbed) is not a number in layer 1 of cell 7"),
              std::string::npos)
        << text;
    EXPECT_TRUE(error_state.raised);
}

namespace
{

// One cell whose layers are read by both layered schemes: a 20 cm top
// layer above 30 cm, mixing depth 5 cm, 6 cm of water in the top layer and
// 6 cm below it, porosity 0.45 (both soil layers of the multi-layer type).
struct LayerColumn {
    std::unique_ptr<model_state> s = std::make_unique<model_state>();
    LayerColumn(bool layered)
    {
        model_state& m = *s;
        m.num_cells = 1;
        m.gridsize = 10.0;
        for (dvec* v : {&m.soil_water_top, &m.soil_water_low, &m.dist_porosity, &m.elevgw, &m.ground_elev})
            dvector_alloc_zero(*v, 1, "column");
        ivector_alloc_zero(m.soiltype, 1, "soiltype");
        m.soil_water_top[1] = 6.0;
        m.soil_water_low[1] = 6.0;
        m.dist_porosity[1] = 0.45;
        m.ground_elev[1] = 100.0;
        m.mixing_layer_depth = 5.0;
        m.top_layer_depth = 20.0;
        m.soil_moist_depth = 50.0;
        m.soil_con_layers = 3;
        if (layered) {
            m.inf_layered_soil = 1;
            soil_layer_rec& rec = m.soil_layers[0];
            rec.depth[0] = 20.0;
            rec.depth[1] = 30.0;
            rec.porosity[0] = rec.porosity[1] = 0.45;
        } else {
            m.inf_redist = 1;
            checked_array_grow(m.soil_con_layer_depth, 3);
            m.soil_con_layer_depth[1] = 0.05;
            m.soil_con_layer_depth[2] = 0.15;
            m.soil_con_layer_depth[3] = 0.30;
        }
    }
    // Water contents of the three layers with the table at `depth` below
    // the ground (m), or without a water table when depth is negative.
    soil_cell_column contents(double depth)
    {
        s->water_table = depth >= 0.0;
        s->elevgw[1] = s->ground_elev[1] - depth;
        const soil_cell_layers g = soil_cell_geometry(*s, 1);
        soil_cell_column c;
        double thetas[soil_max_layers + 1] = {};
        if (s->inf_layered_soil)
            layered_layer_theta(*s, 1, g, c.theta, thetas);
        else
            for (int k = 1; k <= g.count; ++k)
                c.theta[k] = redist_layer_theta(*s, 1, k, g.count);
        for (int k = 1; k <= g.count; ++k)
            c.mass[k] = g.thick[k]; // the thickness beside the content
        return c;
    }
};

} // namespace

TEST(SoilLayerTheta, LayersHoldTheColumnWaterAndSaturateUnderTheTable)
{
    for (bool layered : {false, true}) {
        LayerColumn col(layered);
        ASSERT_EQ(soil_cell_geometry(*col.s, 1).count, 3);
        const soil_cell_column dry_table = col.contents(-1.0);
        double water = 0.0;
        for (int k = 1; k <= 3; ++k)
            water += dry_table.theta[k] * dry_table.mass[k];
        EXPECT_NEAR(water, 0.12, 1e-12) << "the 12 cm of the column, layered " << layered;
        EXPECT_NEAR(dry_table.theta[1], 0.3, 1e-12);
        EXPECT_NEAR(dry_table.theta[3], 0.2, 1e-12);
        // A table below the column changes nothing; one at the ground
        // saturates every layer.
        const soil_cell_column deep = col.contents(0.6);
        const soil_cell_column flooded = col.contents(0.0);
        for (int k = 1; k <= 3; ++k) {
            EXPECT_NEAR(deep.theta[k], dry_table.theta[k], 1e-12) << k << " layered " << layered;
            EXPECT_DOUBLE_EQ(flooded.theta[k], 0.45) << k << " layered " << layered;
        }
        // A table inside the lowest layer saturates it from below.
        const soil_cell_column shallow = col.contents(0.1);
        EXPECT_DOUBLE_EQ(shallow.theta[3], 0.45) << "layered " << layered;
        EXPECT_GT(shallow.theta[2], dry_table.theta[2]) << "layered " << layered;
    }
}

TEST(SoilLayerTheta, ATableInsideTheTopLayerLeavesItsWaterAboveTheTable)
{
    // The accounting column ends at a table 10 cm down, inside the top
    // layer (5 to 20 cm): its top water lies in those 10 cm. Both schemes
    // give the same contents, saturated at most.
    struct column_case {
        double top_water; // cm above the table
        double theta[4];
    };
    const column_case cases[] = {
        {3.0, {0.0, 0.3, 0.4, 0.45}},   // 0.3 above the table, 0.45 below it
        {4.5, {0.0, 0.45, 0.45, 0.45}}, // saturated above the table too
    };
    for (const column_case& c : cases)
        for (bool layered : {false, true}) {
            SCOPED_TRACE(std::to_string(c.top_water) + (layered ? " layered" : " redistribution"));
            LayerColumn col(layered);
            col.s->soil_water_top[1] = c.top_water;
            col.s->soil_water_low[1] = 0.0;
            const soil_cell_column got = col.contents(0.1);
            for (int k = 1; k <= 3; ++k)
                EXPECT_NEAR(got.theta[k], c.theta[k], 1e-12) << "layer " << k;
        }
}

TEST_F(SoilContam, SedimentTakingMoreThanTheTopLayerHoldsIsBookedAsAClip)
{
    ASSERT_TRUE(load_soil()) << out;
    s->sediment_contam = 1;
    row_array_add_rows(s->sed_con_work, 3, s->num_cells);
    for (checked_array<double>* a : {&s->soil_sed_mass, &s->event_soil_sed_mass})
        checked_array_grow(*a, 3);
    s->sed_con_work[1][4] = -500.0; // g taken by eroded sediment from 159 g
    step();
    EXPECT_EQ(mass(1, 4), 0.0);
    EXPECT_NEAR(s->event_soil_neg_mass[1], 0.341, 1e-12);
    EXPECT_NEAR(s->event_soil_sed_mass[1], -0.5, 1e-12);
    EXPECT_EQ(s->sed_con_work[1][4], 0.0) << "the hand-over is cleared once booked";
}

namespace
{

// A grid large enough for the parallel loops: two contaminants in three
// layers under redistribution, percolation varying from cell to cell.
std::unique_ptr<model_state> parallel_grid()
{
    const int n = parallel_min_cells + 500, c = 2;
    auto s = std::make_unique<model_state>();
    s->num_cells = n;
    s->gridsize = 10.0;
    s->soil_con_trans = s->inf_redist = 1;
    s->soil_moist_depth = 50.0;
    s->top_layer_depth = 20.0;
    s->mixing_layer_depth = 5.0;
    s->soil_con_layers = 3;
    s->time_tol = 1.1574074074074074e-7;
    s->num_constituents = c;
    checked_int_array_grow_fill(s->constituent_type, c, 1);
    for (checked_array<double>* a :
         {&s->soil_exfil_mass,       &s->event_soil_exfil_mass,  &s->event_soil_infil_mass,
          &s->soil_infil_mass,       &s->event_soil_to_ov_mass,  &s->event_ov_to_soil_mass,
          &s->qbn_uptake_mass,       &s->event_soil_neg_mass,    &s->soil_gw_out_step,
          &s->soil_gw_in_step,       &s->soil_decay_step,        &s->soil_gw_out_mass,
          &s->GLOBAL_MASS_OUT,       &s->event_soil_gw_out_mass, &s->soil_gw_in_mass,
          &s->event_soil_gw_in_mass, &s->GLOBAL_GW_MASS,         &s->soil_decay_mass,
          &s->event_soil_decay_mass, &s->GLOBAL_MASS_DECAY,      &s->soil_neg_mass_run})
        checked_array_grow(*a, c);
    checked_array_grow(s->soil_con_layer_depth, 3);
    s->soil_con_layer_depth[1] = 0.05;
    s->soil_con_layer_depth[2] = 0.15;
    s->soil_con_layer_depth[3] = 0.30;
    for (matrix_stack* m : {&s->soil_mass, &s->soil_conc, &s->soil_sed_con})
        matrix_stack_add(*m, c, 0.0, n, 3);
    for (row_array<double>* r :
         {&s->soil_kd, &s->soil_decay, &s->soil_con_inflow, &s->ov_soil_exch_mass, &s->soil_exfil_cell_mass,
          &s->soil_con_work, &s->land_mass, &s->soil_group_rows})
        row_array_add_rows(*r, c, n);
    for (dvec* v : {&s->soil_water_top, &s->soil_water_low, &s->dist_porosity, &s->soil_flux_top,
                    &s->soil_flux_bottom, &s->soil_con_exfil})
        v->assign(n, 0.0);
    s->yes_exfil.assign(n, 0);
    s->THETA.assign(n, 3, 0.0);
    for (int j = 1; j <= n; ++j) {
        s->dist_porosity[j] = 0.4 + 0.01 * (j % 9);
        s->soil_water_top[j] = 20.0 * (0.15 + 0.02 * (j % 11));
        s->soil_water_low[j] = 30.0 * (0.15 + 0.02 * (j % 13));
        for (int i = 1; i <= c; ++i) {
            s->soil_kd[i][j] = i == 1 ? 0.0 : 0.1 * (j % 7);
            s->soil_decay[i][j] = 1e-6 * (j % 5);
            for (int k = 1; k <= 3; ++k)
                s->soil_mass.table[i][j][k] = 100.0 / k + j % 17;
        }
    }
    return s;
}

} // namespace

TEST(SoilContamThreads, OneAndFourThreadsGiveIdenticalMassesAndTotals)
{
    std::unique_ptr<model_state> runs[2];
    const int threads[2] = {1, 4};
    const int saved = thread_count();
    for (int r = 0; r < 2; ++r) {
        set_thread_count(threads[r]);
        runs[r] = parallel_grid();
        model_state& s = *runs[r];
        for (int step = 0; step < 3; ++step) {
            for (int j = 1; j <= s.num_cells; ++j) {
                s.soil_flux_top[j] = 0.1 + 0.01 * (j % 3);
                s.soil_flux_bottom[j] = 0.05 * (j % 4);
                s.soil_con_inflow[1][j] = s.soil_con_inflow[2][j] = 0.5;
            }
            s.soil_con_last = s.current_time;
            s.current_time = s.soil_con_next = s.current_time + 1.0 / 24.0;
            s.et_next = s.current_time + 1.0 / 24.0;
            soil_contam_step(s);
        }
    }
    set_thread_count(saved);
    const model_state &a = *runs[0], &b = *runs[1];
    for (int i = 1; i <= 2; ++i) {
        EXPECT_EQ(a.soil_gw_out_mass[i], b.soil_gw_out_mass[i]);
        EXPECT_EQ(a.soil_decay_mass[i], b.soil_decay_mass[i]);
        EXPECT_EQ(a.event_soil_infil_mass[i], b.event_soil_infil_mass[i]);
        EXPECT_GT(a.soil_gw_out_mass[i], 0.0);
        for (int j = 1; j <= a.num_cells; ++j)
            for (int k = 1; k <= 3; ++k)
                ASSERT_EQ(a.soil_mass.table[i][j][k], b.soil_mass.table[i][j][k])
                    << i << " " << j << " " << k;
    }
}

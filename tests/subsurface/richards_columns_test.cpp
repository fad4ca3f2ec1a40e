// Richards columns on small fixtures: the tridiagonal solver against hand
// solutions; the set-up with and without a water table; the column step's
// water balance when wetting and when draining, the switch to a ponded head,
// the 5 s first sub-step, a step of no length and a column whose flux is
// not a number.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "core/error_state.h"
#include "core/model_state.h"
#include "input/subsurface_inputs.h"
#include "subsurface/soil_properties.h"
#include "subsurface/soil_tables.h"

namespace
{

const double ks_sand = 33.984; // cm/h

// Cells of Haverkamp's sand in three layers of 10, 20 and 40 cm, 1 cm nodes
// (layer 2 with conductivity k2), the ground at 100 m. With a table,
// `table` is its elevation for every cell and the deepest node count is
// kept for the cut.
std::unique_ptr<model_state> sand_columns(int cells, double k2 = ks_sand, bool with_table = false,
                                          double table = 0.0)
{
    auto s = std::make_unique<model_state>();
    s->num_cells = cells;
    s->gridsize = 10.0;
    s->inf_richards = 1;
    s->richards_c_option = 2;
    s->richards_k_option = 2;
    s->richards_weight = 1.0;
    s->richards_iter_max = 1;
    s->richards_dtheta_max = 0.0025;
    s->richards_upper_option = 1;
    s->water_table = with_table;
    soil_layer_rec& r = s->soil_layers[1];
    const double depth[] = {10.0, 20.0, 40.0};
    for (int L = 0; L < 3; ++L) {
        r.hyd_cond[L] = ks_sand;
        r.porosity[L] = 0.287;
        r.residual_sat[L] = 0.075;
        r.init_moisture[L] = 0.10;
        r.wilting_point[L] = 0.08;
        r.field_capacity[L] = 0.15;
        r.depth[L] = depth[L];
        r.hav_alpha[L] = std::pow(1.611e6, 1.0 / 3.96);
        r.hav_beta[L] = 3.96;
        r.hav_a[L] = 1.175e6;
        r.hav_b[L] = 4.74;
        r.node_spacing[L] = 1.0;
    }
    r.hyd_cond[1] = k2;
    s->num1.assign(1, 0);
    s->num2.assign(1, 0);
    s->num3.assign(1, 0);
    s->num1[1] = 10;
    s->num2[1] = 30;
    s->num3[1] = 71;
    s->soiltype.assign(cells, 1);
    s->numcells.assign(cells, 71);
    s->numtot.assign(cells, 71);
    s->bound_type.assign(cells, 1);
    s->yes_exfil.assign(cells, 0);
    for (dvec* v : {&s->totaldz, &s->avgks, &s->dtr, &s->inf_rate, &s->event_inf_depth, &s->inf_rich, &s->ov_depth,
                    &s->unsat_down_flux, &s->root_depth, &s->bottom_elev, &s->soil_moisture})
        v->assign(cells, 0.0);
    s->ground_elev.assign(cells, 100.0);
    s->elevgw.assign(cells, table);
    alloc_richards_nodes(*s, 73);
    for (dvec* v : {&s->A, &s->B, &s->C, &s->D, &s->PHEADOLD, &s->theta_start, &s->k_interface, &s->phead_iter})
        v->assign(73, 0.0);
    init_richards_columns(*s);
    for (int i = 1; i <= cells; ++i)
        s->dtr[i] = 10.0 / 3600.0;
    return s;
}

// Water held by nodes 1..n-1 of cell c, cm.
double column_water(const model_state& s, int c)
{
    double w = 0.0;
    for (int k = 1; k <= s.numcells[c] - 1; ++k)
        w += s.THETA[c][k] * s.DZ[c][k];
    return w;
}

struct RichardsColumns : testing::Test {
    void SetUp() override { error_state_clear(); }
    void TearDown() override { error_state_clear(); }
};

} // namespace

TEST_F(RichardsColumns, TridiagonalSolverMatchesHandSolutions)
{
    struct system {
        std::vector<double> a, b, c, x; // rows 1..m (slot 0 unused); x the solution
    };
    const system cases[] = {
        {{0, 0}, {0, 4}, {0, 0}, {0, 2.5}},
        {{0, 1, 0}, {0, 2, 3}, {0, 0, 1}, {0, 1, -1}},
        {{0, -1, -1, -1, 0}, {0, 4, 4, 4, 4}, {0, 0, -1, -1, -1}, {0, 1, 2, 3, 4}},
        {{0, 0.5, 2, 1e-3}, {0, 1e-3, 5, 1}, {0, 0, 3, 7}, {0, -2, 0.25, 8}},
    };
    for (const system& sys : cases) {
        const int m = static_cast<int>(sys.b.size()) - 1;
        std::vector<double> a = sys.a, b = sys.b, c = sys.c, d(m + 1, 0.0);
        for (int i = 1; i <= m; ++i) // d = M x
            d[i] = b[i] * sys.x[i] + (i > 1 ? c[i] * sys.x[i - 1] : 0.0) + (i < m ? a[i] * sys.x[i + 1] : 0.0);
        tridiag_solve(1, m, a.data(), b.data(), c.data(), d.data());
        for (int i = 1; i <= m; ++i)
            EXPECT_NEAR(d[i], sys.x[i], 1e-12) << "system of " << m << ", row " << i;
    }
}

TEST_F(RichardsColumns, SetUpGivesLayerNodesAndHarmonicInterfaces)
{
    auto s = sand_columns(1, 10.0);
    EXPECT_EQ(s->numcells[1], 71);
    EXPECT_NEAR(s->THETA[1][40], 0.10, 1e-12);
    EXPECT_NEAR(s->PHEAD[1][40], -61.5, 0.5); // the sand's head at 0.10
    EXPECT_DOUBLE_EQ(s->KS[1][5], ks_sand);
    EXPECT_DOUBLE_EQ(s->KS[1][11], 2.0 / (1.0 / ks_sand + 1.0 / 10.0));
    EXPECT_DOUBLE_EQ(s->KS[1][20], 10.0);
    EXPECT_DOUBLE_EQ(s->KS[1][31], 2.0 / (1.0 / 10.0 + 1.0 / ks_sand));
    EXPECT_DOUBLE_EQ(s->KS[1][0], s->KS[1][1]);
    EXPECT_DOUBLE_EQ(s->DZ[1][0], 1.0);
    EXPECT_DOUBLE_EQ(s->totaldz[1], 70.0);
    EXPECT_DOUBLE_EQ(s->avgks[1], (ks_sand * 10.0 + 10.0 * 20.0 + ks_sand * 40.0) / 70.0);
}

TEST_F(RichardsColumns, WaterTableCutsTheColumn)
{
    // Table 34.5 cm down: node 35 ends at it, the saturated bottom node
    // follows; heads hydrostatic above.
    auto s = sand_columns(1, ks_sand, true, 99.655);
    ASSERT_EQ(s->numcells[1], 36);
    EXPECT_EQ(s->yes_exfil[1], 0);
    EXPECT_NEAR(s->PHEAD[1][1], -34.0, 1e-9);
    EXPECT_NEAR(s->DZ[1][35], 0.5, 1e-9);
    EXPECT_NEAR(s->PHEAD[1][35], -0.25, 1e-9);
    EXPECT_NEAR(s->PHEAD[1][36], 0.5, 1e-12);
    EXPECT_EQ(s->THETA[1][36], 0.287);

    // A table a hair (below 1e-5 cm) under a node's bottom keeps the node.
    auto hair = sand_columns(1, ks_sand, true, 99.66 + 5e-8);
    ASSERT_EQ(hair->numcells[1], 35);
    EXPECT_DOUBLE_EQ(hair->DZ[1][34], 1.0);

    // Table above the ground: one saturated node under the ponding.
    auto up = sand_columns(1, ks_sand, true, 100.2);
    EXPECT_EQ(up->numcells[1], 1);
    EXPECT_EQ(up->yes_exfil[1], 1);
    EXPECT_NEAR(up->PHEAD[1][1], 0.5 + 20.0, 1e-9);
    EXPECT_EQ(up->THETA[1][1], 0.287);
}

TEST_F(RichardsColumns, SummaryNamesTheInitialVolumes)
{
    auto s = std::make_unique<model_state>();
    s->summary_file.fp = std::tmpfile();
    ASSERT_NE(s->summary_file.fp, nullptr);
    init_richards_columns(*s); // no cells: both totals are 0
    std::rewind(s->summary_file.fp);
    char text[256] = {};
    const std::size_t got = std::fread(text, 1, sizeof text - 1, s->summary_file.fp);
    std::fclose(s->summary_file.fp);
    s->summary_file.fp = nullptr;
    EXPECT_EQ(std::string(text, got), "Inital volume of water in root zone= 0.000000 \n \n"
                                      "Inital volume of water in soil column= 0.000000 \n \n");
}

TEST_F(RichardsColumns, WettingAndDrainingColumnsKeepTheirWater)
{
    // Cell 1: 2 cm ponded on the dry sand. Cell 2: a wet profile draining
    // freely without supply.
    auto s = sand_columns(2);
    s->ov_depth[1] = 0.02;
    for (int k = 0; k <= 71; ++k) {
        s->THETA[2][k] = 0.25;
        head_from_moisture(*s, 2, k, 2);
    }
    havercamp_props(*s, 2);
    const double start[] = {0.0, column_water(*s, 1), column_water(*s, 2)};
    for (int step = 0; step < 60; ++step)
        richards_solve(*s, 30.0);
    ASSERT_EQ(error_state.code, 0);
    EXPECT_EQ(s->ov_depth[1], 0.0);
    EXPECT_NEAR(s->event_inf_depth[1], 0.02, 1e-12);
    for (int c = 1; c <= 2; ++c) {
        const double change = column_water(*s, c) - start[c];
        const double through = 100.0 * s->inf_rich[c] - s->unsat_down_flux[c]; // in at the top, out at the bottom
        EXPECT_NEAR(change, through, 1e-3 * std::fabs(through) + 1e-9) << "cell " << c;
    }
    EXPECT_GT(s->unsat_down_flux[2], 1.0); // the wet column drains
    EXPECT_LT(column_water(*s, 2), start[2]);
    EXPECT_EQ(s->inf_rate[2], 0.0); // no supply, no evaporation: no top flux
}

TEST_F(RichardsColumns, SupplyBeyondTheSoilSwitchesToAPondedHead)
{
    auto s = sand_columns(2);
    s->ov_depth[1] = 0.001; // 6 cm/h over 60 s: the sand takes it
    s->ov_depth[2] = 0.05;  // 300 cm/h: far beyond the sand
    richards_solve(*s, 60.0);
    EXPECT_EQ(s->bound_type[1], 1);
    EXPECT_EQ(s->ov_depth[1], 0.0);
    EXPECT_EQ(s->bound_type[2], 2);
    EXPECT_GT(s->ov_depth[2], 0.0);
    EXPECT_LT(s->ov_depth[2], 0.05);
    EXPECT_GT(s->inf_rate[2], ks_sand); // a dry soil under a head takes more than Ks
    EXPECT_NEAR(s->event_inf_depth[2] + s->ov_depth[2], 0.05, 1e-12);
}

TEST_F(RichardsColumns, FirstSubStepAndStepsOfNoLength)
{
    struct first {
        double dtr, step, h1, expected;
    };
    const first cases[] = {
        {0.5, 1.0, 0.2, 5.0 / 3600.0},   // saturated surface: 5 s
        {0.5, 1.0, -3.0, 0.5},           // unsaturated: the last sub-step
        {0.5, 0.1, -3.0, 0.1},           // no longer than the step
        {0.0005, 1.0, 0.2, 0.0005},      // already short
    };
    for (const first& c : cases)
        EXPECT_DOUBLE_EQ(richards_first_substep(c.dtr, c.step, c.h1), c.expected) << c.dtr << " " << c.h1;

    auto s = sand_columns(1);
    s->dtr[1] = 0.25;
    s->ov_depth[1] = 0.01;
    EXPECT_EQ(richards_solve(*s, 0.0), 0.0);
    EXPECT_EQ(s->dtr[1], 0.25);
    EXPECT_EQ(s->ov_depth[1], 0.01);
}

TEST_F(RichardsColumns, FluxThatIsNotANumberStopsTheRun)
{
    auto s = sand_columns(3);
    s->KS[2][5] = std::nan("");
    testing::internal::CaptureStdout();
    richards_solve(*s, 30.0);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(error_state.code, err_stop);
    EXPECT_NE(out.find("three\nError: the Richards column of cell 2 has a flux that is not a number at node 5."),
              std::string::npos)
        << out;

    // A water content that is not a number: the marker "two".
    error_state_clear();
    s = sand_columns(3);
    s->THETA[3][4] = std::nan("");
    testing::internal::CaptureStdout();
    richards_solve(*s, 30.0);
    const std::string content = testing::internal::GetCapturedStdout();
    EXPECT_EQ(error_state.code, err_stop);
    EXPECT_NE(content.find("two\nError: the Richards column of cell 3 has a water content that is not a number "
                           "at node 4."),
              std::string::npos)
        << content;
    error_state_clear();
}

namespace
{

// One column cut by a table 34.6 cm down (35 soil nodes, the last 0.6 cm,
// and the bottom node), ready for a re-fit.
std::unique_ptr<model_state> refit_fixture()
{
    auto s = sand_columns(1, ks_sand, true, 99.654);
    s->aquifer_delta_z = 0.1;
    s->rich_work_1.assign(73, 0.0);
    s->rich_work_2.assign(73, 0.0);
    return s;
}

} // namespace

TEST_F(RichardsColumns, RefitToARisingTable)
{
    auto s = refit_fixture();
    double leaving = 0.0; // nodes 16..35 go below the table at 14.6 cm
    for (int k = 16; k <= 35; ++k)
        leaving += s->THETA[1][k] * s->DZ[1][k];
    const double w = refit_richards_column(*s, 1, 99.854);
    EXPECT_EQ(s->numcells[1], 16);
    EXPECT_NEAR(s->DZ[1][15], 0.6, 1e-9);
    EXPECT_NEAR(w, leaving, 1e-12);
    EXPECT_EQ(s->PHEAD[1][16], 0.5);
    EXPECT_EQ(s->THETA[1][16], 0.287);
}

TEST_F(RichardsColumns, RefitToAFallingTableSpreadsTheWaterDown)
{
    auto s = refit_fixture();
    const double before = column_water(*s, 1);
    const double w = refit_richards_column(*s, 1, 99.554);
    ASSERT_EQ(s->numcells[1], 46);
    EXPECT_NEAR(s->DZ[1][45], 0.6, 1e-9);
    EXPECT_LT(w, 0.0); // the new lowest node takes water from below
    EXPECT_NEAR(column_water(*s, 1) - before, -w, 1e-9);
    EXPECT_EQ(s->THETA[1][46], 0.287);
}

TEST_F(RichardsColumns, RefitMergesSliversCapsSaturationAndReadsLayerBoundaries)
{
    // A sliver of 5e-5 cm above the table joins the node above.
    auto sliver = refit_fixture();
    refit_richards_column(*sliver, 1, 99.86 - 5e-7);
    EXPECT_EQ(sliver->numcells[1], 15);
    EXPECT_NEAR(sliver->DZ[1][14], 1.00005, 1e-9);

    // Over-saturated nodes above an unmoved table give their excess; the
    // saturated part becomes hydrostatic.
    auto wet = refit_fixture();
    wet->THETA[1][34] = wet->THETA[1][35] = 0.30;
    const double w = refit_richards_column(*wet, 1, 99.654);
    EXPECT_EQ(wet->numcells[1], 36);
    EXPECT_NEAR(w, 0.013 * 1.6, 1e-9);
    EXPECT_EQ(wet->THETA[1][34], 0.287);
    EXPECT_NEAR(wet->PHEAD[1][35], 1.3, 1e-9);
    EXPECT_NEAR(wet->PHEAD[1][34], 0.5, 1e-9);

    // A table at the ground: one saturated node.
    auto top = refit_fixture();
    EXPECT_EQ(refit_richards_column(*top, 1, 100.0), 0.0);
    EXPECT_EQ(top->numcells[1], 1);
    EXPECT_EQ(top->yes_exfil[1], 1);
    EXPECT_NEAR(top->PHEAD[1][1], 0.5, 1e-12);

    // A table exactly at the base of layer 1 lies in layer 2.
    auto edge = refit_fixture();
    edge->soil_layers[1].porosity[1] = 0.30;
    refit_richards_column(*edge, 1, 100.0 - 10.0 / 100.0);
    EXPECT_EQ(edge->numcells[1], 11);
    EXPECT_EQ(edge->THETA[1][11], 0.30);

    // Fixed-head and inactive groundwater cells are left alone.
    auto fixed = refit_fixture();
    fixed->gwbound.assign(1, 2);
    EXPECT_EQ(refit_richards_column(*fixed, 1, 99.854), 0.0);
    EXPECT_EQ(fixed->numcells[1], 36);
}

// Dissolved constituents on the land surface: the processes and the mass
// step on a state made through the input hub (still water over a closed
// flat plane: conservation, first-order decay, the event balance), the
// advection of a front by steady sheet flow, the source terms' cutting and
// pro-rating, and the same results on one and four threads.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "core/model_state.h"
#include "core/platform.h"
#include "core/run_steps.h"
#include "input/input_fixture.h"
#include "input/quality_inputs.h"
#include "output/summary_writers.h"
#include "overland/overland_steps.h"
#include "quality/ov_contam.h"
#include "quality/prorate_mass.h"
#include "quality/quality_steps.h"

using namespace torva_test;

namespace
{

constexpr double day = 86400.0;

// The 3 x 4 plane of the input fixture made flat and closed, under 10 cm
// of still water, with a conservative tracer and a contaminant decaying at
// 8.64 per day (1e-4 per second); the tracer starts unevenly so that
// dispersion has something to do.
struct StillPlane : InputProject {
    void SetUp() override
    {
        InputProject::SetUp();
        option_checks = false; // the constituent processes are still refused
        grid("m.ele", "0 100 100 0\n100 100 100 100\n100 100 100 0\n");
        grid("one.idx", "0 1 1 0\n1 1 2 2\n1 1 2 0\n");
        grid("d.map", "0 0.1 0.1 0\n0.1 0.1 0.1 0.1\n0.1 0.1 0.1 0\n");
        // Columns: dispersion, decay (per day), uptake, land, 5,
        // concentration (mg/L), 7, largest concentration.
        file("t.cmt", "TORVA_INDEX_MAP_TABLES\nINDEX_MAP one.idx \"Zones\"\n"
                      "CONTAMINANT_TRANSPORT\nNUM_CONTAM 2\n"
                      "\"Tracer\" \"Zones\" \"tr\"\nPRECIP_CONC 0\nPARTITION 0\nNUM_IDS 2\nID\n" +
                          mapping_row(1, "0.5 0 0 0 0 2 0 0") + mapping_row(2, "0.5 0 0 0 0 6 0 0") +
                          "\"Decaying\" \"Zones\" \"dc\"\nPRECIP_CONC 0\nPARTITION 0\nNUM_IDS 2\nID\n" +
                          mapping_row(1, "0.5 8.64 0 0 0 3 0 0") + mapping_row(2, "0.5 8.64 0 0 0 3 0 0"));
    }
    bool load_plane()
    {
        if (!load(cards_with("OV_CON_TRANS\nMAPPING_TABLE t.cmt\nREAD_OV_HOTSTART d.map\n")))
            return false;
        testing::internal::CaptureStdout();
        build_cell_connectivity(*s);
        init_soil_constituents(*s);
        init_sim_clock(*s);
        event_start_step(*s);
        out += testing::internal::GetCapturedStdout();
        s->raining = 0;
        // The plane has no infiltration scheme; its infiltration clock is
        // taken to follow the overland one, as the schemes' clocks do.
        s->precip_load_next = s->ov_next;
        s->precip_load_last = s->current_time;
        return error_state.raised == 0;
    }
    // The constituent steps of `steps` base steps, with the surface clocks
    // moved on as the overland and infiltration steps do before them.
    void run_steps(int steps)
    {
        const double dt_days = s->ov_dt_days;
        for (int k = 0; k < steps; ++k) {
            const double now = s->current_time + dt_days;
            s->current_time = now;
            s->ov_last = s->inf_last = now;
            s->ov_next = s->inf_next = now + dt_days;
            ov_contam_step(*s);
            ov_contam_mass_step(*s);
            ASSERT_EQ(error_state.raised, 0);
        }
    }
    double surface_mass(int i) const
    {
        double m = 0.0;
        for (int j = 1; j <= s->num_cells; ++j)
            m += s->ov_mass[i][j];
        return m;
    }
};

// The value printed after the label's n-th appearance (-1e9 when missing).
double printed_value(const std::string& text, const std::string& label, int nth)
{
    std::size_t at = 0;
    for (int k = 0; k < nth; ++k) {
        at = text.find(label, k ? at + 1 : 0);
        if (at == std::string::npos)
            return -1e9;
    }
    at += label.size();
    while (at < text.size() && (text[at] == '.' || text[at] == ' '))
        ++at;
    return std::atof(text.c_str() + at);
}

} // namespace

TEST_F(StillPlane, ConservesTheTracerDecaysTheOtherAndTheBalanceCloses)
{
    ASSERT_TRUE(load_plane()) << out;
    const double tracer0 = surface_mass(1);
    const double decaying0 = surface_mass(2);
    // 100 m2 x 0.1 m: six cells at 2 mg/L and three at 6 for the tracer,
    // all nine at 3 for the other.
    ASSERT_NEAR(tracer0, 10.0 * (6 * 2 + 3 * 6), 1e-9);
    ASSERT_NEAR(decaying0, 10.0 * 9 * 3, 1e-9);
    const int steps = 120; // one hour of 30 s steps
    run_steps(steps);
    const double t = steps * s->ov_dt;
    ASSERT_NEAR(t, 3600.0, 1e-9);

    EXPECT_NEAR(surface_mass(1), tracer0, 1e-9 * tracer0);
    // Dispersion has levelled the tracer towards its mean of 30 / 9 x 0.1 mg.
    EXPECT_LT(s->ov_conc[1][6], 6.0);
    EXPECT_GT(s->ov_conc[1][1], 2.0);
    const double expected = decaying0 * std::exp(-1e-4 * t);
    EXPECT_NEAR(surface_mass(2), expected, 0.015 * expected);

    // final + decay + outlet = initial, in the totals the summary prints.
    for (int i = 1; i <= 2; ++i) {
        const double closed = surface_mass(i) / 1000.0 + s->event_ov_decay_mass[i] + s->event_ov_mass_out[i];
        EXPECT_NEAR(closed, s->event_ov_mass_init[i], 1e-12) << "constituent " << i;
        EXPECT_EQ(s->event_ov_neg_mass[i], 0.0);
    }
    EXPECT_EQ(s->event_ov_decay_mass[1], 0.0);
    event_quality_totals(*s);
    std::FILE* fp = std::tmpfile();
    ASSERT_NE(fp, nullptr);
    write_event_quality_summary(*s, fp);
    std::rewind(fp);
    std::string text;
    char buf[4096];
    for (std::size_t got; (got = std::fread(buf, 1, sizeof buf, fp)) > 0;)
        text.append(buf, got);
    std::fclose(fp);
    for (int i = 1; i <= 2; ++i)
        EXPECT_LT(std::fabs(printed_value(text, "Dissolved mass balance error", i)), 0.01) << text;
}

TEST_F(StillPlane, RainAndInfiltrationEnterTheBalance)
{
    ASSERT_TRUE(load_plane()) << out;
    // 36 mm/h at 2 mg/L of the tracer; half of it infiltrates.
    s->raining = 1;
    for (int j = 1; j <= s->num_cells; ++j)
        s->rain_rate[j] = 36.0;
    s->precip_conc[1] = 2.0;
    const double infiltrated = 0.5e-5 * s->ov_dt * 100.0; // m3 per cell and step
    const int steps = 60;
    for (int k = 0; k < steps; ++k) {
        for (int j = 1; j <= s->num_cells; ++j)
            s->con_inf_acc[j] += infiltrated;
        run_steps(1);
    }
    // 1e-5 m/s x 2 g/m3 x 100 m2 x 30 s per cell and step, nine cells.
    // The step lengths come from Julian dates, good to about 1e-5 s.
    const double rained = 1e-5 * 2.0 * 100.0 * 30.0 * 9 * steps / 1000.0;
    EXPECT_NEAR(s->event_ov_precip_mass[1], rained, 1e-6 * rained);
    EXPECT_EQ(s->event_ov_precip_mass[2], 0.0);
    for (int i = 1; i <= 2; ++i) {
        EXPECT_GT(s->event_ov_infil_mass[i], 0.0);
        const double in = s->event_ov_mass_init[i] + s->event_ov_precip_mass[i];
        const double out_ = surface_mass(i) / 1000.0 + s->event_ov_infil_mass[i] + s->event_ov_decay_mass[i] +
                            s->event_ov_mass_out[i];
        EXPECT_NEAR(out_, in, 1e-12 * in) << "constituent " << i;
    }
}

TEST_F(StillPlane, ADryCellLosesItsMassToTheSoilWhenWaterInfiltrates)
{
    ASSERT_TRUE(load_plane()) << out;
    const double held = s->ov_mass[1][5];
    s->ov_depth[5] = 0.0;
    s->con_inf_acc[5] = 1e-3;
    run_steps(1);
    EXPECT_EQ(s->ov_mass[1][5], 0.0);
    EXPECT_NEAR(s->soil_con_inflow[1][5], held, 1e-12 * held) << "handed to the soil once";
    EXPECT_NEAR(s->event_ov_infil_mass[1], held / 1000.0, 1e-15);
    EXPECT_EQ(s->land_mass[1][5], 0.0);
    EXPECT_EQ(s->con_inf_acc[5], 0.0) << "cleared after every constituent used it";
}

TEST_F(StillPlane, ExchangeAndDecayKernelsAgainstHandValues)
{
    ASSERT_TRUE(load_plane()) << out;
    // Cell 1 of the tracer: 2 mg/L in 0.1 m over 100 m2. The soil side
    // holds 10 mg/L and 1 kg on the land.
    s->ov_uptake[1][1] = 1e-4;
    s->ov_soil_conc[1][1] = 10.0;
    s->land_mass[1][1] = 1000.0;
    ov_con_soil_exchange(*s, 1, 30.0);
    // (10 - 2) x 1e-4 x 100 x 30 g.
    EXPECT_NEAR(s->soil_exch_cell_mass[1][1], 2.4, 1e-12);
    EXPECT_NEAR(s->land_mass[1][1], 1000.0 - 2.4, 1e-12);
    // A fast exchange stops where the water reaches the soil's
    // concentration: (10 - 2) x 10 m3 in all.
    s->ov_uptake[1][1] = 1.0;
    ov_con_soil_exchange(*s, 1, 30.0);
    EXPECT_NEAR(s->soil_exch_cell_mass[1][1], 2.4 + 80.0, 1e-9);
    // Nothing flows toward a soil side poorer than the water.
    s->ov_soil_conc[1][2] = 1.0;
    s->ov_uptake[1][2] = 1.0;
    s->land_mass[1][2] = 1000.0;
    ov_con_soil_exchange(*s, 1, 30.0);
    EXPECT_EQ(s->soil_exch_cell_mass[1][2], 0.0);

    // Decay of 3 mg/L at 1e-4/s over 30 s between depths 0.1 and 0.05 m,
    // then at a rate that would take more than the smaller depth holds.
    s->ov_depth_old[4] = 0.1;
    s->ov_depth[4] = 0.05;
    ov_con_decay(*s, 2, 30.0);
    EXPECT_NEAR(s->decay_cell_mass[2][4], 3.0 * 1e-4 * 0.075 * 100.0 * 30.0, 1e-12);
    s->ov_decay[2][4] = 1.0;
    ov_con_decay(*s, 2, 30.0);
    EXPECT_NEAR(s->decay_cell_mass[2][4], 3.0 * 0.05 * 100.0, 1e-12);
}

TEST_F(StillPlane, LateralLoadLeavesForTheChannelsAsBooked)
{
    // Cells 6 and 9 border links 1 (a channel) and 2 (a lake link) at node
    // 2; 0.5 m3 of water leaves cell 6 into link 1, and 0.2 m3 comes back
    // from link 1 into cell 9, carrying the node's 7 mg/L when the channels
    // carry constituents and nothing when they do not.
    for (const bool routed : {true, false}) {
        SCOPED_TRACE(routed ? "channel constituents" : "no channel constituents");
        ASSERT_TRUE(load_plane()) << out;
        s->chan_explicit = 1;
        s->ov_chan_exch_next = s->ov_next;
        s->ov_chan_exch_last = s->current_time;
        s->node_dim = 4;
        s->ltype.assign(2, 0);
        s->ltype[1] = 4;
        s->ltype[2] = 32;
        s->gst_ncells = 2;
        s->gst_ncellsingrid.assign(2, 0);
        s->gst_ncellsingrid[1] = 2;
        s->gst_ncellsingrid[2] = 1;
        for (imat* m : {&s->gst_gnum, &s->gst_link, &s->gst_node})
            m->assign(2, 2, 0);
        s->gst_Vlat.assign(2, 2, 0.0);
        const int entries[3][5] = {
            {1, 1, 6, 1, 2}, {1, 2, 6, 2, 2}, {2, 1, 9, 1, 2}}; // cell, entry, grid, link, node
        const double volumes[3] = {0.5, 0.9, -0.2};
        for (int e = 0; e < 3; ++e) {
            const int* r = entries[e];
            s->gst_gnum[r[0]][r[1]] = r[2];
            s->gst_link[r[0]][r[1]] = r[3];
            s->gst_node[r[0]][r[1]] = r[4];
            s->gst_Vlat[r[0]][r[1]] = volumes[e];
        }
        const int nodes = 3 * s->node_dim;
        if (routed) {
            row_array_add_rows(s->chan_conc, 2, nodes);
            row_array_add_rows(s->chan_qlat_mass, 2, nodes);
            s->chan_conc[1][6] = 7.0; // link 1, node 2
        }
        const double c6 = s->ov_conc[1][6];
        run_steps(1);
        // Link 2 is a lake link: skipped. 0.5 x c6 goes out, 0.2 x 7 comes in.
        const double sent = 0.5 * c6 - (routed ? 0.2 * 7.0 : 0.0);
        EXPECT_NEAR(s->event_ov_qlat_mass[1], sent / 1000.0, 1e-15)
            << "the land side books what the channels receive";
        if (routed) {
            EXPECT_NEAR(s->chan_qlat_mass[1][6], sent, 1e-12);
            EXPECT_EQ(s->chan_qlat_mass[1][10], 0.0);
        }
        EXPECT_EQ(s->gst_Vlat[1][1], 0.0) << "the volumes are taken up";
        EXPECT_EQ(s->event_ov_mass_out[1], 0.0) << "nothing leaves by the outlet with channels";
    }
}

TEST_F(StillPlane, StepWaitsForItsClockAndAlternatesTheSweeps)
{
    ASSERT_TRUE(load_plane()) << out;
    const double next = s->contam_next;
    ov_contam_mass_step(*s); // at the event start: not due yet
    EXPECT_EQ(s->contam_next, next);
    EXPECT_EQ(s->ov_con_sweep, 1);
    run_steps(1);
    EXPECT_EQ(s->ov_con_sweep, 2);
    EXPECT_NEAR(s->contam_next - s->current_time, s->ov_dt_days, 1e-9);
    run_steps(1);
    EXPECT_EQ(s->ov_con_sweep, 1);
    s->ov_con_trans = 0;
    const double held = s->contam_next;
    run_steps(1);
    EXPECT_EQ(s->contam_next, held) << "switched off, nothing moves";
}

TEST_F(StillPlane, ADryCellHandsItsMassToTheLandSurface)
{
    ASSERT_TRUE(load_plane()) << out;
    // Cell 5 dries up while holding its dissolved mass.
    const double held = s->ov_mass[1][5];
    s->ov_depth[5] = 0.0;
    run_steps(1);
    EXPECT_EQ(s->ov_mass[1][5], 0.0);
    EXPECT_EQ(s->ov_conc[1][5], 0.0);
    EXPECT_NEAR(s->land_mass[1][5], held, 1e-9 * held);
    // Booked as exchange toward the land, so the balance still closes.
    EXPECT_NEAR(s->event_ov_uptake_mass[1], -held / 1000.0, 1e-15);
}

// A lake without constituents of its own (no channel constituents): the
// mass of its dried cell is the overland flux to lakes of this event only.
TEST_F(StillPlane, ALakeWithoutConstituentsTakesTheFluxOfItsEventOnly)
{
    ASSERT_TRUE(load_plane()) << out;
    s->chan_lakes = 1;
    s->num_lakes = 1;
    s->lake_mask.assign(s->num_cells, 0);
    s->lake_mask[5] = 1;
    const double held = s->ov_mass[1][5];
    s->ov_depth[5] = 0.0;
    run_steps(1);
    EXPECT_EQ(s->ov_mass[1][5], 0.0);
    ASSERT_EQ(s->lake_ov_mass_event.size(), s->num_constituents);
    EXPECT_NEAR(s->lake_ov_mass_event[1], held / 1000.0, 1e-15);
    EXPECT_NEAR(s->lake_ov_mass_total[1], held / 1000.0, 1e-15);
    EXPECT_EQ(s->lake_ov_inflow_mass[1][1], 0.0) << "booked once, not again at the next step";
    s->next_event_time = s->current_time;
    testing::internal::CaptureStdout();
    event_start_step(*s);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(s->lake_ov_mass_event[1], 0.0) << "the next event starts its own";
    EXPECT_NEAR(s->lake_ov_mass_total[1], held / 1000.0, 1e-15);
}

TEST_F(StillPlane, ANanMassStopsTheRunNamingCellAndConstituent)
{
    ASSERT_TRUE(load_plane()) << out;
    s->ov_mass[2][7] = std::nan("");
    const double dt_days = s->ov_dt_days;
    s->current_time += dt_days;
    s->ov_next = s->inf_next = s->current_time + dt_days;
    testing::internal::CaptureStdout();
    ov_contam_mass_step(*s);
    const std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_NE(printed.find("contam 2 cell 7 NAN"), std::string::npos) << printed;
    EXPECT_EQ(error_state.code, err_stop);
    error_state_clear();
}

namespace
{

// A view of plain arrays for the advection kernel: rows x cols cells of dx
// metres, numbered row by row, with the discharges and depths given.
struct advect_grid {
    int rows, cols, n;
    std::vector<int> right, below, left, above;
    std::vector<double> depth, qx, qy, mass, conc, disp, source, face, mp, cp;
    std::vector<ov_source_booking> blocks;
    ov_advect_view v;

    advect_grid(int r, int c, double dx) : rows(r), cols(c), n(r * c)
    {
        for (auto* a : {&right, &below, &left, &above})
            a->assign(static_cast<std::size_t>(n) + 1, 0);
        for (auto* a : {&depth, &qx, &qy, &mass, &conc, &disp, &source, &face, &mp, &cp})
            a->assign(static_cast<std::size_t>(n) + 1, 0.0);
        blocks.resize(static_cast<std::size_t>((n + ov_sum_block - 1) / ov_sum_block));
        for (int i = 1; i <= n; ++i) {
            const int col = (i - 1) % c + 1;
            const int row = (i - 1) / c + 1;
            right[i] = col < c ? i + 1 : 0;
            left[i] = col > 1 ? i - 1 : 0;
            below[i] = row < r ? i + c : 0;
            above[i] = row > 1 ? i - c : 0;
        }
        v.n = n;
        v.dx = dx;
        v.rightcon = right.data();
        v.belowcon = below.data();
        v.leftcon = left.data();
        v.abovecon = above.data();
        v.depth = depth.data();
        v.qx = qx.data();
        v.qy = qy.data();
        v.mass = mass.data();
        v.conc = conc.data();
        v.disp = disp.data();
        v.source = source.data();
        v.face = face.data();
        v.mass_pred = mp.data();
        v.conc_pred = cp.data();
        v.blocks = blocks.data();
    }
    double total() const
    {
        double t = 0.0;
        for (int i = 1; i <= n; ++i)
            t += mass[i];
        return t;
    }
};

} // namespace

TEST(OvConAdvect, AFrontRidesSteadySheetFlowAtQOverH)
{
    // A strip of 200 cells of 10 m under 10 cm of water carrying 0.05 m3/s
    // through each face: 0.05 m/s. The first 20 cells start at 1 mg/L.
    const double dx = 10.0, h = 0.1, q = 0.05, dt = 10.0;
    advect_grid g(1, 200, dx);
    for (int i = 1; i <= g.n; ++i) {
        g.depth[i] = h;
        g.qx[i] = i < g.n ? q : 0.0;
        g.conc[i] = i <= 20 ? 1.0 : 0.0;
        g.mass[i] = g.conc[i] * h * dx * dx;
    }
    const double m0 = g.total();
    const int steps = 300; // 3000 s: the front moves 150 m, 15 cells
    for (int k = 0; k < steps; ++k)
        EXPECT_EQ(ov_con_advect(dt, g.v, k % 2 ? 2 : 1), 0.0);
    const double expected = 200.0 + q / (h * dx) * steps * dt; // m from the left edge
    // Where the concentration falls through one half.
    double front = -1.0;
    for (int i = 25; i < g.n; ++i)
        if (g.conc[i] >= 0.5 && g.conc[i + 1] < 0.5) {
            const double x0 = (i - 0.5) * dx;
            front = x0 + dx * (g.conc[i] - 0.5) / (g.conc[i] - g.conc[i + 1]);
            break;
        }
    EXPECT_NEAR(front, expected, dx);
    EXPECT_NEAR(g.total(), m0, 1e-9 * m0) << "a closed strip keeps its mass";
}

TEST(OvConAdvect, NegativeMassIsClippedAndReturnedInEitherSweep)
{
    // Two cells in a column and two in a row: a sink larger than the cell
    // holds drives it below zero in both sweep orders.
    for (int order : {1, 2}) {
        advect_grid g(2, 2, 10.0);
        for (int i = 1; i <= g.n; ++i) {
            g.depth[i] = 0.1;
            g.conc[i] = 1.0;
            g.mass[i] = 10.0;
        }
        g.source[1] = -3.0; // g/s over 10 s: 30 g from 10
        const double negative = ov_con_advect(10.0, g.v, order);
        EXPECT_NEAR(negative, 20.0, 1e-12) << order;
        EXPECT_EQ(g.mass[1], 0.0);
        EXPECT_EQ(g.conc[1], 0.0);
        EXPECT_NEAR(g.total(), 30.0, 1e-12);
    }
}

TEST(OvConAdvect, LakeFacesCarryAdvectionIntoTheLakeOnly)
{
    // Three cells in a row, the last a lake; water flows right.
    advect_grid g(1, 3, 10.0);
    std::vector<int> lake_of = {0, 0, 0, 1};
    std::vector<double> lake_conc = {0.0, 0.0};
    std::vector<double> lake_in = {0.0, 0.0};
    g.v.lake_of = lake_of.data();
    g.v.lake_conc = lake_conc.data();
    g.v.lake_inflow = lake_in.data();
    for (int i = 1; i <= 3; ++i) {
        g.depth[i] = 0.1;
        g.disp[i] = 1.0;
        g.qx[i] = 0.01;
    }
    g.conc[2] = 2.0;
    g.mass[2] = 20.0;
    g.mass[3] = 7.0; // a lake cell is not updated
    ov_con_advect(10.0, g.v, 2);
    EXPECT_EQ(g.mass[3], 7.0);
    EXPECT_NEAR(g.mass[1] + g.mass[2] + lake_in[1], 20.0, 1e-12);
    EXPECT_GT(lake_in[1], 0.0);
    EXPECT_GT(g.mass[1], 0.0) << "dispersion still works between land cells";
}

TEST(OvConAdvect, OneAndFourThreadsGiveIdenticalMasses)
{
    // Large enough for the loops to run in parallel.
    auto run = [](int threads) {
        set_thread_count(threads);
        advect_grid g(90, 90, 10.0);
        for (int i = 1; i <= g.n; ++i) {
            g.depth[i] = 0.02 + 0.001 * (i % 17);
            g.qx[i] = g.right[i] ? 1e-3 * ((i % 7) - 2) : 0.0;
            g.qy[i] = g.below[i] ? 1e-3 * ((i % 5) - 1) : 0.0;
            g.disp[i] = 0.1;
            g.conc[i] = (i % 13) * 0.5;
            g.mass[i] = g.conc[i] * g.depth[i] * 100.0;
            g.source[i] = (i % 11) == 0 ? -0.2 : 0.0;
        }
        double negative = 0.0;
        for (int k = 0; k < 20; ++k)
            negative += ov_con_advect(5.0, g.v, k % 2 ? 2 : 1);
        g.mass[0] = negative;
        return g.mass;
    };
    const std::vector<double> one = run(1);
    const std::vector<double> four = run(4);
    set_thread_count(processor_count());
    EXPECT_GT(one[0], 0.0) << "the sinks clipped some mass";
    EXPECT_EQ(one, four);
}

TEST(OvConSources, TermsAreProRatedInSecondsAndCutAtAnEmptyCell)
{
    EXPECT_DOUBLE_EQ(prorate_mass(30.0, 300.0, 10.0), 1.0);
    EXPECT_DOUBLE_EQ(prorate_mass(30.0, 30.4, 10.0), 10.0);
    EXPECT_DOUBLE_EQ(prorate_mass(30.0, 0.0, 10.0), 10.0);

    std::vector<double> decay = {0.0, 4.0}, infil = {0.0, 6.0}, sed = {0.0, 2.0}, land = {0.0, 100.0},
                        exch = {0.0, -8.0}, soil_in = {0.0, 0.0};
    ov_source_terms t;
    t.dt = 30.0;
    t.decay_interval = 300.0; // a tenth of the decay this step
    t.sed_interval = 30.0;    // the mass step's own length: in full
    t.infil_interval = 30.0;
    t.soil_exch_interval = 30.0;
    t.decay = t.exchange = t.sed_source = t.to_soil = true;
    t.decay_mass = decay.data();
    t.infil = infil.data();
    t.sed = sed.data();
    t.land = land.data();
    t.soil_exch = exch.data();
    t.soil_inflow = soil_in.data();
    ov_source_booking b;
    // 10 g: the exchange takes 8, decay 0.4, sediment gives 2, infiltration
    // wants 6 of the 3.6 left and is cut there.
    const double rate = ov_con_sources(t, 1, 10.0, b);
    EXPECT_NEAR(b.uptake, -8.0, 1e-12);
    EXPECT_NEAR(b.decay, 0.4, 1e-12);
    EXPECT_NEAR(decay[1], 3.6, 1e-12) << "the rest of the decay waits";
    EXPECT_NEAR(b.sed_source, 2.0, 1e-12);
    EXPECT_NEAR(b.infil, 3.6, 1e-12);
    EXPECT_EQ(infil[1], 0.0) << "a cut loss clears its accumulator";
    EXPECT_NEAR(soil_in[1], 3.6, 1e-12) << "only what left the water reaches the soil";
    EXPECT_NEAR(rate * 30.0, -10.0, 1e-12);

    // An exchange toward the land cut at an empty cell gives the land back
    // what did not leave the water.
    exch[1] = -8.0;
    land[1] = 100.0;
    ov_source_booking c;
    ov_con_sources(t, 1, 5.0, c);
    EXPECT_NEAR(c.uptake, -5.0, 1e-12);
    EXPECT_EQ(exch[1], 0.0);
    EXPECT_NEAR(land[1], 97.0, 1e-12);

    // Mass exfiltration brought up arrives even when the water table has
    // sunk below the ground before the mass step.
    std::vector<double> exfil = {0.0, 3.0};
    const std::vector<int> exfiltrating = {0, 0};
    ov_source_terms e;
    e.dt = 30.0;
    e.exfil_interval = 30.0;
    e.exfil = true;
    e.exfil_mass = exfil.data();
    e.yes_exfil = exfiltrating.data();
    ov_source_booking d;
    ov_con_sources(e, 1, 1.0, d);
    EXPECT_NEAR(d.exfil, 3.0, 1e-12);
    EXPECT_EQ(exfil[1], 0.0);
}

TEST(OvContamMassStep, OneAndFourThreadsBookTheSameMasses)
{
    // 80 x 80 cells of 10 m (enough for the loops to run in parallel), two
    // decaying contaminants carried by a sheet flow, one cell drying out.
    auto run = [](int threads) {
        set_thread_count(threads);
        model_state s;
        const int rows = 80, cols = 80, n = rows * cols;
        s.num_rows = rows;
        s.num_cols = cols;
        s.num_cells = n;
        s.gridsize = 10.0;
        s.time_tol = 0.01 / day;
        s.ov_con_trans = 1;
        s.contam_table_read = 1;
        s.outlet_cell = n;
        for (ivec* v : {&s.rightcon, &s.belowcon, &s.leftcon, &s.abovecon})
            v->assign(n, 0);
        for (dvec* v : {&s.ov_depth, &s.ov_depth_old, &s.ov_qx, &s.ov_qy})
            v->assign(n, 0.0);
        for (int i = 1; i <= n; ++i) {
            const int c = (i - 1) % cols + 1, r = (i - 1) / cols + 1;
            s.rightcon[i] = c < cols ? i + 1 : 0;
            s.leftcon[i] = c > 1 ? i - 1 : 0;
            s.belowcon[i] = r < rows ? i + cols : 0;
            s.abovecon[i] = r > 1 ? i - cols : 0;
            s.ov_depth[i] = s.ov_depth_old[i] = 0.01 + 0.001 * (i % 9);
            s.ov_qx[i] = s.rightcon[i] ? 2e-4 * (i % 5) : 0.0;
            s.ov_qy[i] = s.belowcon[i] ? 1e-4 * ((i % 3) - 1) : 0.0;
        }
        s.ov_depth[77] = 0.0;
        grow_constituent_arrays(s, 2, n, 0);
        row_array_add_rows(s.ov_con_table_1, 2, n);
        for (int k = 1; k <= 2; ++k)
            for (int i = 1; i <= n; ++i) {
                s.ov_con_table_1[k][i] = 0.05;
                s.ov_decay[k][i] = 1e-4 * k;
                s.ov_conc[k][i] = (i % 11) * 0.3;
                s.ov_mass[k][i] = s.ov_conc[k][i] * s.ov_depth_old[i] * 100.0;
            }
        EXPECT_TRUE(ov_contam_alloc(s));
        s.contam_dt_days = 10.0 / day;
        s.contam_next = s.contam_dt_days;
        for (int step = 0; step < 5; ++step) {
            s.current_time = s.contam_next;
            for (int k = 1; k <= 2; ++k)
                ov_con_decay(s, k, 10.0);
            s.ov_loss_dt = 10.0;
            ov_contam_mass_step(s);
        }
        std::vector<double> result;
        for (int k = 1; k <= 2; ++k) {
            for (int i = 1; i <= n; ++i)
                result.push_back(s.ov_mass[k][i]);
            for (double v :
                 {s.event_ov_decay_mass[k], s.OV_MASS_DECAY[k], s.event_ov_neg_mass[k], s.land_mass[k][77]})
                result.push_back(v);
        }
        return result;
    };
    const std::vector<double> one = run(1);
    const std::vector<double> four = run(4);
    set_thread_count(processor_count());
    ASSERT_EQ(one.size(), four.size());
    EXPECT_GT(one[one.size() - 4], 0.0) << "decay was booked";
    EXPECT_EQ(one, four);
}

// The infiltration step around its schemes: the clock and the step length,
// the bookkeeping of the infiltrated water, the parking of the clock between
// the events of a long-term run, the exfiltration table and the event
// start's resets.
#include <gtest/gtest.h>

#include <memory>

#include "core/error_state.h"
#include "core/model_state.h"
#include "core/run_steps.h"
#include "subsurface/infiltration.h"
#include "subsurface/subsurface_steps.h"

namespace
{

const double day0 = 2451545.0;
const double minute = 1.0 / 1440.0;

// n ponded cells of 10 m with one Green-Ampt soil, clock due now, last pass
// two minutes ago.
std::unique_ptr<model_state> ponded(int n)
{
    auto s = std::make_unique<model_state>();
    s->num_cells = n;
    s->gridsize = 10.0;
    s->green_ampt = 1;
    s->time_tol = 1.1574074074074074e-7;
    s->current_time = day0;
    s->inf_next = day0;
    s->inf_last = day0 - 2.0 * minute;
    s->inf_dt_days = minute;
    s->ov_dt_days = minute;
    s->dist_ksat.assign(n, 1e-5);
    s->dist_cap_head.assign(n, 0.11);
    s->dist_porosity.assign(n, 0.45);
    s->dist_init_moisture.assign(n, 0.15);
    s->psi_dtheta.assign(n, 0.0);
    for (dvec* v : {&s->event_inf_depth, &s->inf_depth_mark, &s->inf_depth, &s->inf_rate, &s->et_removed})
        v->assign(n, 0.0);
    s->ov_depth.assign(n, 0.2);
    return s;
}

struct InfiltrationStep : testing::Test {
    void SetUp() override { error_state_clear(); }
    void TearDown() override { error_state_clear(); }
};

} // namespace

TEST_F(InfiltrationStep, BooksTheWaterTakenSinceTheLastPass)
{
    auto s = ponded(3);
    s->inf_next = day0 + minute; // not due
    infiltration_step(*s);
    EXPECT_EQ(s->ov_depth[1], 0.2);

    s->inf_next = day0;
    s->sacramento = s->conceptual_gw = s->soil_water_acct = 1;
    s->ovr_flow_block = 1;
    s->ov_block_frac.assign(3, 0.0);
    s->ov_block_frac[3] = 0.25;
    s->gw_exfil_any = 1; // the plain scheme never exfiltrates
    s->yes_exfil.assign(3, 1);
    infiltration_step(*s);
    // The step is the two minutes since the last pass.
    const double d = s->event_inf_depth[1];
    const double dt = (day0 - (day0 - 2.0 * minute)) * 86400.0;
    EXPECT_NEAR(dt, 120.0, 1e-4);
    EXPECT_NEAR(d, s->inf_rate[1] / 360000.0 * dt, 1e-15);
    EXPECT_NEAR(s->ov_depth[1], 0.2 - d, 1e-15);
    EXPECT_NEAR(s->infil_total, d * 100.0 * 2.75, 1e-12);
    EXPECT_NEAR(s->sac_inf_acc, 3.0 * d, 1e-15);
    EXPECT_NEAR(s->cgw_inf_acc, 3.0 * d, 1e-15);
    for (int i = 1; i <= 3; ++i) {
        EXPECT_EQ(s->inf_depth[i], d);
        EXPECT_EQ(s->et_removed[i], d);
        EXPECT_EQ(s->inf_depth_mark[i], s->event_inf_depth[i]);
    }
    EXPECT_EQ(s->exfil_vol_total, 0.0);
    EXPECT_EQ(s->inf_last, day0);
    EXPECT_EQ(s->inf_next, day0 + minute);

    // A second pass books only the new water.
    s->current_time = s->inf_next;
    const double before = s->infil_total;
    infiltration_step(*s);
    EXPECT_NEAR(s->infil_total - before, (s->event_inf_depth[1] - d) * 100.0 * 2.75, 1e-12);
}

TEST_F(InfiltrationStep, ClockParksOnTheNextEventBetweenStorms)
{
    auto s = ponded(2);
    s->soil_water_acct = 1;
    s->event_num = 1;
    s->event_start_times = {0.0, day0 - 1.0, day0 + 3.0};
    s->surface_active = 1; // still wet: the clock runs on
    infiltration_step(*s);
    EXPECT_EQ(s->inf_next, day0 + minute);

    s->current_time = s->inf_next;
    s->surface_active = 0;
    s->ov_con_trans = 1;
    s->contam_table_read = 1;
    infiltration_step(*s);
    EXPECT_EQ(s->inf_next, day0 + 3.0 + minute);
    EXPECT_EQ(s->precip_load_next, s->inf_next);
    EXPECT_EQ(s->contam_next, s->inf_next);
    EXPECT_EQ(s->soil_exch_next, s->inf_next);
    EXPECT_EQ(s->ov_loss_next, s->inf_next);
}

TEST_F(InfiltrationStep, ExfiltrationTable)
{
    // One cell, ground at 100 m with 0.01 m ponded, a 60 s step.
    struct exfil_case {
        const char* name;
        exfil_scheme scheme;
        int gw;
        double head;
        double expected; // E before the clip
    };
    const double dt = 60.0;
    const double surface = 100.01;
    const double ks = 2e-6, smd = 50.0;                 // m/s, cm
    const double k1 = 1.8, d1 = 10.0, d2 = 30.0;        // cm/h, cm
    const double gw_dt = 30.0, sy = 0.2;                // s, -
    const double avgks = 0.9, totaldz = 120.0;          // cm/h, cm
    const double leak = -(0.036 / 360000.0) * dt;       // 0.036 cm/h down
    const exfil_case cases[] = {
        {"redistribution, gw, above", exfil_scheme::redistribution, 1, 100.5, (100.5 - surface) * ks / 0.5 * dt},
        {"redistribution, gw, below", exfil_scheme::redistribution, 1, 99.0, leak},
        {"redistribution, no gw, above", exfil_scheme::redistribution, 0, 100.5, (100.5 - surface) * ks / 0.5 * dt},
        {"redistribution, no gw, below", exfil_scheme::redistribution, 0, 99.0, 0.0},
        {"multi-layer, gw, above", exfil_scheme::multi_layer, 1, 100.5, (100.5 - surface) * k1 / (d1 + d2) * dt / 3600},
        {"multi-layer, gw, below", exfil_scheme::multi_layer, 1, 99.0, leak},
        {"multi-layer, no gw, below", exfil_scheme::multi_layer, 0, 99.0, 0.0},
        {"Richards, gw, above", exfil_scheme::richards, 1, 100.5, (100.5 - surface) * dt / gw_dt * sy},
        {"Richards, gw, below", exfil_scheme::richards, 1, 99.0, leak},
        {"Richards, no gw, below", exfil_scheme::richards, 0, 100.005,
         (100.005 - surface) * avgks / totaldz * dt / 3600},
    };
    for (const exfil_case& c : cases) {
        auto s = ponded(1);
        s->ov_depth[1] = 0.01;
        s->ground_elev.assign(1, 100.0);
        s->elevgw.assign(1, c.head);
        s->yes_exfil.assign(1, 1);
        s->exfil_cell_depth.assign(1, 0.0);
        s->gw_simulation = c.gw;
        s->dist_ksat[1] = ks;
        s->soil_moist_depth = smd;
        s->gw_leakage_rate = 0.036;
        s->soiltype.assign(1, 7);
        s->soil_layers[7].hyd_cond[0] = k1;
        s->soil_layers[7].depth[0] = d1;
        s->soil_layers[7].depth[1] = d2;
        s->gw_dt = gw_dt;
        s->gw_spec_yield.assign(1, sy);
        s->avgks.assign(1, avgks);
        s->totaldz.assign(1, totaldz);
        exfiltrate(*s, dt, c.scheme);
        const double e = std::max(c.expected, -0.01); // clipped at the ponded depth
        EXPECT_NEAR(s->ov_depth[1], 0.01 + e, 1e-15) << c.name;
        EXPECT_NEAR(s->exfil_vol_total, e * 100.0, 1e-12) << c.name;
        EXPECT_NEAR(s->exfil_cell_depth[1], e, 1e-15) << c.name;
    }
}

TEST_F(InfiltrationStep, ExfiltrationClipsHoldsAndScalesBlockedCells)
{
    // Cell 1 leaks more than it holds, cell 2 is a head-boundary cell that
    // leaks, cell 3 a head-boundary cell that gains, cell 4 is half blocked
    // and gains, cell 5 lies under a channel lake, cell 6 does not exfiltrate.
    for (exfil_scheme scheme : {exfil_scheme::redistribution, exfil_scheme::multi_layer}) {
        auto s = ponded(6);
        s->gw_simulation = 1;
        s->ov_depth.assign(6, 1e-4);
        s->ground_elev.assign(6, 100.0);
        s->elevgw.assign(6, 101.0);
        s->elevgw[1] = s->elevgw[2] = 90.0;
        s->yes_exfil.assign(6, 1);
        s->yes_exfil[6] = 0;
        s->exfil_cell_depth.assign(6, 0.0);
        s->gw_leakage_rate = 36.0; // 1e-4 m/s: 6 mm in a minute
        s->soil_moist_depth = 100.0;
        s->soiltype.assign(6, 1);
        s->soil_layers[1].hyd_cond[0] = 3.6;
        s->soil_layers[1].depth[0] = 50.0;
        s->soil_layers[1].depth[1] = 50.0;
        s->ov_boundary = 1;
        s->boundary_type.assign(6, 0);
        s->boundary_type[2] = 3;
        s->boundary_type[3] = 9;
        s->ovr_flow_block = 1;
        s->ov_block_frac.assign(6, 0.0);
        s->ov_block_frac[4] = 0.5;
        s->chan_lakes = 1;
        s->lake_mask.assign(6, 0);
        s->lake_mask[5] = 1;
        s->soil_con_trans = 1;
        s->soil_con_exfil.assign(6, 0.0);
        exfiltrate(*s, 60.0, scheme);
        const double gain = (101.0 - 100.0001) * 1e-5 * 60.0; // both rows give the same here
        EXPECT_EQ(s->ov_depth[1], 0.0);
        EXPECT_EQ(s->ov_depth[2], 1e-4);
        EXPECT_EQ(s->ov_depth[3], 1e-4);
        EXPECT_NEAR(s->head_bc_in_total, 1e-4 * 100.0, 1e-15);
        EXPECT_NEAR(s->head_bc_out_total, gain * 100.0, 1e-12);
        EXPECT_NEAR(s->ov_depth[4], 1e-4 + gain, 1e-15);
        EXPECT_EQ(s->ov_depth[5], 1e-4);
        EXPECT_EQ(s->ov_depth[6], 1e-4);
        const bool before_scaling = scheme == exfil_scheme::redistribution;
        EXPECT_NEAR(s->exfil_cell_depth[4], before_scaling ? gain : 0.5 * gain, 1e-15);
        EXPECT_NEAR(s->exfil_vol_total, (-2e-4 + gain + 0.5 * gain) * 100.0, 1e-12);
        // The soil constituent step gets the volume that crossed the
        // surface (m3, negative down), as booked.
        EXPECT_NEAR(s->soil_con_exfil[1], -1e-4 * 100.0, 1e-15);
        EXPECT_NEAR(s->soil_con_exfil[4], 0.5 * gain * 100.0, 1e-15);
        EXPECT_EQ(s->soil_con_exfil[5], 0.0);
        EXPECT_EQ(s->soil_con_exfil[6], 0.0);
    }
}

TEST_F(InfiltrationStep, EventStartClearsTheEventDepthsAndSetsWetlands)
{
    // A long-term run's second event: the first left infiltrated depth and
    // ponded water; a wetland cell starts at its wetland's depth.
    auto s = ponded(3);
    s->time_tol = 1.1574074074074074e-7;
    s->current_time = s->next_event_time = day0;
    s->long_term = 1;
    s->super_quiet = 1;
    s->events_done = 1;
    s->event_inf_depth.assign(3, 0.04);
    s->inf_depth_mark.assign(3, 0.04);
    s->wetlands_on = 1;
    s->wetland_mask.assign(3, 0);
    s->wetland_mask[2] = 1;
    s->wetland_props.resize(2);
    s->wetland_props[1].initial_depth = 0.3;
    s->wetland_props[1].elevation_offset = 0.5;
    s->ground_elev.assign(3, 100.0);
    event_start_step(*s);
    for (int i = 1; i <= 3; ++i) {
        EXPECT_EQ(s->event_inf_depth[i], 0.0);
        EXPECT_EQ(s->inf_depth_mark[i], 0.0);
    }
    EXPECT_EQ(s->ov_depth[1], 0.0);
    EXPECT_EQ(s->ov_depth[2], 0.3);
    EXPECT_EQ(s->ov_depth[3], 0.0);
    // The offset lowered the ground at the first event only.
    EXPECT_EQ(s->ground_elev[2], 100.0);
}

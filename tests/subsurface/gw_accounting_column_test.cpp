// The accounting column and the water table (redistribution scheme): the
// storage coefficient by depth to the table, and the column update when
// groundwater reaches the ground, when the table rises into the column,
// falls within or below its greatest depth, and when the column's content
// leaves its limits.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>

#include "core/julian.h"
#include "coupling/coupling_services.h"
#include "input/time_series.h"
#include "subsurface/aquifer_fixture.h"
#include "subsurface/groundwater.h"
#include "subsurface/subsurface_steps.h"
#include "support/test_support.h"

namespace
{

// Cells of 10 m with the ground at 100 m; a column of at most 100 cm with a
// 30 cm top layer; porosity 0.4, residual 0.05, retained content 0.25,
// drained content below the column 0.1, aquifer porosity 0.3.
std::unique_ptr<model_state> columns(int n)
{
    auto s = make_aquifer(1, n, 10.0, 1e-4, 0.0, 99.0, 0.2);
    s->inf_redist = 1;
    s->soil_water_acct = 1;
    s->soil_moist_depth = 100.0;
    s->top_layer_depth = 30.0;
    s->event_step = 2;
    for (int c = 1; c <= n; ++c)
        s->ground_elev[c] = 100.0;
    for (dvec* v : {&s->soil_depth, &s->soil_water, &s->soil_water_top, &s->soil_water_low, &s->dist_porosity,
                    &s->dist_resid_sat, &s->dist_inf_col6, &s->gw_inf_redist_theta, &s->gw_porosity})
        v->assign(n, 0.0);
    for (ivec* v : {&s->yes_exfil, &s->lake_mask, &s->oland_lake_mask})
        v->assign(n, 0);
    for (int c = 1; c <= n; ++c) {
        s->dist_porosity[c] = 0.4;
        s->dist_resid_sat[c] = 0.05;
        s->dist_inf_col6[c] = 0.25;
        s->gw_inf_redist_theta[c] = 0.1;
        s->gw_porosity[c] = 0.3;
    }
    EXPECT_TRUE(groundwater_solver_alloc(*s, n));
    return s;
}

// A column of depth d (cm) holding water w (cm), split at the top layer by
// its mean content.
void set_column(model_state& s, int c, double d, double w)
{
    s.soil_depth[c] = d;
    s.soil_water[c] = w;
    s.soil_water_top[c] = d > 0.0 ? w * std::fmin(d, 30.0) / d : 0.0;
    s.soil_water_low[c] = w - s.soil_water_top[c];
}

} // namespace

TEST(GwAccountingColumn, StorageFollowsTheSoilTheTableMovesIn)
{
    auto s = columns(4);
    const double head[] = {100.0, 99.5, 98.0, 99.5};
    for (int c = 1; c <= 4; ++c)
        s->elevgw[c] = head[c - 1];
    s->dist_porosity[4] = 0.0; // not positive: the aquifer's, with a warning
    testing::internal::CaptureStdout();
    gw_storage_from_column(*s);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(s->gw_spec_yield[1], 1.0);
    EXPECT_EQ(s->gw_spec_yield[2], 0.4);
    EXPECT_EQ(s->gw_spec_yield[3], 0.3);
    EXPECT_EQ(s->gw_spec_yield[4], 0.3);
    EXPECT_EQ(out, "there is a problem with groundwater storage term");
    for (int c = 1; c <= 4; ++c)
        EXPECT_EQ(s->gw_head_old[c], head[c - 1]);
}

TEST(GwAccountingColumn, TheColumnFollowsTheTable)
{
    // 1 surface; 2 rise into the column; 3 fall within the column's depth;
    // 4 the same fall after the head rose; 5 fall below the greatest depth;
    // 6 a column below its residual content.
    auto s = columns(6);
    const double old_head[] = {99.0, 99.2, 99.6, 99.3, 99.1, 99.5};
    const double new_head[] = {100.0, 99.5, 99.4, 99.4, 98.5, 99.5};
    const double depth[] = {50.0, 80.0, 40.0, 40.0, 90.0, 50.0};
    const double water[] = {15.0, 24.0, 8.0, 8.0, 18.0, 1.0};
    for (int c = 1; c <= 6; ++c) {
        s->gw_head_old[c] = old_head[c - 1];
        s->elevgw[c] = new_head[c - 1];
        set_column(*s, c, depth[c - 1], water[c - 1]);
    }
    s->soil_recharge_gw[2] = 2.0; // booked before the update
    ASSERT_TRUE(gw_column_update(*s));

    // All the column's water joins the aquifer.
    EXPECT_EQ(s->yes_exfil[1], 1);
    EXPECT_EQ(s->gw_exfil_any, 1);
    EXPECT_EQ(s->soil_recharge_gw[1], 15.0);
    EXPECT_EQ(s->soil_depth[1] + s->soil_water[1] + s->soil_water_top[1] + s->soil_water_low[1], 0.0);
    // 50 cm left with 24 cm: 4 cm above saturation becomes recharge; the 2 cm
    // booked before were counted and cleared.
    EXPECT_EQ(s->soil_depth[2], 50.0);
    EXPECT_NEAR(s->soil_water[2], 20.0, 1e-12);
    EXPECT_NEAR(s->soil_recharge_gw[2], 4.0, 1e-12);
    EXPECT_NEAR(s->gw_recharge_total, 2.0 / 100.0 * 100.0, 1e-12);
    EXPECT_NEAR(s->richards_volume_event, 2.0, 1e-12);
    // 40 to 60 cm filled with 0.25, taken from the aquifer.
    EXPECT_NEAR(s->soil_depth[3], 60.0, 1e-9);
    EXPECT_NEAR(s->soil_water[3], 13.0, 1e-9);
    EXPECT_NEAR(s->soil_water_low[3], 8.0 * 10.0 / 40.0 + 5.0, 1e-9);
    EXPECT_NEAR(s->soil_recharge_gw[3], -5.0, 1e-9);
    // The head rose: the new depth stays empty.
    EXPECT_NEAR(s->soil_depth[4], 60.0, 1e-9);
    EXPECT_EQ(s->soil_water[4], 8.0);
    EXPECT_EQ(s->soil_recharge_gw[4], 0.0);
    // Down to 100 cm (2.5 cm filled); the 0.5 m fall below it takes 0.1 of
    // it from the aquifer as exchange with the unsaturated zone.
    EXPECT_NEAR(s->soil_depth[5], 100.0, 1e-9);
    EXPECT_NEAR(s->soil_water[5], 20.5, 1e-12);
    EXPECT_NEAR(s->soil_recharge_gw[5], -2.5, 1e-12);
    EXPECT_NEAR(s->gw_unsat_gain[5], -5.0, 1e-12);
    EXPECT_NEAR(s->gw_to_unsat_event, 5.0, 1e-12);
    EXPECT_NEAR(s->sat_unsat_volume, -5.0, 1e-12);
    // Residual 0.05 over 50 cm: the 1.5 cm missing comes from the aquifer.
    EXPECT_NEAR(s->soil_water[6], 2.5, 1e-12);
    EXPECT_NEAR(s->soil_recharge_gw[6], -1.5, 1e-12);
}

TEST(GwAccountingColumn, ACellInsideAnyActiveLakeDoesNotExfiltrate)
{
    // Channel and overland lakes both on: a cell in a channel lake only, one
    // in an overland lake only, one in neither.
    auto s = columns(3);
    s->chan_lakes = 1;
    s->overland_lake_on = 1;
    s->lake_mask[1] = 1;
    s->oland_lake_mask[2] = 1;
    for (int c = 1; c <= 3; ++c) {
        s->elevgw[c] = 100.0;
        set_column(*s, c, 20.0, 4.0);
    }
    ASSERT_TRUE(gw_column_update(*s));
    EXPECT_EQ(s->yes_exfil[1], 0);
    EXPECT_EQ(s->yes_exfil[2], 0);
    EXPECT_EQ(s->yes_exfil[3], 1);
    for (int c = 1; c <= 3; ++c)
        EXPECT_EQ(s->soil_recharge_gw[c], 4.0);
}

TEST(GwAccountingColumn, AHeadThatIsNotANumberStopsBeforeLaterCells)
{
    auto s = columns(2);
    s->elevgw[1] = std::nan("");
    s->elevgw[2] = 100.0;
    set_column(*s, 2, 20.0, 4.0);
    testing::internal::CaptureStdout();
    EXPECT_FALSE(gw_column_update(*s));
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("A non-real value for the groudwater head was detected for in cell 1 after running"),
              std::string::npos);
    EXPECT_EQ(s->soil_water[2], 4.0);
    EXPECT_EQ(error_state.raised, 1);
    error_state_clear();
}

TEST(GwAccountingColumn, GroundwaterAtTheSurfaceBetweenEventsStartsTheSurfaceOnce)
{
    // Two cells with the table at the ground, no event running; a 600 s
    // groundwater step due now, a base step of 30 s.
    auto s = columns(2);
    for (int c = 1; c <= 2; ++c) {
        s->elevgw[c] = 100.0;
        set_column(*s, c, 10.0, 2.0);
    }
    s->time_tol = 1.1574074074074074e-7;
    s->timestep_base = 30.0;
    s->current_time = 200.0;
    s->gw_dt_days = 600.0 / 86400.0;
    s->gw_next = 200.0;
    s->gw_last = 200.0 - s->gw_dt_days;
    testing::internal::CaptureStdout();
    groundwater_step(*s);
    ASSERT_FALSE(error_state.raised);
    EXPECT_EQ(s->gw_exfil_any, 1);
    EXPECT_EQ(s->surface_active, 1);
    EXPECT_EQ(s->ov_dt, 30.0);
    EXPECT_DOUBLE_EQ(s->inf_next, 200.0 + 30.0 / 86400.0);
    EXPECT_DOUBLE_EQ(s->et_next, s->inf_next);
    // The next step finds the surface running and leaves its clocks.
    s->ov_next = s->inf_next = 1234.0;
    s->current_time = s->gw_next;
    groundwater_step(*s);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(s->gw_exfil_any, 1);
    EXPECT_EQ(s->ov_next, 1234.0);
}

TEST(GwAccountingColumn, GroundwaterAtTheSurfaceRestartsTheRedistributionFromTheColumn)
{
    // Cell 1, held at the ground, exfiltrates (its column empties:
    // saturated start); cell 2 keeps
    // a 50 cm column with 6 cm in its 30 cm top layer; cell 3 a 50 cm column
    // within its limits whose top layer holds less than the residual
    // content.
    auto s = columns(3);
    s->elevgw[1] = 100.0;
    s->gwbound[1] = 2;
    s->elevgw[2] = 99.5;
    s->elevgw[3] = 99.5;
    set_column(*s, 1, 10.0, 2.0);
    set_column(*s, 2, 50.0, 10.0);
    set_column(*s, 3, 50.0, 10.6);
    s->soil_water_top[3] = 0.6;
    s->soil_water_low[3] = 10.0;
    for (dvec* v : {&s->dist_init_moisture, &s->redist_theta_1, &s->redist_theta_2, &s->event_inf_depth,
                    &s->inf_depth_mark, &s->redist_aux, &s->direct_evap})
        v->assign(3, 0.0);
    for (ivec* v : {&s->iter_pond_1, &s->iter_n, &s->no_wat_prof, &s->iter_i_less_k})
        v->assign(3, 1);
    s->event_inf_depth[2] = 0.7;
    s->direct_evap[2] = 1.0; // cm
    s->time_tol = 1.1574074074074074e-7;
    s->timestep_base = 30.0;
    s->current_time = 200.0;
    s->gw_dt_days = 60.0 / 86400.0;
    s->gw_next = 200.0;
    s->gw_last = 200.0 - s->gw_dt_days;
    testing::internal::CaptureStdout();
    groundwater_step(*s);
    const std::string out = testing::internal::GetCapturedStdout();
    ASSERT_FALSE(error_state.raised);
    ASSERT_EQ(s->surface_active, 1);
    EXPECT_EQ(s->redist_active, 1);
    EXPECT_EQ(s->dist_init_moisture[1], 0.4);
    EXPECT_NEAR(s->dist_init_moisture[2], s->soil_water_top[2] / 30.0, 1e-12);
    EXPECT_NEAR(s->dist_init_moisture[3], 0.06, 1e-12);
    EXPECT_NE(
        out.find("Problem initializing inf_redist in main loop, thi<thr at grid cell 3, increasing it to "
                 "0.060000"),
        std::string::npos);
    for (int c = 1; c <= 3; ++c) {
        EXPECT_EQ(s->redist_theta_1[c], s->dist_init_moisture[c]);
        EXPECT_EQ(s->redist_theta_2[c], s->dist_init_moisture[c]);
        EXPECT_EQ(s->iter_n[c] + s->iter_pond_1[c] + s->no_wat_prof[c] + s->iter_i_less_k[c], 0);
        EXPECT_EQ(s->event_inf_depth[c], 0.0);
    }
    EXPECT_EQ(s->direct_evap[2], 0.0);
    EXPECT_NEAR(s->direct_evap_total, 1.0, 1e-12); // 1 cm over 100 m2
}

TEST(GwAccountingColumn, NestedModelHeadsSetTheirCellsAndCloseTheBalance)
{
    // Three cells with the table 5 m down; cell 3 is held by an outer run's
    // XY_GW_HEAD series, 94 m at midnight and 96 m an hour later.
    torva_test::scratch_dir dir("gw_xy_heads");
    torva_test::write_file(dir.file("gw.xy"), "XY_GW_HEAD\n1\nDATE TIME 3\n2000 01 01 00 00\t 94.0\n"
                                              "2000 01 01 01 00\t 96.0\nEND_TS\n");
    auto s = columns(3);
    xy_input& in = s->cards.xy_in;
    read_xy_bdy_file(in, dir.file("gw.xy"), "groundwater", "XY_GW_HEAD", in.gw_series, in.gwpts,
                     in.num_gw_points, 1);
    ASSERT_EQ(in.num_gw_points, 1);
    s->gwbound[3] = 2;
    for (int c = 1; c <= 3; ++c) {
        s->elevgw[c] = 95.0;
        set_column(*s, c, 100.0, 25.0);
    }
    const double area = 100.0;
    auto volume = [&] {
        double v = 0.0;
        for (int c = 1; c <= 3; ++c)
            v += (s->elevgw[c] - s->bottom_elev[c]) * s->gw_porosity[c] * area;
        return v;
    };
    const double start = volume();
    s->time_tol = 1.1574074074074074e-7;
    s->gw_dt_days = 900.0 / 86400.0;
    s->current_time = julian_date(2000, 1, 1, 0, 15, 0.0);
    for (int step = 0; step < 2; ++step) {
        s->gw_next = s->current_time;
        s->gw_last = s->current_time - s->gw_dt_days;
        groundwater_step(*s);
        ASSERT_FALSE(error_state.raised);
        if (step == 0) {
            // 0.5 m lost over 100 m2 with the aquifer porosity 0.3.
            EXPECT_NEAR(s->elevgw[3], 94.5, 1e-6);
            EXPECT_NEAR(s->xy_gw_loss_total, 15.0, 1e-4);
            EXPECT_NEAR(s->xy_gw_loss_event, 15.0, 1e-4);
            EXPECT_EQ(s->xy_gw_gain_total, 0.0);
            EXPECT_LT(s->elevgw[2], 95.0); // the aquifer drains towards it
        }
        s->current_time += 2.0 * s->gw_dt_days;
    }
    // At 00:45 the head is 95.5 m: 1 m gained.
    EXPECT_NEAR(s->elevgw[3], 95.5, 1e-6);
    EXPECT_NEAR(s->xy_gw_gain_total, 30.0, 1e-4);
    // The stored water changes by what the solves moved plus the volumes of
    // the XY cells; what is left is the estimate of the fixed-head flux
    // from the held cell's own thickness.
    const double residual = volume() - start - s->gw_inputs_total - s->gw_boundary_flux_total -
                            s->xy_gw_gain_total + s->xy_gw_loss_total;
    EXPECT_LT(std::fabs(residual), 1e-3 * (s->xy_gw_gain_total + s->xy_gw_loss_total));
    ts_free_all();
}

// The groundwater step under Richards columns: a water table raised by
// injection and one lowered by pumping re-fit the column of their cell and
// book the water exchanged with the unsaturated zone (a rising table takes
// the column's lower water into the aquifer, a falling one gives the
// column water from it).
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "input/subsurface_inputs.h"
#include "subsurface/aquifer_fixture.h"
#include "subsurface/groundwater.h"
#include "subsurface/soil_tables.h"
#include "subsurface/subsurface_steps.h"

namespace
{

// Three cells of 10 m in a row over a bottom at 90 m, the ground at 100 m
// and the table 34.6 cm down; sand columns of 1 cm nodes (layers of 10, 20
// and 40 cm); cells 1 and 3 hold their heads.
std::unique_ptr<model_state> richards_aquifer()
{
    auto s = make_aquifer(1, 3, 10.0, 1e-4, 90.0, 99.654, 0.2);
    s->inf_richards = 1;
    s->richards_c_option = 2;
    s->richards_k_option = 2;
    s->water_table = 1;
    s->aquifer_delta_z = 0.1;
    soil_layer_rec& r = s->soil_layers[1];
    const double depth[] = {10.0, 20.0, 40.0};
    for (int L = 0; L < 3; ++L) {
        r.hyd_cond[L] = 33.984;
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
    for (ivec* v : {&s->num1, &s->num2, &s->num3})
        v->assign(1, 0);
    s->num1[1] = 10;
    s->num2[1] = 30;
    s->num3[1] = 71;
    s->soiltype.assign(3, 1);
    s->numcells.assign(3, 71);
    s->numtot.assign(3, 71);
    s->bound_type.assign(3, 1);
    s->yes_exfil.assign(3, 0);
    for (dvec* v : {&s->totaldz, &s->avgks, &s->dtr, &s->inf_rate, &s->event_inf_depth, &s->inf_rich,
                    &s->ov_depth, &s->unsat_down_flux, &s->root_depth, &s->soil_moisture})
        v->assign(3, 0.0);
    for (int c = 1; c <= 3; ++c) {
        s->ground_elev[c] = 100.0;
        s->dtr[c] = 10.0 / 3600.0;
    }
    alloc_richards_nodes(*s, 73);
    for (dvec* v : {&s->A, &s->B, &s->C, &s->D, &s->PHEADOLD, &s->theta_start, &s->k_interface,
                    &s->phead_iter, &s->rich_work_1, &s->rich_work_2})
        v->assign(73, 0.0);
    init_richards_columns(*s);
    s->gwbound[1] = s->gwbound[3] = 2;
    for (int c = 1; c <= 3; ++c)
        s->elevgw[c] = 99.654;
    // One groundwater step of 600 s due now.
    s->current_time = 100.0;
    s->time_tol = 1.1574074074074074e-7;
    s->gw_dt_days = 600.0 / 86400.0;
    s->gw_next = 100.0;
    s->gw_last = 100.0 - s->gw_dt_days;
    s->event_step = 2;
    return s;
}

} // namespace

TEST(GroundwaterRichards, RisingAndFallingTablesRefitTheColumnAndBookTheExchange)
{
    for (double well : {-2e-5, 2e-5}) { // injection, then pumping, m/s
        auto s = richards_aquifer();
        const int nodes = s->numcells[2];
        s->well_flux[2] = well;
        testing::internal::CaptureStdout();
        groundwater_step(*s);
        testing::internal::GetCapturedStdout();
        ASSERT_FALSE(error_state.raised) << well;
        const double moved = s->elevgw[2] - 99.654;
        if (well < 0.0) {
            EXPECT_GT(moved, 0.005);
            EXPECT_LT(s->numcells[2], nodes);
            EXPECT_LT(s->gw_to_unsat_event, 0.0); // the column's lower water joined the aquifer
        } else {
            EXPECT_LT(moved, -0.005);
            EXPECT_GT(s->numcells[2], nodes);
            EXPECT_GT(s->gw_to_unsat_event, 0.0); // the deepened column took water from it
        }
        EXPECT_NEAR(s->sat_unsat_volume, -s->gw_to_unsat_event, 1e-12);
        EXPECT_LE(s->dtr[2], 1.0 / 360.0);
        EXPECT_EQ(s->elevgw[1], 99.654);
        EXPECT_EQ(s->gw_sweep_order, 2);
        EXPECT_DOUBLE_EQ(s->gw_next, 100.0 + 600.0 / 86400.0);
        error_state_clear();
    }
}

// The overland sediment step on small planes: volume is conserved between
// the parent soil, the suspended load, the deposits and the outlet; dry
// cells settle everything; the load moves with the flow; lake cells take up
// what flows into them and give back their concentration; and a value that
// is not a number stops the run.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "core/error_state.h"
#include "core/platform.h"
#include "overland/overland_fixture.h"
#include "quality/sediment_block.h"
#include "quality/sediment_steps.h"

using namespace overland_test;

namespace
{

// Two classes (0.01 mm, fall velocity 1e-4 m/s; 0.3 mm, 0.04 m/s), parent
// fractions 0.4 and 0.6, method 3, no rain.
void add_sediment(model_state& s)
{
    const int n = s.num_cells;
    s.sed.soil_erosion = 1;
    s.sed.erosion_method = 3;
    s.sed.num_sed = 2;
    s.ov_sed_scheme = 1;
    s.ov_sed = std::make_unique<sediment_table>();
    sediment_table& t = *s.ov_sed;
    t.cell_tally.assign(n, 2, sed_tally());
    t.class_tally.assign(2, sed_tally());
    t.ov_qsvol.assign(n, 2, 0.0);
    t.ws_slope_x.assign(n, 0.0);
    t.ws_slope_y.assign(n, 0.0);
    t.q_out_mag.assign(n, 0.0);
    s.part_diam.assign(2, 0.01);
    s.part_diam[2] = 0.3;
    s.spec_grav.assign(2, 2.65);
    s.fall_velocity.assign(2, 1e-4);
    s.fall_velocity[2] = 0.04;
    s.sed_fract.assign(n, 2, 4, 0.0);
    s.ov_sed_vol_eroded.assign(n, 2, 0.0);
    s.ov_sed_vol_deposited.assign(n, 2, 0.0);
    for (dvec* v : {&s.qsx, &s.qsy, &s.splash_K, &s.sed_K, &s.detach_coef, &s.detach_crit, &s.detach_exp})
        v->assign(n, 0.0);
    s.rain_rate.assign(n, 0.0);
    s.ov_qx.assign(n, 0.0);
    s.ov_qy.assign(n, 0.0);
    for (int i = 1; i <= n; ++i) {
        s.sed_fract[i][1][1] = 0.4;
        s.sed_fract[i][2][1] = 0.6;
    }
}

// Sum of every slot over the cells: the parent soil taken (negative), the
// suspended load, the deposits and what left through the outlet.
double total_volume(const model_state& s)
{
    double v = 0.0;
    for (int i = 0; i <= s.num_cells; ++i)
        for (int m = 1; m <= 2; ++m) {
            const sed_tally& c = s.ov_sed->cell_tally[i][m];
            v += c.eroded + c.suspended + c.deposited + c.outlet;
        }
    return v;
}

} // namespace

TEST(OverlandSedimentStep, LoadMovesDownTheStripAndLeavesThroughTheOutlet)
{
    plane_desc desc;
    desc.rows = 1;
    desc.cols = 5;
    desc.depth = 0.01;
    auto s = make_plane(desc);
    add_sediment(*s);
    for (int i = 1; i <= 4; ++i)
        s->ov_qx[i] = 0.002;
    s->qout = 0.002;
    s->ov_sed->cell_tally[1][1].suspended = 1e-3;
    double outlet = 0.0;
    for (int step = 1; step <= 30; ++step) {
        ov_sediment_transport(*s, 10.0);
        ASSERT_EQ(error_state.raised, 0);
        ov_sediment_book_step(*s);
        EXPECT_NEAR(total_volume(*s), 1e-3, 1e-15) << "step " << step;
        const double now = s->ov_sed->cell_tally[5][0].outlet;
        EXPECT_GE(now, outlet);
        EXPECT_NEAR(s->ov_sed->last_outlet_vol, now - outlet, 1e-18);
        outlet = now;
    }
    EXPECT_GT(outlet, 0.0);
    // Flow detached parent soil, in the parent fractions.
    const sed_tally* cell2 = s->ov_sed->cell_tally[2];
    EXPECT_LT(cell2[1].eroded, 0.0);
    EXPECT_NEAR(cell2[1].eroded / cell2[2].eroded, 0.4 / 0.6, 1e-12);
    // The net deposition map adds up to deposits less what was taken.
    for (int i = 1; i <= 5; ++i) {
        const sed_tally* c = s->ov_sed->cell_tally[i];
        EXPECT_NEAR(s->ov_sed->ov_qsvol[i][0], c[1].eroded + c[2].eroded + c[1].deposited + c[2].deposited,
                    1e-15)
            << i;
    }
}

// One step of 10 s on the first of two cells, 1 cm deep on a 0.01 slope,
// 0.02 m3/s leaving through its right face, 5 mm/h of rain; capacity
// formula 2 with K = 3e-5. Worked independently:
//   splash: drop size 0.00124 x 5^0.182 = 0.0016620 m, damping
//     exp(1 - 0.01 / 0.0016620) = 0.0066257, E = 0.0066257 x 60 x 2.69e-8
//     x 5^1.6896 x 10 x 100 / 2645.23 = 6.1326766e-8 m3;
//   capacity 1.7e8 x 0.01^1.6667 x 0.002^2.035 x 3e-5 x 10 x 10 / 2645.23
//     = 2.8794052e-7 m3, above E: flow detachment with tau = 9792.342 x
//     0.01 x 0.01 = 0.97923 N/m2, u = 1 - E / C = 0.78702, T = 2e-5 x tau
//     x u x 10 x 100 / 2645.23 = 5.8268872e-6 m3;
//   eroded 5.8882139e-6 m3 in the parent fractions 0.4 and 0.6; the face
//     takes the capacity, the rest settles with the trap efficiency
//     1 - exp(-10 w / (U h)), U = 0.02 / (10 x 0.01) = 0.2 m/s: 0.39346934
//     for w = 1e-4 m/s, 1 for w = 0.04 m/s.
TEST(OverlandSedimentStep, ErodedAndDepositedVolumesOfACellMatchTheHandValues)
{
    plane_desc desc;
    desc.rows = 1;
    desc.cols = 2;
    desc.depth = 0.01;
    auto s = make_plane(desc);
    add_sediment(*s);
    s->sed.erosion_method = 2;
    s->sed_K.assign(2, 3e-5);
    s->rain_rate.assign(2, 5.0);
    s->ov_qx[1] = s->ov_qx[2] = 0.02;
    s->qout = 0.02;
    ov_sediment_transport(*s, 10.0);
    ASSERT_EQ(error_state.raised, 0);
    struct class_case {
        double eroded, deposited;
    };
    const class_case classes[] = {{2.3552855750134907e-06, 8.8141435552142e-07},
                                  {3.5329283625202356e-06, 3.360164053231012e-06}};
    for (int m = 1; m <= 2; ++m) {
        const class_case& c = classes[m - 1];
        EXPECT_NEAR(s->ov_sed_vol_eroded[1][m], c.eroded, 1e-9 * c.eroded) << m;
        EXPECT_NEAR(s->ov_sed->cell_tally[1][m].eroded, -c.eroded, 1e-9 * c.eroded) << m;
        EXPECT_NEAR(s->ov_sed_vol_deposited[1][m], c.deposited, 1e-9 * c.deposited) << m;
        EXPECT_NEAR(s->ov_sed->cell_tally[1][m].deposited, c.deposited, 1e-9 * c.deposited) << m;
    }
    EXPECT_NEAR(s->qsx[1], 2.8794051548203966e-07, 1e-9 * 2.88e-7);
}

TEST(OverlandSedimentStep, WithChannelRoutingNothingLeavesThroughTheOutletFace)
{
    plane_desc desc;
    desc.rows = 1;
    desc.cols = 3;
    desc.depth = 0.01;
    auto s = make_plane(desc);
    add_sediment(*s);
    s->chan_explicit = 1;
    s->qout = 0.01;
    s->ov_sed->cell_tally[3][1].suspended = 1e-3;
    ov_sediment_transport(*s, 10.0);
    EXPECT_EQ(s->ov_sed->cell_tally[3][0].outlet, 0.0);
    EXPECT_NEAR(total_volume(*s), 1e-3, 1e-18);
}

TEST(OverlandSedimentStep, DryCellSettlesItsWholeLoad)
{
    plane_desc desc;
    desc.rows = 2;
    desc.cols = 2;
    auto s = make_plane(desc);
    add_sediment(*s);
    s->ov_sed->cell_tally[2][1].suspended = 2e-3;
    s->ov_sed->cell_tally[2][2].suspended = 1e-3;
    ov_sediment_transport(*s, 10.0);
    EXPECT_EQ(s->ov_sed->cell_tally[2][1].suspended, 0.0);
    EXPECT_EQ(s->ov_sed->cell_tally[2][1].deposited, 2e-3);
    EXPECT_EQ(s->ov_sed_vol_deposited[2][0], 3e-3);
    // With nothing in suspension and no water, nothing else moved.
    EXPECT_EQ(total_volume(*s), 3e-3);
    EXPECT_EQ(s->ov_sed->cell_tally[1][1].deposited, 0.0);
}

TEST(OverlandSedimentStep, NotANumberStopsTheRun)
{
    plane_desc desc;
    desc.rows = 1;
    desc.cols = 3;
    auto s = make_plane(desc);
    add_sediment(*s);
    s->ov_sed->cell_tally[2][2].deposited = std::numeric_limits<double>::quiet_NaN();
    testing::internal::CaptureStdout();
    ov_sediment_transport(*s, 10.0);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("PT 3 deposited soil particle  2=Nan at grid 2\n"), std::string::npos) << out;
    EXPECT_EQ(error_state.raised, 1);
    error_state_clear();
}

// A plane of 4,900 cells runs the per-cell passes on several threads; the
// serial transport keeps every volume identical to a one-thread run.
TEST(OverlandSedimentStep, SameVolumesOnOneAndFourThreads)
{
    mat1<sed_tally> result[2];
    const int threads[2] = {1, 4};
    const int saved = thread_count();
    for (int r = 0; r < 2; ++r) {
        plane_desc desc;
        desc.rows = 70;
        desc.cols = 70;
        desc.slope_y = 0.005;
        desc.depth = 0.01;
        auto s = make_plane(desc);
        add_sediment(*s);
        const int n = s->num_cells;
        for (int i = 1; i <= n; ++i) {
            s->rain_rate[i] = 40.0 + (i % 7);
            s->ov_depth[i] = 0.005 + 0.001 * (i % 5);
            if (s->rightcon[i])
                s->ov_qx[i] = 1e-4 * ((i - 1) % 70 + 1);
            if (s->belowcon[i])
                s->ov_qy[i] = (i % 3 == 0 ? -2e-5 : 3e-5) * ((i - 1) / 70 + 1);
        }
        s->qout = 0.01;
        set_thread_count(threads[r]);
        for (int step = 0; step < 5; ++step) {
            ov_sediment_transport(*s, 10.0);
            ov_sediment_book_step(*s);
        }
        result[r] = s->ov_sed->cell_tally;
    }
    set_thread_count(saved);
    for (int i = 0; i <= 4900; ++i)
        for (int m = 1; m <= 2; ++m) {
            const sed_tally& a = result[0][i][m];
            const sed_tally& b = result[1][i][m];
            ASSERT_EQ(a.eroded, b.eroded) << i;
            ASSERT_EQ(a.suspended, b.suspended) << i;
            ASSERT_EQ(a.deposited, b.deposited) << i;
            ASSERT_EQ(a.outlet, b.outlet) << i;
        }
    EXPECT_LT(result[0][100][1].eroded, 0.0);
}

// Cells 4 and 5 of a strip of five are channel lake 1; class 1 is fine, class
// 2 sand. The lake's water stands 1 cm above the ground of cell 4.
void add_lake(model_state& s)
{
    s.chan_explicit = 1;
    s.chan_lakes = 1;
    s.num_lakes = 1;
    s.lake_mask.assign(5, 0);
    s.lake_mask[4] = s.lake_mask[5] = 1;
    s.lake_elev.assign(1, s.ground_elev[4] + 0.01);
    s.num_fine_classes = 1;
    s.sed_class.assign(2, 1);
    s.sed_class[2] = 2;
    s.sand.assign(2, 0);
    s.sand[2] = 1;
    s.sed_vol_overland_to_lake.assign(1, 2, 0.0);
    s.SS_conc_vol_lake.assign(1, 1, 0.0);
    s.SS_vol_lake_to_overland.assign(1, 1, 0.0);
    for (dvec* v : {&s.event_lake_depo_in, &s.tot_lake_depo_in})
        v->assign(1, 0.0);
}

TEST(OverlandSedimentStep, LakeCellsTakeUpTheLoadAndReturnTheirConcentrationOnceTheEventRuns)
{
    plane_desc desc;
    desc.rows = 1;
    desc.cols = 5;
    desc.depth = 0.01;
    auto s = make_plane(desc);
    add_sediment(*s);
    add_lake(*s);
    for (int i = 1; i <= 5; ++i)
        s->rain_rate[i] = 50.0;
    for (int i = 1; i <= 3; ++i)
        s->ov_qx[i] = 0.002;
    s->ov_sed->cell_tally[1][1].suspended = 1e-3;
    s->ov_sed->cell_tally[1][2].suspended = 1e-3;
    for (int step = 1; step <= 30; ++step) {
        ov_sediment_transport(*s, 10.0);
        ASSERT_EQ(error_state.raised, 0);
        // The fine class that entered the lake is the lake's; the sand lies
        // on the lake's edge cell and is booked there too.
        EXPECT_NEAR(total_volume(*s) + s->sed_vol_overland_to_lake[1][1], 2e-3, 1e-15) << step;
    }
    EXPECT_GT(s->sed_vol_overland_to_lake[1][1], 0.0);
    EXPECT_EQ(s->sed_vol_overland_to_lake[0][1], s->sed_vol_overland_to_lake[1][1]);
    EXPECT_DOUBLE_EQ(s->ov_sed->cell_tally[4][2].deposited, s->sed_vol_overland_to_lake[1][2]);
    EXPECT_DOUBLE_EQ(s->event_lake_depo_in[1], s->sed_vol_overland_to_lake[1][2]);
    for (int lake_cell : {4, 5})
        for (int m = 1; m <= 2; ++m) {
            EXPECT_EQ(s->ov_sed->cell_tally[lake_cell][m].eroded, 0.0); // open water is not eroded
            EXPECT_EQ(s->ov_sed->cell_tally[lake_cell][m].suspended, 0.0);
        }

    // Water leaving the lake onto cell 3 carries the lake's concentration,
    // but not before the event's first step.
    for (int i = 1; i <= 5; ++i) {
        s->ov_qx[i] = 0.0;
        s->rain_rate[i] = 0.0;
    }
    s->ov_qx[3] = -0.002;
    s->SS_conc_vol_lake[1][1] = 1e-4;
    const double into_lake = s->sed_vol_overland_to_lake[1][1];
    const double on_cell3 = s->ov_sed->cell_tally[3][1].suspended + s->ov_sed->cell_tally[3][1].deposited;
    s->event_step = 0;
    ov_sediment_transport(*s, 10.0);
    EXPECT_EQ(s->SS_vol_lake_to_overland[1][1], 0.0);
    EXPECT_EQ(s->sed_vol_overland_to_lake[1][1], into_lake);
    s->event_step = 1;
    ov_sediment_transport(*s, 10.0);
    const double v = 1e-4 * 0.002 * 10.0;
    EXPECT_DOUBLE_EQ(s->SS_vol_lake_to_overland[1][1], v);
    EXPECT_DOUBLE_EQ(s->sed_vol_overland_to_lake[1][1], into_lake - v);
    EXPECT_NEAR(s->ov_sed->cell_tally[3][1].suspended + s->ov_sed->cell_tally[3][1].deposited - on_cell3, v,
                1e-15);
}

// A channel lake that floods a cell takes up the sediment suspended over
// it: the fine class joins the lake, the sand also settles on the cell; no
// volume is made or lost, and nothing moves without channel sediment.
TEST(OverlandSedimentStep, ALakeFloodingACellTakesUpItsSuspendedSediment)
{
    plane_desc desc;
    desc.rows = 1;
    desc.cols = 5;
    desc.depth = 0.01;
    auto s = make_plane(desc);
    add_sediment(*s);
    add_lake(*s);
    s->ov_sed->cell_tally[3][1].suspended = 2e-3;
    s->ov_sed->cell_tally[3][2].suspended = 1e-3;

    lake_takes_cell_sediment(*s, 1, 3);
    EXPECT_EQ(s->sed_vol_overland_to_lake[1][1], 0.0); // channel sediment is off
    EXPECT_EQ(s->ov_sed->cell_tally[3][1].suspended, 2e-3);

    s->chan_sed_on = 1;
    lake_takes_cell_sediment(*s, 1, 3);
    EXPECT_EQ(s->sed_vol_overland_to_lake[1][1], 2e-3);
    EXPECT_EQ(s->sed_vol_overland_to_lake[0][1], 2e-3);
    EXPECT_EQ(s->sed_vol_overland_to_lake[1][2], 1e-3);
    EXPECT_EQ(s->ov_sed->cell_tally[3][2].deposited, 1e-3);
    EXPECT_EQ(s->event_lake_depo_in[1], 1e-3);
    EXPECT_EQ(s->tot_lake_depo_in[0], 1e-3);
    for (int m = 1; m <= 2; ++m)
        EXPECT_EQ(s->ov_sed->cell_tally[3][m].suspended, 0.0);
}

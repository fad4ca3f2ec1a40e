// The dissolved routing step: node sources from the accumulated loads (a
// loss never takes more than the node holds, pro rata parts of loads
// gathered over longer intervals, the nutrient interval in days), the
// booking of each term, dry and negative masses booked, the clock and
// qp_vol, the stop on a collapsing sub-step and on NaN masses, and results
// that do not depend on the thread count.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "core/error_state.h"
#include "input/quality_inputs.h"
#include "quality/chan_route_sources.h"
#include "quality/chan_wq_fixture.h"
#include "quality/quality_steps.h"

using namespace chan_wq_fixture;

namespace
{

constexpr double dt = 60.0;
constexpr double now = 2451545.0;

// A network with nc contaminants at rest, its routing step due now after a
// step of dt.
std::unique_ptr<model_state> make_route_state(const std::vector<int>& down, const std::vector<int>& kinds,
                                              double qv, int nc = 1)
{
    auto s = make_wq_network(down, kinds, qv);
    s->num_cells = 1;
    grow_constituent_arrays(*s, nc, 1, 0);
    s->chan_con_trans = 1;
    s->chan_con_output_name.clear(); // no "con_output" file
    s->contam_table_read = 1;
    alloc_channel_constituents(*s);
    s->time_tol = 1.1574074074074074e-7;
    s->current_time = now;
    s->chan_con_next = now;
    s->chan_con_last = now - dt / 86400.0;
    s->chan_next = now + dt / 86400.0;
    return s;
}

int node(const model_state& s, int l, int n)
{
    return s.node_dim * l + n;
}

} // namespace

TEST(ChanConSources, LoadsAreTakenWithinWhatTheNodeHolds)
{
    struct source_case {
        const char* what;
        double mass, point, decay, decay_len, lateral, qbn, qbn_len_days;
        int kind;
        double rate, decay_left, lateral_left, qbn_left;
    };
    const source_case cases[] = {
        {"decay beyond the mass empties the node", 10, 0, 50, dt, 0, 0, 0, 1, -10 / dt, 0, 0, 0},
        {"the point input is there to decay", 0, 5, 4, dt, 0, 0, 0, 1, 1 / dt, 0, 0, 0},
        {"decay of two steps: half now", 10, 0, 8, 2 * dt, 0, 0, 0, 1, -4 / dt, 4, 0, 0},
        {"a lateral loss keeps what it could not take", 3, 0, 0, dt, -5, 0, 0, 1, -3 / dt, 0, -2, 0},
        {"nutrient interval in days, compared in seconds", 10, 0, 0, dt, 0, 6, 2 * dt / 86400.0, 2, 3 / dt, 0,
         0, 3},
    };
    for (const source_case& c : cases) {
        auto s = make_route_state({0}, {4}, 0.0);
        s->chan_point_on = 1;
        s->constituent_type[1] = c.kind;
        const int j = node(*s, 1, 2);
        s->chan_node_mass[1][j] = c.mass;
        s->chan_point_mass_flux[1][j] = c.point;
        s->chan_mass[1][j] = c.decay;
        s->chan_kin_dt = c.decay_len;
        s->chan_qlat_mass[1][j] = c.lateral;
        s->ov_chan_exch_dt = dt;
        s->chan_qbn_source[1][j] = c.qbn;
        s->chan_qbn_dt = c.qbn_len_days;
        chan_source_terms taken;
        EXPECT_NEAR(chan_con_sources(*s, 1, j, dt, false, taken), c.rate, 1e-12) << c.what;
        EXPECT_NEAR(s->chan_mass[1][j], c.decay_left, 1e-12) << c.what;
        EXPECT_NEAR(s->chan_qlat_mass[1][j], c.lateral_left, 1e-12) << c.what;
        EXPECT_NEAR(s->chan_qbn_source[1][j], c.qbn_left, 1e-12) << c.what;
        EXPECT_EQ(s->chan_point_mass_flux[1][j], 0.0) << c.what;
        // What was taken is in the step accumulators.
        EXPECT_NEAR(taken.point - taken.decay + taken.ov + taken.qbn_gain - taken.qbn_loss, c.rate * dt,
                    1e-12)
            << c.what;
    }
}

// The change of a lake's dissolved share that the attached phase queued
// is taken whole into its source, a loss never more than the lake holds.
TEST(LakeConSources, TheAttachedPhaseSourceJoinsTheLake)
{
    const struct {
        double queued, rate;
    } cases[] = {{4.0, 4.0 / dt}, {-20.0, -10.0 / dt}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.queued);
        auto s = make_wq_network({2, 0}, {4, 32}, 0.0);
        s->num_cells = 1;
        s->sediment_contam = 1;
        s->sed.num_sed = 1;
        grow_constituent_arrays(*s, 1, 1, 0);
        s->chan_con_trans = 1;
        s->chan_con_output_name.clear();
        alloc_channel_constituents(*s);
        ASSERT_GE(s->lake_sed_contam_source.count, 1);
        s->lake_mass[1][1] = 10.0;
        s->lake_sed_contam_source[1][1] = c.queued;
        EXPECT_NEAR(lake_con_sources(*s, 1, 1, dt), c.rate, 1e-12);
        EXPECT_NEAR(s->lake_sed_contam_dmt[1], c.rate * dt, 1e-12);
        EXPECT_EQ(s->lake_sed_contam_source[1][1], 0.0);
    }
}

TEST(ChanContamRouteStep, BooksTheOutletAndKeepsTheChannelBalance)
{
    auto s = make_route_state({2, 0}, {4, 4}, 250.0);
    const int j = node(*s, 1, 2), outlet = node(*s, 2, nodes);
    s->chan_node_mass[1][j] = 1000.0;
    s->chan_conc[1][j] = 1000.0 / (area * dx);
    s->chan_node_mass[1][outlet] = 300.0;
    s->chan_outlet_acc[1] = 120.0;
    s->chan_outlet_dt = dt;
    chan_contam_route_step(*s);
    ASSERT_EQ(error_state.code, 0);
    double held = 0.0;
    for (int l = 1; l <= 2; ++l)
        for (int n = 1; n <= nodes; ++n)
            held += s->chan_node_mass[1][node(*s, l, n)];
    EXPECT_NEAR(held + 120.0, 1300.0, 1e-9);
    EXPECT_DOUBLE_EQ(s->chan_outlet_flux_event[1], 0.12);
    EXPECT_DOUBLE_EQ(s->chan_outlet_flux_total[1], 0.12);
    EXPECT_DOUBLE_EQ(s->GLOBAL_MASS_OUT[1], 0.12);
    // The step length comes from Julian days: exact to about 1e-7 s.
    EXPECT_NEAR(s->dissolved_chan_flux[1][outlet], 120.0 / dt, 1e-6);
    EXPECT_EQ(s->chan_outlet_acc[1], 0.0);
    EXPECT_EQ(s->chan_outlet_dmt[1], 0.0);
    // The clock moved and the water volumes were taken.
    EXPECT_EQ(s->chan_con_last, now);
    EXPECT_EQ(s->chan_con_next, s->chan_next);
    EXPECT_EQ(s->qp_vol[2][1], 0.0);
}

TEST(ChanContamRouteStep, NothingHappensWhenNotDueOrSwitchedOff)
{
    for (int off = 0; off <= 1; ++off) {
        auto s = make_route_state({0}, {4}, 250.0);
        const int j = node(*s, 1, 2);
        s->chan_node_mass[1][j] = 1000.0;
        if (off)
            s->chan_con_trans = 0;
        else
            s->chan_con_next = now + 1.0 / 86400.0;
        chan_contam_route_step(*s);
        EXPECT_EQ(s->chan_node_mass[1][j], 1000.0);
        EXPECT_EQ(s->qp_vol[2][1], 250.0);
    }
}

TEST(ChanContamRouteStep, ADryNodeLosesItsMassIntoTheBalance)
{
    auto s = make_route_state({0}, {4}, 0.0);
    const int j = node(*s, 1, 3);
    s->area[3][1] = 0.0; // dried during the channel step
    s->chan_node_mass[1][j] = 40.0;
    s->chan_conc[1][j] = 40.0 / (area * dx);
    chan_contam_route_step(*s);
    EXPECT_EQ(s->chan_node_mass[1][j], 0.0);
    EXPECT_EQ(s->chan_conc[1][j], 0.0);
    EXPECT_DOUBLE_EQ(s->chan_clip_mass_event[1], 0.04);
    EXPECT_DOUBLE_EQ(s->chan_clip_mass_total[1], 0.04);
}

TEST(ChanContamRouteStep, StopsOnACollapsingSubStepAndOnNotANumber)
{
    {
        // Decay takes the whole of node 2 while the flow also carries it
        // away: no sub-step keeps the node from going negative.
        auto s = make_route_state({0}, {4}, 250.0);
        const int j = node(*s, 1, 2);
        s->chan_node_mass[1][j] = 1000.0;
        s->chan_conc[1][j] = 2.0;
        s->chan_mass[1][j] = 1e9;
        s->chan_kin_dt = dt;
        error_state_clear();
        testing::internal::CaptureStdout();
        chan_contam_route_step(*s);
        const std::string out = testing::internal::GetCapturedStdout();
        EXPECT_EQ(out, "The channel water quality routing time step is getting really small\n"
                       "less than 1/1000 of a second\nProgram stopped.\n");
        EXPECT_EQ(error_state.code, err_stop);
    }
    {
        error_state_clear();
        auto s = make_route_state({0}, {4}, 250.0);
        s->chan_node_mass[1][node(*s, 1, 4)] = std::numeric_limits<double>::quiet_NaN();
        testing::internal::CaptureStdout();
        chan_contam_route_step(*s);
        const std::string out = testing::internal::GetCapturedStdout();
        // The NaN spreads through the faces; the first node in network
        // order that holds one is named.
        EXPECT_EQ(out.rfind("Total node mass, contam 1 chaddr ", 0), 0u) << out;
        EXPECT_NE(out.find(" NAN \n"), std::string::npos) << out;
        EXPECT_EQ(error_state.code, err_stop);
    }
    error_state_clear();
}

TEST(ChanContamRouteStep, OneAndFourThreadsRouteAlike)
{
    auto one = make_route_state({3, 3, 0}, {4, 4, 4}, 300.0, 5);
    auto four = make_route_state({3, 3, 0}, {4, 4, 4}, 300.0, 5);
    ASSERT_TRUE(chan_wq_setup(*one, 1));
    ASSERT_TRUE(chan_wq_setup(*four, 4));
    for (model_state* s : {one.get(), four.get()})
        for (int i = 1; i <= 5; ++i) {
            s->chan_node_mass[i][node(*s, 1, i)] = 100.0 * i;
            s->chan_node_mass[i][node(*s, 2, 1)] = 7.0;
            s->chan_node_disp[i][node(*s, 2, 2)] = 0.5;
        }
    chan_contam_route_step(*one);
    chan_contam_route_step(*four);
    for (int i = 1; i <= 5; ++i)
        for (int l = 1; l <= 3; ++l)
            for (int n = 1; n <= nodes; ++n)
                ASSERT_EQ(one->chan_node_mass[i][node(*one, l, n)],
                          four->chan_node_mass[i][node(*four, l, n)]);
}

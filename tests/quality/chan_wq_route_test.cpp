// The dissolved channel routing scheme: Courant-limited sub-steps (one when
// the Courant number is at most 0.5, never below 0.1 s by the Courant rule),
// the iteration limit that shortens later sub-steps, a failed sub-step that
// restarts from the state at the start of the step, the collapse below
// 0.01 s, dry nodes and lakes of no volume; mass is conserved throughout.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <numeric>
#include <vector>

#include "core/model_state.h"
#include "quality/chan_wq_fixture.h"
#include "quality/chan_wq_route.h"

namespace
{

using namespace chan_wq_fixture;

// Sizes the scheme for one thread, fills the network view and puts mass g
// at node n of link l (concentration mass / volume).
chan_wq_work& prepare(model_state& s, int l, int n, double mass)
{
    EXPECT_TRUE(chan_wq_setup(s, 1));
    chan_wq_net_fill(s, s.wq_net);
    chan_wq_work& w = s.wq_work[0];
    const int j = s.node_dim * l + n;
    w.M[j] = mass;
    w.C[j] = mass / (area * dx);
    return w;
}

double held(const model_state& s, const chan_wq_work& w)
{
    double m = 0.0;
    for (int l = 1; l <= s.num_links; ++l)
        if (!(s.ltype[l] & (32 | 64)))
            for (int k = 1; k <= nodes; ++k) {
                const double v = w.M[static_cast<std::size_t>(s.node_dim * l + k)];
                EXPECT_GE(v, 0.0);
                m += v;
            }
    return m;
}

} // namespace

TEST(ChanWqRoute, CourantNumberSetsTheSubStepsAndMassIsKept)
{
    struct courant_case {
        double qv, dt;
        int substeps;
    };
    // Courant number over the whole step qv / (dx x area) = qv / 500.
    const courant_case cases[] = {
        {250.0, 60.0, 1},  // 0.5: one sub-step
        {100.0, 60.0, 1},  // 0.2
        {1000.0, 60.0, 4}, // 2.0: h = dt x 0.5 / 2, then ends on the step
        {5000.0, 1.0, 10}, // 10 over one second: 0.05 s raised to 0.1 s
    };
    for (const courant_case& c : cases) {
        auto s = make_wq_network({2, 0}, {4, 4}, c.qv);
        chan_wq_work& w = prepare(*s, 1, 2, 1000.0);
        ASSERT_EQ(chan_wq_route(s->wq_net, *s, w, c.dt), 0);
        EXPECT_EQ(w.substeps, c.substeps) << c.qv;
        EXPECT_GE(w.last_h, 0.1 - 1e-12) << c.qv;
        EXPECT_NEAR(held(*s, w), 1000.0, 1e-9) << c.qv;
        EXPECT_EQ(w.removed, 0.0);
    }
}

TEST(ChanWqRoute, AFailedSubStepRestartsFromTheStartOfTheStep)
{
    // Strong dispersion over a whole step drives the neighbours of a pulse
    // negative; the routing restarts with halved sub-steps from the state
    // at the start of the step. Applying the accepted sub-steps twice would
    // create mass.
    auto s = make_wq_network({0}, {4}, 0.0);
    chan_wq_work& w = prepare(*s, 1, 3, 1000.0);
    for (int n = 1; n <= nodes; ++n)
        w.K[static_cast<std::size_t>(s->node_dim + n)] = 1e4;
    ASSERT_EQ(chan_wq_route(s->wq_net, *s, w, 60.0), 0);
    EXPECT_LT(w.last_h, 60.0);
    EXPECT_GT(w.substeps, 1);
    EXPECT_NEAR(held(*s, w) + w.removed, 1000.0, 1e-9);
    EXPECT_NEAR(held(*s, w), 1000.0, 1e-3);
}

TEST(ChanWqRoute, HundredIterationsShortenTheLaterSubSteps)
{
    // A concentration of 1e9 g/m3 converges to 1e-6 only slowly: once the
    // step has spent 100 iterations every later sub-step runs one iteration
    // and is at most 0.1 s.
    auto s = make_wq_network({2, 0}, {4, 4}, 1000.0);
    chan_wq_work& w = prepare(*s, 1, 1, 5e11);
    ASSERT_EQ(chan_wq_route(s->wq_net, *s, w, 600.0), 0);
    EXPECT_GT(w.iterations, 100);
    EXPECT_LE(w.last_h, 0.1);
    EXPECT_GT(w.last_h, 0.0);
    EXPECT_NEAR(held(*s, w) / 5e11, 1.0, 1e-12);
}

TEST(ChanWqRoute, ACollapsingSubStepIsReported)
{
    // A loss the node cannot give at any sub-step.
    auto s = make_wq_network({0}, {4}, 0.0);
    chan_wq_work& w = prepare(*s, 1, 3, 1.0);
    w.S[static_cast<std::size_t>(s->node_dim + 3)] = -1000.0;
    EXPECT_EQ(chan_wq_route(s->wq_net, *s, w, 1.0), -1);
}

TEST(ChanWqRoute, ANodeWithoutWaterHoldsNoMassAndItsMassIsBooked)
{
    auto s = make_wq_network({2, 0}, {4, 4}, 100.0);
    s->area[4][1] = s->area_old[4][1] = 0.0;
    chan_wq_work& w = prepare(*s, 1, 3, 1000.0);
    ASSERT_EQ(chan_wq_route(s->wq_net, *s, w, 60.0), 0);
    const std::size_t j = static_cast<std::size_t>(s->node_dim + 4);
    EXPECT_EQ(w.M[j], 0.0);
    EXPECT_EQ(w.C[j], 0.0);
    EXPECT_GT(w.removed, 0.0);
    EXPECT_NEAR(held(*s, w) + w.removed, 1000.0, 1e-9);
}

TEST(ChanWqRoute, LakeTakesWhatItsUpstreamLinkDeliversAndAnEmptyLakeHasNoConcentration)
{
    // Link 1 into lake link 2, lake link 2 into link 3.
    for (double volume : {0.0, 2000.0}) {
        auto s = make_wq_network({2, 3, 0}, {4, 32, 4}, 250.0);
        s->lake_volume[1] = s->lake_volume_last_chan[1] = volume;
        chan_wq_work& w = prepare(*s, 1, nodes, 1000.0);
        ASSERT_EQ(chan_wq_route(s->wq_net, *s, w, 60.0), 0);
        EXPECT_GT(w.lake_M[1], 0.0);
        EXPECT_TRUE(std::isfinite(w.lake_C[1]));
        if (volume == 0.0)
            EXPECT_EQ(w.lake_C[1], 0.0);
        else
            EXPECT_DOUBLE_EQ(w.lake_C[1], w.lake_M[1] / volume);
        // What left the lake reached link 3, and nothing was lost.
        EXPECT_NEAR(w.lake_in[1], w.to_lake, 1e-12);
        EXPECT_NEAR(held(*s, w) + w.lake_M[1], 1000.0, 1e-9) << volume;
    }
}

TEST(ChanWqRoute, StructurePassesTheMassOfTheNodeAbove)
{
    auto s = make_wq_network({2, 3, 0}, {4, 64, 4}, 250.0);
    chan_wq_work& w = prepare(*s, 1, nodes, 1000.0);
    for (int step = 0; step < 3; ++step)
        ASSERT_EQ(chan_wq_route(s->wq_net, *s, w, 60.0), 0);
    double below = 0.0;
    for (int k = 1; k <= nodes; ++k)
        below += w.M[static_cast<std::size_t>(s->node_dim * 3 + k)];
    EXPECT_GT(below, 0.0);
    EXPECT_NEAR(held(*s, w), 1000.0, 1e-9);
}

// The explicit overland scheme: the face law, the sub-step control with its
// notices, the end of the step, and results that do not depend on the
// thread count.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/error_state.h"
#include "core/platform.h"
#include "overland/ov_explicit.h"
#include "overland/overland_fixture.h"
#include "overland/overland_steps.h"

using namespace overland_test;

namespace
{

std::unique_ptr<model_state> explicit_plane(plane_desc desc)
{
    desc.overtype = 1;
    auto s = make_plane(desc);
    s->slope_x.assign(s->num_cells, 0.0);
    s->slope_y.assign(s->num_cells, 0.0);
    compute_cell_slopes(*s);
    alloc_overland_routing(*s);
    return s;
}

size_t count_of(const std::string& text, const std::string& part)
{
    size_t k = 0;
    for (size_t p = text.find(part); p != std::string::npos; p = text.find(part, p + 1))
        ++k;
    return k;
}

} // namespace

TEST(ExplicitFaceLaw, ManningAndWetlandVariants)
{
    plane_desc desc;
    desc.cols = 2;
    desc.rows = 2;
    desc.slope_x = 0.0;
    auto s = explicit_plane(desc);
    s->retent_dep[1] = 0.002;
    std::vector<wetland_rec> wet(2);
    wet[1].layer_depth = 0.1;           // T
    wet[1].layer_conductivity = 0.01;   // K1
    wet[1].transition_depth = 0.05;     // D
    wet[1].surface_conductivity = 0.02; // K2
    wet[1].wetland_roughness = 0.2;
    s->wetland_props = wet;
    s->wetland_mask.assign(4, 0);
    ov_explicit_grid g = ov_explicit_grid_from_state(*s);
    const double n = 0.05;
    auto man = [](double slope, double rough, double d) {
        return std::sqrt(slope) / rough * std::pow(d, 5.0 / 3.0);
    };

    struct face_case {
        const char* what;
        double hi, hj;
        bool wet_i, wet_j, right;
        double expected;
        bool tested;
    };
    const double T = 0.1, K1 = 0.01, D = 0.05, K2 = 0.02;
    const double s1 = 0.3 / 10.0; // head 0.3 m over 10 m
    const face_case cases[] = {
        {"level surfaces flow as if falling by 1e-20", 0.1, 0.1, false, false, true, man(1e-20, n, 0.098),
         true},
        {"below the retention depth nothing moves", 0.001, 0.5, false, false, true, 0.0, false},
        {"reverse flow on the neighbour's depth", 0.1, 0.4, false, false, true, -man(s1, n, 0.4 - 0.002),
         true},
        {"wetland water within the layer", 0.08, 0.05, true, true, true, K1 * 0.003 * 0.08, true},
        {"wetland above the transition depth", 0.5, 0.2, true, true, true, K1 * s1 * T + man(s1, 0.2, 0.4),
         true},
        {"wetland below the transition depth", 0.13, 0.1, true, true, true,
         K1 * 0.003 * T + (1.0 - 0.03 / D) * K2 * 0.003 * 0.03 + man(0.003, 0.2, 0.03) * 0.03 / D, true},
        {"wetland toward a plain cell, right face: roughness of i", 0.2, 0.5, true, false, true,
         -man(s1, n, 0.5), true},
    };
    for (const face_case& c : cases) {
        // Cell 1 and its right neighbour 2.
        s->wetland_mask[1] = c.wet_i ? 1 : 0;
        s->wetland_mask[2] = c.wet_j ? 1 : 0;
        s->ov_depth[1] = c.hi;
        s->ov_depth[2] = c.hj;
        s->wetlands_on = c.wet_i || c.wet_j;
        g = ov_explicit_grid_from_state(*s);
        bool tested = !c.tested;
        const double q = ov_explicit_face_q(g, 1, 2, c.right, s->ov_depth.data(), tested);
        EXPECT_NEAR(q, c.expected, 1e-12 + 1e-9 * std::fabs(c.expected)) << c.what;
        EXPECT_EQ(tested, c.tested) << c.what;
    }
    // Lower face from a wetland toward a plain cell above it: roughness of j.
    s->wetlands_on = 1;
    s->wetland_mask[1] = 1;
    s->wetland_mask[3] = 0;
    s->dist_rough[3] = 0.1;
    s->ov_depth[1] = 0.2;
    s->ov_depth[3] = 0.5;
    g = ov_explicit_grid_from_state(*s);
    bool tested = false;
    EXPECT_NEAR(ov_explicit_face_q(g, 1, 3, false, s->ov_depth.data(), tested), -man(s1, 0.1, 0.5), 1e-12);
}

TEST(ExplicitRoute, OneDivisionRemembersTheSubStepForFourCalls)
{
    // A 10 s step whose first face moves 0.13 m: divided once to 10/3 s.
    plane_desc desc;
    desc.cols = 2;
    desc.step = 10.0;
    auto s = explicit_plane(desc);
    ov_explicit_state st;
    for (const int quiet : {0, 1}) {
        st = ov_explicit_state();
        s->quiet = quiet;
        s->ov_depth[1] = 0.1;
        s->ov_depth[2] = 0.0;
        std::string out;
        testing::internal::CaptureStdout();
        ov_explicit_route(*s, st, 10.0);
        out = testing::internal::GetCapturedStdout();
        EXPECT_EQ(count_of(out, "need to split...(x-dir) curr_du="), 1u) << out;
        EXPECT_EQ(count_of(out, " *Changing overland time step to 3.33 seconds...\n"), quiet ? 0u : 1u)
            << out;
        EXPECT_DOUBLE_EQ(st.remembered_dt, 10.0 / 3.0);
        // The first call sweeps the lower faces first: one sweep of each
        // direction before the restart, then three sub-steps.
        EXPECT_EQ(st.sweeps, 2 + 3 * 2);
        for (int call = 1; call <= 4; ++call) {
            const long long before = st.sweeps;
            testing::internal::CaptureStdout();
            ov_explicit_route(*s, st, 10.0);
            out = testing::internal::GetCapturedStdout();
            EXPECT_EQ(out, "");
            EXPECT_EQ(st.sweeps - before, 6) << "call " << call; // three sub-steps of 10/3 s
        }
        const long long before = st.sweeps;
        testing::internal::CaptureStdout();
        ov_explicit_route(*s, st, 10.0);
        out = testing::internal::GetCapturedStdout();
        EXPECT_EQ(out, quiet ? "" : "Resetting time step to 10.00 for overland flow...\n");
        EXPECT_EQ(st.sweeps - before, 2);
    }
}

TEST(ExplicitRoute, TooSmallToDivideGoesOnAndBooksTheCleanUp)
{
    plane_desc desc;
    desc.cols = 3;
    auto s = explicit_plane(desc);
    s->ov_depth[1] = 5.0;
    const double start = surface_volume(*s);
    ov_explicit_state st;
    testing::internal::CaptureStdout();
    const double out_vol = ov_explicit_route(*s, st, 10.0);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(count_of(out, " *Changing overland time step to "), 5u);
    EXPECT_NE(out.find(" *Changing overland time step to 0.04 seconds...\n"), std::string::npos);
    EXPECT_EQ(count_of(out, " *Time step to small to divide, continuing with current time step\n"), 1u);
    for (int i = 1; i <= 3; ++i)
        EXPECT_GE(s->ov_depth[i], 0.0);
    // Water is kept: what is left plus the outlet volume, less the water the
    // clean-up added, is what was there.
    EXPECT_NEAR(surface_volume(*s) + out_vol - s->ov_cleanup_volume, start, 1e-9 * start);
}

TEST(ExplicitRoute, LastSubStepIsCutToTheRemainder)
{
    // Two fixed-head cells: the face carries the same discharge in every
    // sub-step, so the water passed shows the time routed.
    plane_desc desc;
    desc.cols = 2;
    desc.depth = 0.1;
    auto s = explicit_plane(desc);
    s->ov_boundary = 1;
    s->boundary_type.assign(2, 3);
    s->chan_explicit = 1; // no outlet drain
    ov_explicit_state st;
    st.remembered_dt = 3.0;
    st.calls_left = 2;
    ov_explicit_route(*s, st, 10.0);
    EXPECT_EQ(st.sweeps, 8);      // 3 + 3 + 3 + 1 s
    const double q = s->ov_qx[1]; // m3/s after the call
    EXPECT_GT(q, 0.0);
    EXPECT_NEAR(s->head_bc_in_total, q * 10.0, 1e-12);
    EXPECT_NEAR(s->head_bc_out_total, q * 10.0, 1e-12);
    EXPECT_EQ(s->ov_depth[1], 0.1);
    EXPECT_EQ(s->ov_depth[2], 0.1);
}

TEST(ExplicitRoute, OutletDrainsAtMostItsWaterAndNotWithChannels)
{
    plane_desc desc;
    desc.cols = 1;
    desc.depth = 0.001;
    auto s = explicit_plane(desc);
    s->outslope = 100.0; // drains far more than the cell holds in 10 s
    ov_explicit_state st;
    EXPECT_NEAR(ov_explicit_route(*s, st, 10.0), 0.1, 1e-15);
    EXPECT_EQ(s->ov_depth[1], 0.0);

    s->ov_depth[1] = 0.001;
    s->chan_explicit = 1;
    EXPECT_EQ(ov_explicit_route(*s, st, 10.0), 0.0);
    EXPECT_EQ(s->ov_depth[1], 0.001);
}

TEST(ExplicitRoute, EmbankmentSideAndMissingNeighbourCarryNothing)
{
    plane_desc desc;
    desc.rows = 2;
    desc.cols = 2;
    desc.depth = 0.05;
    desc.slope_y = 0.01;
    auto s = explicit_plane(desc);
    s->dike_map_given = 1;
    s->dike_mask.assign(4, 0);
    s->dike_mask[1] = 2 + 8; // embankment on the right side of cell 1
    ov_explicit_state st;
    ov_explicit_route(*s, st, 1.0);
    EXPECT_EQ(s->ov_qx[1], 0.0);
    EXPECT_GT(s->ov_qx[3], 0.0);
    EXPECT_EQ(s->ov_qx[2], 0.0); // no right neighbour
    EXPECT_EQ(s->ov_qy[3], 0.0); // no lower neighbour
    EXPECT_GT(s->ov_qy[1], 0.0);
}

TEST(ExplicitRoute, SameDepthsOnOneAndFourThreadsAndWaterKept)
{
    // 70 x 70 cells: above the single-thread cut-off. Uneven depths on a
    // tilted plane, three steps with sub-step divisions.
    plane_desc desc;
    desc.rows = 70;
    desc.cols = 70;
    desc.slope_y = 0.004;
    std::vector<std::vector<double>> depths;
    for (const int threads : {1, 4}) {
        set_thread_count(threads);
        auto s = explicit_plane(desc);
        for (int i = 1; i <= s->num_cells; ++i)
            s->ov_depth[i] = 0.01 + 0.02 * ((i * 37) % 11) / 10.0;
        s->ov_depth[2000] = 0.3;
        s->quiet = 1;
        const double start = surface_volume(*s);
        ov_explicit_state st;
        double out_vol = 0.0;
        testing::internal::CaptureStdout();
        for (int k = 0; k < 3; ++k)
            out_vol += ov_explicit_route(*s, st, 10.0);
        const std::string out = testing::internal::GetCapturedStdout();
        EXPECT_NE(out.find("need to split"), std::string::npos);
        EXPECT_GT(st.sweeps, 6); // some sub-steps were divided
        EXPECT_NEAR(surface_volume(*s) + out_vol - s->ov_cleanup_volume, start, 1e-10 * start);
        depths.emplace_back(s->ov_depth.data() + 1, s->ov_depth.data() + s->num_cells + 1);
    }
    set_thread_count(processor_count());
    EXPECT_TRUE(depths[0] == depths[1]);
}

TEST(ExplicitRoute, SavedDepthsFollowEachRunsCellCount)
{
    ov_explicit_state st;
    plane_desc small;
    small.cols = 3;
    small.depth = 0.01;
    auto a = explicit_plane(small);
    ov_explicit_route(*a, st, 5.0);
    plane_desc large;
    large.rows = 6;
    large.cols = 6;
    large.depth = 0.01;
    auto b = explicit_plane(large);
    const double start = surface_volume(*b);
    const double out_vol = ov_explicit_route(*b, st, 5.0);
    EXPECT_EQ(st.saved_depth.size(), 37u);
    EXPECT_NEAR(surface_volume(*b) + out_vol, start, 1e-12);
}

TEST(ExplicitRoute, ChannelLakeTakesItsFacesWaterOnOneAndFourThreads)
{
    // 70 x 70 cells falling toward a channel lake of four cells in the
    // middle; the steps are long enough for sub-step divisions.
    plane_desc desc; // the bowl plane's layout, for cell_of
    desc.rows = 70;
    desc.cols = 70;
    std::vector<std::vector<double>> depths;
    std::vector<double> volumes;
    for (const int threads : {1, 4}) {
        set_thread_count(threads);
        auto s = make_bowl_plane();
        const int n = s->num_cells;
        s->ov_depth[2000] = 0.4;
        s->chan_lakes = 1;
        s->num_lakes = 1;
        s->lake_mask.assign(n, 0);
        s->lake_volume.assign(1, 500.0);
        s->lake_elev.assign(1, 100.02);
        s->lake_in_dv.assign(1, 0.0);
        s->lake_out_dv.assign(1, 0.0);
        const int lake_cells[] = {cell_of(desc, 35, 35), cell_of(desc, 35, 36), cell_of(desc, 36, 35),
                                  cell_of(desc, 36, 36)};
        for (int c : lake_cells) {
            s->lake_mask[c] = 1;
            s->ov_depth[c] = 0.7; // never routed
        }
        s->quiet = 1;
        double start = -4 * 0.7 * 100.0 + 500.0;
        for (int i = 1; i <= n; ++i)
            start += s->ov_depth[i] * 100.0;
        ov_explicit_state st;
        double out_vol = 0.0;
        for (int k = 0; k < 3; ++k) {
            const double before = s->lake_volume[1];
            out_vol += ov_explicit_route(*s, st, 10.0);
            // The call's exchanges, of its completed attempt only.
            EXPECT_NEAR(s->lake_volume[1] - before, s->lake_in_dv[1] - s->lake_out_dv[1], 1e-9);
            s->lake_in_dv[1] = s->lake_out_dv[1] = 0.0;
        }
        EXPECT_GT(st.sweeps, 6); // some sub-steps were divided
        for (int c : lake_cells)
            EXPECT_EQ(s->ov_depth[c], 0.7);
        double end = -4 * 0.7 * 100.0 + s->lake_volume[1];
        for (int i = 1; i <= n; ++i)
            end += s->ov_depth[i] * 100.0;
        EXPECT_NEAR(end + out_vol - s->ov_cleanup_volume, start, 1e-9 * start);
        depths.emplace_back(s->ov_depth.data() + 1, s->ov_depth.data() + n + 1);
        volumes.push_back(s->lake_volume[1]);
    }
    set_thread_count(processor_count());
    EXPECT_TRUE(depths[0] == depths[1]);
    EXPECT_EQ(volumes[0], volumes[1]);
}

// Face discharges and the ADE depth update on small hand-made grids.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "core/platform.h"
#include "overland/ade_kernels.h"
#include "overland/overland_fixture.h"

using overland_test::make_plane;
using overland_test::plane_desc;

namespace
{

double manning(double d, double slope, double n, double dx)
{
    return std::pow(d, 5.0 / 3.0) * std::sqrt(std::fabs(slope)) / n * dx;
}

// Two cells side by side, ground 100.0 and 99.9, 10 m cells, n = 0.05.
std::unique_ptr<model_state> pair()
{
    plane_desc desc;
    desc.cols = 2;
    return make_plane(desc);
}

} // namespace

TEST(AdeFaceFluxes, ManningAndWhatStopsIt)
{
    const double base = manning(0.1, 0.01, 0.05, 10.0);
    struct face_case {
        const char* name;
        std::function<void(model_state&)> setup;
        double expected; // discharge from cell 1 to cell 2
    };
    const face_case cases[] = {
        {"Manning with the upstream depth", [](model_state& s) { s.ov_depth[1] = s.ov_depth[2] = 0.1; },
         base},
        {"toward cell 1 with cell 2's roughness",
         [](model_state& s) {
             s.ov_depth[2] = 0.5;
             s.dist_rough[2] = 0.1;
         },
         -manning(0.5, 0.04, 0.1, 10.0)},
        {"surface not above ground plus retention",
         [](model_state& s) {
             s.ov_depth[1] = 0.1;
             s.retent_dep[1] = 0.1;
         },
         0.0},
        {"downstream retention is not used",
         [](model_state& s) {
             s.ov_depth[1] = s.ov_depth[2] = 0.1;
             s.retent_dep[2] = 1.0;
         },
         base},
        {"embankment on the right side",
         [](model_state& s) {
             s.ov_depth[1] = s.ov_depth[2] = 0.1;
             s.dike_map_given = 1;
             s.dike_mask.assign(2, 0);
             s.dike_mask[1] = 2;
         },
         0.0},
        {"embankment only as the neighbour's left side",
         [](model_state& s) {
             s.ov_depth[1] = s.ov_depth[2] = 0.1;
             s.dike_map_given = 1;
             s.dike_mask.assign(2, 0);
             s.dike_mask[2] = 8;
         },
         base},
        {"blocked side",
         [](model_state& s) {
             s.ov_depth[1] = s.ov_depth[2] = 0.1;
             s.ovr_flow_block = 1;
             s.ov_block_frac.assign(2, 0.0);
             s.ovr_flow_block_frac.assign(2, 4, 0.0);
             s.ovr_flow_block_frac[1][2] = 0.25;
             s.ovr_flow_block_frac[2][4] = 0.1;
         },
         0.75 * base},
        {"depth-dependent roughness",
         [](model_state& s) {
             s.ov_depth[1] = s.ov_depth[2] = 0.1;
             s.roughness_exp[1] = 2.0;
         },
         manning(0.1, 0.01, 0.05 * std::exp(-0.2), 10.0)},
        {"wetland below its layer: linear, not blocked",
         [](model_state& s) {
             s.ov_depth[1] = 0.1;
             s.retent_dep[1] = 0.05;
             s.wetlands_on = 1;
             s.wetland_mask.assign(2, 0);
             s.wetland_mask[1] = 1;
             s.wetland_props.assign(2, wetland_rec{});
             s.wetland_props[1].layer_depth = 0.2;
             s.wetland_props[1].layer_conductivity = 1e-3;
             s.ovr_flow_block = 1;
             s.ov_block_frac.assign(2, 0.0);
             s.ovr_flow_block_frac.assign(2, 4, 0.5);
         },
         0.1 * 0.02 * 1e-3 * 10.0},
        {"channel-lake cell uses the lake stage",
         [](model_state& s) {
             s.chan_lakes = 1;
             s.num_lakes = 1;
             s.lake_mask.assign(2, 0);
             s.lake_mask[1] = 1;
             s.lake_elev.assign(1, 100.3);
             s.lake_volume.assign(1, 0.0);
         },
         manning(0.3, 0.04, 0.05, 10.0)},
        {"two channel-lake cells",
         [](model_state& s) {
             s.ov_depth[1] = 1.0;
             s.chan_lakes = 1;
             s.num_lakes = 1;
             s.lake_mask.assign(2, 1);
             s.lake_elev.assign(1, 100.3);
             s.lake_volume.assign(1, 0.0);
         },
         0.0},
        {"two overland-lake cells",
         [](model_state& s) {
             s.ov_depth[1] = 1.0;
             s.overland_lake_on = 1;
             s.num_oland_lakes = 1;
             s.oland_lake_new.assign(2, 1);
             s.oland_lakes.assign(2, ov_lake{});
             s.oland_lakes[1].stage = 101.0;
         },
         0.0},
    };
    for (const face_case& c : cases) {
        auto s = pair();
        c.setup(*s);
        const ade_grid g = ade_grid_from_state(*s);
        double q[3] = {7.0, 7.0, 7.0};
        ade_face_fluxes(g, s->ov_depth.data(), ade_x, q);
        EXPECT_NEAR(q[1], c.expected, 1e-12 + 1e-9 * std::fabs(c.expected)) << c.name;
        EXPECT_EQ(q[2], 0.0) << c.name << ": no right neighbour";
        EXPECT_EQ(q[0], 0.0) << c.name;
    }
}

TEST(AdeSweepUpdate, NegativeDepthsStatusAndBoundaryCells)
{
    // Cells 1..3 in a row; cell 2 receives q[1] and gives q[2] over 1 s.
    struct update_case {
        const char* name;
        double depth2;
        double q1, q2;
        int bc_type2;
        int status;
        double new_depth2;
        double cleanup;
        double bc_in, bc_out;
    };
    const double area = 100.0;
    const update_case cases[] = {
        {"ordinary update", 0.1, 1.0, 0.0, 0, 0, 0.11, 0.0, 0.0, 0.0},
        {"-5e-6 becomes 0 with status 1", 0.01, 0.0, (0.01 + 5e-6) * area, 0, 1, 0.0, 5e-6 * area, 0, 0},
        {"-5e-9 becomes 0, status stays 0", 0.01, 0.0, (0.01 + 5e-9) * area, 0, 0, 0.0, 5e-9 * area, 0, 0},
        {"-2e-5 restarts the step", 0.01, 0.0, (0.01 + 2e-5) * area, 0, 2, 0.0, 0.0, 0.0, 0.0},
        {"a shallow cell never trips the instability test", 0.005, 50.0, 0.0, 0, 0, 0.505, 0.0, 0, 0},
        {"a deeper one does", 0.02, 50.0, 0.0, 0, 1, 0.52, 0.0, 0, 0},
        {"a fixed-head cell keeps its depth and gives", 0.3, 0.0, 2.0, 3, 0, 0.3, 0.0, 2.0, 0.0},
        {"a fixed-head cell keeps its depth and takes", 0.3, 2.0, 0.0, 9, 0, 0.3, 0.0, 0.0, 2.0},
    };
    for (const update_case& c : cases) {
        plane_desc desc;
        desc.cols = 3;
        desc.depth = 1.0; // cells 1 and 3 stay well above 0
        auto s = make_plane(desc);
        s->ov_depth[2] = c.depth2;
        if (c.bc_type2) {
            s->ov_boundary = 1;
            s->boundary_type.assign(3, 0);
            s->boundary_type[2] = c.bc_type2;
        }
        const ade_grid g = ade_grid_from_state(*s);
        double q[4] = {0.0, c.q1, c.q2, 0.0};
        double change[4] = {};
        double sweep[4] = {0.0, 0.0, c.depth2, 0.0};
        const ade_sweep_result r =
            ade_sweep_update(g, ade_x, 1.0, q, s->ov_depth.data(), change, sweep, nullptr, 1.0);
        EXPECT_EQ(r.status, c.status) << c.name;
        if (c.status < 2) {
            EXPECT_NEAR(s->ov_depth[2], c.new_depth2, 1e-15) << c.name;
            EXPECT_NEAR(sweep[2], c.new_depth2, 1e-15) << c.name;
        }
        EXPECT_NEAR(r.cleanup, c.cleanup, 1e-15) << c.name;
        EXPECT_NEAR(r.bc_in, c.bc_in, 1e-12) << c.name;
        EXPECT_NEAR(r.bc_out, c.bc_out, 1e-12) << c.name;
    }
}

TEST(AdeSweepUpdate, NanDepthRestarts)
{
    plane_desc desc;
    desc.cols = 2;
    auto s = make_plane(desc);
    const ade_grid g = ade_grid_from_state(*s);
    double q[3] = {0.0, std::numeric_limits<double>::quiet_NaN(), 0.0};
    double change[3] = {};
    double sweep[3] = {};
    EXPECT_EQ(ade_sweep_update(g, ade_x, 1.0, q, s->ov_depth.data(), change, sweep, nullptr, 1.0).status, 2);
}

TEST(AdeCbrt, GuessIsTheThirdOfTheBitPatternAndTheRootIsClose)
{
    // The first guess of the root takes the third of the 64-bit pattern in
    // 32-bit halves; it must be the same integer as the 64-bit division, so
    // the root keeps its bits. Values of every exponent, and patterns whose
    // halves leave every pair of remainders.
    auto reference = [](double x) {
        std::uint64_t bits;
        std::memcpy(&bits, &x, sizeof bits);
        bits = bits / 3 + 0x2a9f7893782da1ceULL;
        double y;
        std::memcpy(&y, &bits, sizeof y);
        for (int k = 0; k < 2; ++k) {
            const double y3 = y * y * y;
            y = y * (y3 + 2.0 * x) / (2.0 * y3 + x);
        }
        return y;
    };
    std::vector<double> xs = {1e-32, 1e-10, 2.5e-5, 0.3, 1.0, 8.0, 27.0, 1e6, 1e300};
    for (std::uint64_t hi_rem = 0; hi_rem < 3; ++hi_rem)
        for (std::uint64_t lo_rem = 0; lo_rem < 3; ++lo_rem) {
            const std::uint64_t bits = ((0x3ff00000ULL + hi_rem) << 32) | (0xfffffff9ULL + lo_rem);
            double x;
            std::memcpy(&x, &bits, sizeof x);
            xs.push_back(x);
        }
    std::uint64_t state = 88172645463325252ULL;
    for (int k = 0; k < 20000; ++k) {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        const std::uint64_t bits = (state >> 2) | (1ULL << 52); // positive and normal
        double x;
        std::memcpy(&x, &bits, sizeof x);
        xs.push_back(x);
    }
    for (const double x : xs) {
        const double y = ade_cbrt(x);
        const double r = reference(x);
        EXPECT_EQ(std::memcmp(&y, &r, sizeof y), 0) << x;
        if (x > 1e-200 && x < 1e200) { // the steps' products stay normal numbers
            EXPECT_NEAR(y / std::cbrt(x), 1.0, 1e-14) << x;
        }
    }
}

namespace
{

// A 100 x 100 plane falling both ways with uneven depths of 1 to 5 cm:
// above the single-thread cut-off, so the sweep runs in thread blocks.
std::unique_ptr<model_state> uneven_plane()
{
    plane_desc desc;
    desc.rows = 100;
    desc.cols = 100;
    desc.slope_y = 0.005;
    auto s = make_plane(desc);
    for (int i = 1; i <= s->num_cells; ++i)
        s->ov_depth[i] = 0.01 + 0.04 * ((i * 37) % 101) / 101.0;
    return s;
}

} // namespace

TEST(AdeSweep, InPlaceUpdateEqualsTheUpdateFromTheFacesAtTheStart)
{
    // The sweep updates the depths in place, thread block by thread block;
    // it must give the bits of the update from the discharges of the depths
    // at the start of the sweep, on any thread count, on the plain grid (the
    // vector loops) and on one that is not (a depth-dependent roughness).
    for (const bool plain : {true, false})
        for (const ade_direction dir : {ade_x, ade_y})
            for (const int threads : {1, 3, 4}) {
                SCOPED_TRACE(std::string(plain ? "plain" : "rough_exp") + (dir == ade_x ? ", x" : ", y") +
                             ", threads " + std::to_string(threads));
                auto s = uneven_plane();
                if (!plain)
                    s->roughness_exp.assign(s->num_cells, 2.0);
                const ade_grid g = ade_grid_from_state(*s);
                ASSERT_EQ(g.plain(), plain);
                const int n = g.n;
                const double dt = 0.5;
                std::vector<double> q_ref(static_cast<size_t>(n) + 1);
                ade_face_fluxes(g, s->ov_depth.data(), dir, q_ref.data());
                const int* up = dir == ade_x ? g.left : g.above;
                std::vector<double> expect(static_cast<size_t>(n) + 1);
                const double scale = dt / (g.dx * g.dx);
                for (int i = 1; i <= n; ++i)
                    expect[i] = s->ov_depth[i] + (q_ref[up[i]] - q_ref[i]) * scale;

                set_thread_count(threads);
                std::vector<unsigned char> flags(static_cast<size_t>(n) + 1, 0);
                std::vector<double> q(static_cast<size_t>(n) + 1, 0.0);
                std::vector<double> qsum(static_cast<size_t>(n) + 1, 0.0);
                const ade_sweep_result r =
                    ade_sweep(g, dir, dt, s->ov_depth.data(), q.data(), nullptr, qsum.data(), 1.0, flags.data());
                set_thread_count(1);
                EXPECT_EQ(r.status, 0);
                int wrong = 0;
                for (int i = 1; i <= n; ++i)
                    if (s->ov_depth[i] != expect[i] || q[i] != q_ref[i] || qsum[i] != dt * q_ref[i])
                        ++wrong;
                EXPECT_EQ(wrong, 0);
            }
}

TEST(AdeSweep, NegativeDepthsLeaveTheVectorUpdateForTheCellByCellOne)
{
    // Cells 1..3 in a row; the faces of cells 1 and 2 are marked as solved
    // elsewhere, so cell 2 receives q1 and gives q2 over 1 s whatever its
    // depth. A depth that would fall below 0 is mended as the cell-by-cell
    // update does; a failing sweep leaves the cells after the failure as
    // they were.
    struct sweep_case {
        const char* name;
        double depth2;
        double q1, q2;
        int status;
        double new_depth2;
        double cleanup;
    };
    const double area = 100.0;
    const sweep_case cases[] = {
        {"ordinary update", 0.1, 1.0, 0.0, 0, 0.11, 0.0},
        {"-5e-6 becomes 0 with status 1", 0.01, 0.0, (0.01 + 5e-6) * area, 1, 0.0, 5e-6 * area},
        {"-5e-9 becomes 0, status stays 0", 0.01, 0.0, (0.01 + 5e-9) * area, 0, 0.0, 5e-9 * area},
        {"-2e-5 restarts the step", 0.01, 0.0, (0.01 + 2e-5) * area, 2, 0.0, 0.0},
        {"a deeper cell that changes by half trips the instability test", 0.02, 50.0, 0.0, 1, 0.52, 0.0},
    };
    for (const sweep_case& c : cases) {
        plane_desc desc;
        desc.cols = 3;
        desc.depth = 1.0;
        auto s = make_plane(desc);
        s->ov_depth[2] = c.depth2;
        const ade_grid g = ade_grid_from_state(*s);
        ASSERT_TRUE(g.plain());
        unsigned char flags[4] = {0, ade_stiff_face_bit[ade_x], ade_stiff_face_bit[ade_x], 0};
        double q[4] = {0.0, c.q1, c.q2, 0.0};
        double qsum[4] = {};
        const double depth3 = s->ov_depth[3];
        const ade_sweep_result r = ade_sweep(g, ade_x, 1.0, s->ov_depth.data(), q, nullptr, qsum, 1.0, flags);
        EXPECT_EQ(r.status, c.status) << c.name;
        EXPECT_NEAR(r.cleanup, c.cleanup, 1e-15) << c.name;
        if (c.status < 2) {
            EXPECT_NEAR(s->ov_depth[2], c.new_depth2, 1e-15) << c.name;
            EXPECT_NEAR(s->ov_depth[3], depth3 + c.q2 / area, 1e-15) << c.name;
        } else {
            EXPECT_EQ(s->ov_depth[3], depth3) << c.name;
        }
    }
}

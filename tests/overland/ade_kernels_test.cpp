// Face discharges and the ADE depth update on small hand-made grids.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>

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

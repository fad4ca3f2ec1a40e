// The pipe-network solver on networks loaded through the input hub: a
// network at rest stays at rest, a grate takes the weir flow of shallow
// water, a long pipe fed at a steady rate runs at normal depth with its
// water accounted for, parallel superlinks share the flow, and failures
// stop the run instead of ending the process.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include "channel/channel_steps.h"
#include "channel/superlink_geometry.h"
#include "channel/superlink_solver.h"
#include "superlink_fixture.h"

using namespace torva_test;

namespace
{

// Ten 100 m pipes of 1 m falling 1 m from a manhole without inlet to an
// outlet onto cell 9; `extra` adds lines (a parallel superlink).
std::string long_pipe(int links = 1)
{
    std::string t = "SJUNC 1 101 98 1.0 0 1 2 0 0\nSJUNC 2 99 97 0 888 3 3 0 0\n";
    for (int l = 1; l <= links; ++l) {
        t += "CONNECT " + std::to_string(l) + " 1 2\nSLINK " + std::to_string(l) + " 10\n";
        for (int k = 1; k <= 11; ++k)
            t += "NODE " + std::to_string(k) + " 101 " + std::to_string(98.0 - 0.1 * (k - 1)) +
                 " 0 0 0 0 0 0\n";
        for (int k = 1; k <= 10; ++k)
            t += "PIPE " + std::to_string(k) + " 1 1.0 0 0.001 0.013 100 0 0\n";
    }
    return t;
}

// Feeds q m3/s into superjunction 1 through the drain inflow of link 1.
void feed(model_state& s, double q)
{
    s.superlink_tile_flow.assign(s.num_slink, s.superlink_node_dim, 0.0);
    s.superlink_tile_flow[1][1] = q;
    s.tile_exchange_status = 1;
}

} // namespace

TEST_F(PipeProject, NetworkAtRestStaysAtRest)
{
    ASSERT_TRUE(load_pipes(two_pipe_network)) << out;
    model_state& p = *s;
    double captured = 0.0;
    for (int call = 0; call < 5; ++call)
        ASSERT_EQ(superlink_solve(p, call, 60.0, captured), 0);
    EXPECT_EQ(captured, 0.0);
    // Only the film of 0.1 mm the pipes start with moves.
    for (int j = 1; j <= 2; ++j)
        EXPECT_NEAR(p.sjunc_head[j], p.sjunc_invert_elev[j], 1e-3) << j;
    for (int k = 1; k <= 3; ++k)
        EXPECT_NEAR(p.slink_node_depth[1][k], 0.0, 1e-3) << k;
    EXPECT_NEAR(p.superlink_work.Q_dn[1], 0.0, 1e-6);
    file_rec_close(p.superlink_flows_file);
    const std::string flows = read_file(dir.file("superlink_flows.out"));
    EXPECT_EQ(
        flows.rfind("Call# VtoSL VtoTORVA   QtoSL    QtoTORVA \n0    0.000    0.000    0.000    0.000 \n", 0),
        0u)
        << flows;
    EXPECT_NE(flows.find("\n4    0.000 "), std::string::npos) << flows;
}

TEST_F(PipeProject, GrateTakesTheWeirFlowOfShallowWater)
{
    ASSERT_TRUE(load_pipes(two_pipe_network)) << out;
    model_state& p = *s;
    // 1 cm over a grate of 0.5 m side and 0.3 m opening: 0.0877 ft3/s.
    p.ov_depth[1] = 0.01;
    double captured = 0.0;
    ASSERT_EQ(superlink_solve(p, 0, 1.0, captured), 0);
    const double q = 3.0 * (3.0 * 3.28 * 0.5) * std::pow(3.28 * 0.01, 1.5) * 0.02832;
    EXPECT_NEAR(q, 0.00248, 1e-5);
    EXPECT_NEAR(captured, q, 1e-12);
    EXPECT_NEAR(p.ov_depth[1], 0.01 - q / 100.0, 1e-12);
    EXPECT_NEAR(p.cell_superlink_vol[1], q, 1e-12);

    // Over a long step the grate takes no more than the cell holds.
    p.ov_depth[1] = 0.01;
    captured = 0.0;
    ASSERT_EQ(superlink_solve(p, 2, 1000.0, captured), 0);
    EXPECT_NEAR(captured, 1.0, 1e-12);
    EXPECT_EQ(p.ov_depth[1], 0.0);
}

TEST(SuperlinkSubsteps, CourantLimitAndStretchedLastSubstep)
{
    EXPECT_EQ(superlink_first_substep(0.4, 60.0), 1.0);
    EXPECT_EQ(superlink_first_substep(0.4, 0.5), 0.5);
    EXPECT_EQ(superlink_first_substep(100000.0, 60.0), 60.0);
    const double dtau = superlink_first_substep(25.0, 60.0);
    EXPECT_EQ(dtau, 25.0);
    EXPECT_EQ(superlink_substep_length(dtau, 0.0, 60.0), 25.0);
    EXPECT_EQ(superlink_substep_length(dtau, 25.0, 60.0), 35.0); // 10 s would be left
}

TEST_F(PipeProject, SteadyInflowRunsAtNormalDepthAndIsAccountedFor)
{
    ASSERT_TRUE(load_pipes(long_pipe())) << out;
    model_state& p = *s;
    const double q = 0.3;
    feed(p, q);
    double captured = 0.0, released = 0.0;
    const int calls = 240;
    for (int call = 0; call < calls; ++call) {
        ASSERT_EQ(superlink_solve(p, call, 60.0, captured), 0);
        released += p.superlink_sjunc_outflow[2];
        p.superlink_sjunc_outflow[2] = 0.0;
    }
    double yn = 0.0;
    ASSERT_EQ(superlink_norm_calc(1, 1.0, 0.0, 0.013, q, 0.001, yn), 0);
    EXPECT_NEAR(p.slink_node_depth[1][6] / yn, 1.0, 0.05) << p.slink_node_depth[1][6] << " vs " << yn;
    EXPECT_NEAR(p.superlink_work.Q_dn[1], q, 0.01 * q);
    // The outlet holds its head at its invert; the water released there
    // lands on its cell.
    EXPECT_EQ(p.sjunc_head[2], 97.0);
    EXPECT_NEAR(p.ov_depth[9] * 100.0, released, 1e-9);
    // What came in left through the outlet or is still in the network.
    const double in = q * 60.0 * calls;
    EXPECT_NEAR((released + p.superlink_volume_remaining) / in, 1.0, 0.01)
        << released << " + " << p.superlink_volume_remaining << " vs " << in;
}

TEST_F(PipeProject, ParallelSuperlinksShareTheFlow)
{
    ASSERT_TRUE(load_pipes(long_pipe(2))) << out;
    model_state& p = *s;
    feed(p, 0.4);
    double captured = 0.0;
    for (int call = 0; call < 240; ++call)
        ASSERT_EQ(superlink_solve(p, call, 60.0, captured), 0);
    EXPECT_NEAR(p.superlink_work.Q_dn[1], 0.2, 0.005);
    EXPECT_NEAR(p.superlink_work.Q_dn[2], 0.2, 0.005);
}

TEST_F(PipeProject, SingularJunctionMatrixStopsTheRun)
{
    // A third manhole of no area that no superlink reaches.
    ASSERT_TRUE(load_pipes(std::string(two_pipe_network) + "SJUNC 3 100 98 0 0 2 2 0 0\n")) << out;
    double captured = 0.0;
    testing::internal::CaptureStderr();
    EXPECT_EQ(superlink_solve(*s, 0, 60.0, captured), -1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "Numerical Recipes run-time error...\nSingular matrix in routine ludcmp_rqx\n"
              "...now exiting to system...\n");
    EXPECT_EQ(error_state.code, err_stop);
}

TEST_F(PipeProject, FlowsFileThatCannotBeCreatedStopsTheRun)
{
    ASSERT_TRUE(load_pipes(two_pipe_network)) << out;
    model_state& p = *s;
    ASSERT_EQ(::mkdir(dir.file("superlink_flows.out").c_str(), 0755), 0);
    p.gw_surface_flag = 1;
    p.current_time = p.superlink_next_time = 2451545.0;
    p.superlink_last_time = p.current_time - 60.0 / 86400.0;
    p.time_tol = 0.01 / 86400.0;
    // The name resolver also tries the working folder: work in the project's.
    char cwd[4096];
    ASSERT_NE(::getcwd(cwd, sizeof cwd), nullptr);
    ASSERT_EQ(::chdir(dir.path().c_str()), 0);
    testing::internal::CaptureStdout();
    storm_sewer_step(p);
    const std::string printed_out = testing::internal::GetCapturedStdout();
    ASSERT_EQ(::chdir(cwd), 0);
    EXPECT_NE(printed_out.find("Can't open file superlink_flows.out'\n"), std::string::npos) << printed_out;
    EXPECT_EQ(error_state.code, err_stop);
}

TEST_F(PipeProject, SurchargedManholeSpillsAndWakesTheSurface)
{
    ASSERT_TRUE(load_pipes(two_pipe_network, "HIGH_HEAD_RELEASE\n")) << out;
    model_state& p = *s;
    const double dt_days = 60.0 / 86400.0;
    p.gw_surface_flag = 1;
    p.time_tol = 0.01 / 86400.0;
    p.ov_dt_days = 5.0 / 86400.0;
    p.superlink_interval = dt_days;
    p.current_time = p.superlink_next_time = 2451545.0;
    p.superlink_last_time = p.current_time - dt_days;
    storm_sewer_step(p); // the first call sets the network at rest
    ASSERT_EQ(error_state.code, 0);

    // The manhole stands 0.5 m above its rim while the watershed is dry
    // and asleep, its redistribution idle.
    p.sjunc_head[1] = p.sjunc_ground_elev[1] + 0.5;
    p.surface_active = 0;
    p.inf_redist = 1;
    p.redist_active = 0;
    for (int c = 1; c <= p.num_cells; ++c)
        p.ov_depth[c] = 0.0;
    p.current_time += dt_days;
    storm_sewer_step(p);
    ASSERT_EQ(error_state.code, 0);
    // Half a metre over the manhole's 1 m2 lands on its cell of 100 m2.
    EXPECT_NEAR(p.ov_depth[1], 0.5 * 1.0 / 100.0, 1e-12);
    EXPECT_NEAR(p.superlink_to_ov_total, 0.5, 1e-3); // and the film leaving the outlet
    EXPECT_EQ(p.superlink_surcharge_flag, 1);
    EXPECT_EQ(p.surface_active, 1);
    EXPECT_DOUBLE_EQ(p.ov_last, p.current_time);
    EXPECT_DOUBLE_EQ(p.ov_next, p.current_time + p.ov_dt_days);
    EXPECT_EQ(p.redist_active, 1);
    EXPECT_EQ(p.superlink_call_count, 2);
}

TEST_F(PipeProject, BandedAndDenseJunctionMatricesGiveTheSameHeads)
{
    // A chain of 20 manholes to an outlet, numbered along the chain (a band
    // of half width 1) and scattered (a dense matrix): the same network.
    const int J = 20;
    const auto chain = [&](int (*number)(int)) {
        std::string t;
        for (int j = 1; j <= J; ++j) {
            const double inv = 98.0 - 0.05 * (j - 1);
            t += "SJUNC " + std::to_string(number(j)) + " " + std::to_string(inv + 3.0) + " " +
                 std::to_string(inv) + (j == J ? " 0 888 3 3 0 0\n" : " 1 0 0 0 0 0\n");
        }
        for (int l = 1; l < J; ++l) {
            const double inv = 98.0 - 0.05 * (l - 1);
            t += "CONNECT " + std::to_string(l) + " " + std::to_string(number(l)) + " " +
                 std::to_string(number(l + 1)) + "\nSLINK " + std::to_string(l) + " 2\n";
            for (int k = 1; k <= 3; ++k)
                t += "NODE " + std::to_string(k) + " 101 " + std::to_string(inv - 0.025 * (k - 1)) +
                     " 0 0 0 0 0 0\n";
            t += "PIPE 1 1 0.6 0 0.0005 0.013 50 0 0\nPIPE 2 1 0.6 0 0.0005 0.013 50 0 0\n";
        }
        return t;
    };
    static int (*const along)(int) = [](int j) { return j; };
    static int (*const scattered)(int) = [](int j) { return (j * 7) % 20 + 1; };
    std::vector<double> heads[2];
    for (int pass = 0; pass < 2; ++pass) {
        int (*number)(int) = pass == 0 ? along : scattered;
        ASSERT_TRUE(load_pipes(chain(number))) << out;
        model_state& p = *s;
        feed(p, 0.05);
        double captured = 0.0;
        for (int call = 0; call < 30; ++call)
            ASSERT_EQ(superlink_solve(p, call, 60.0, captured), 0);
        EXPECT_EQ(p.superlink_work.lu.band >= 0, pass == 0);
        for (int j = 1; j <= J; ++j)
            heads[pass].push_back(p.sjunc_head[number(j)]);
    }
    EXPECT_GT(heads[0][0], 98.0 + 0.05); // water stands in the first manhole
    for (int j = 0; j < J; ++j)
        EXPECT_NEAR(heads[0][j], heads[1][j], 1e-10 * heads[1][j]) << j + 1;
}

TEST_F(PipeProject, FullBoxSegmentsKeepTheirOwnSection)
{
    std::string boxes = two_pipe_network;
    for (size_t at = 0; (at = boxes.find("1 0.5 0 0.01", at)) != std::string::npos;)
        boxes.replace(at, 12, "3 0.5 1.0 0.01");
    ASSERT_TRUE(load_pipes(boxes)) << out;
    model_state& p = *s;
    double captured = 0.0;
    ASSERT_EQ(superlink_solve(p, 0, 1.0, captured), 0);
    for (int k = 1; k <= 3; ++k)
        p.slink_node_depth[1][k] = 1.0; // above the 0.5 m box
    ASSERT_EQ(superlink_solve(p, 1, 1.0, captured), 0);
    // Area W x D and perimeter 2 (W + D) of the full box; a slot of 1 % of
    // its height as the top width.
    EXPECT_DOUBLE_EQ(p.superlink_work.A[1][1], 0.5);
    EXPECT_DOUBLE_EQ(p.superlink_work.wet_per[1][1], 3.0);
    EXPECT_DOUBLE_EQ(p.superlink_work.top_width[1][1], 0.005);
}

// Channel lakes in the routing: nodes captured and released by a lake with
// the water moved booked, and the pond example end to end with its lake
// series and balance.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>

#include "channel/chan_routing.h"
#include "channel/channel_services.h"
#include "channel/channel_fixture.h"
#include "channel/channel_steps.h"
#include "core/error_state.h"
#include "core/model_state.h"
#include "core/run_simulation.h"
#include "support/test_support.h"

using namespace torva_test;

namespace
{

double number_after(const std::string& text, const std::string& label)
{
    const size_t at = text.find(label);
    return at == std::string::npos ? NAN : std::atof(text.c_str() + at + label.size());
}

} // namespace

TEST_F(ChannelProject, LakeCapturesFloodedNodesAndReleasesThemWithTheirWater)
{
    ASSERT_TRUE(load_network(lake_network, lake_gst)) << out << err;
    model_state& m = *s;
    init_channel_state(m);
    ASSERT_EQ(error_state.raised, 0) << out;
    ASSERT_EQ(m.lake_mask[12], 1);
    for (int n = 1; n <= 3; ++n) {
        m.yp[n][1] = m.bel[n][1] + 0.2;
        m.chan_depth[n][1] = 0.2;
    }
    ex_section(m, 2);
    const double node_volume = m.area[3][1] * m.link_dx[1];
    ASSERT_GT(node_volume, 0.0);
    const double lake0 = m.lake_volume[1];

    testing::internal::CaptureStdout();
    // The lake floods cells 10 and 11: nodes 3 and 2 join it, the lowest first.
    m.lake_mask[10] = m.lake_mask[11] = 1;
    m.lake_elev[1] = 99.9;
    ASSERT_EQ(capture_lake_nodes(m), 0);
    EXPECT_EQ(m.nx[1], 1);
    EXPECT_EQ(m.route_work.status_node[2][1], 1);
    EXPECT_EQ(m.route_work.status_node[3][1], 1);
    EXPECT_NEAR(m.lake_volume[1], lake0 + 2.0 * node_volume, 1e-12);
    EXPECT_NEAR(m.lake_in_dv[1], 2.0 * node_volume, 1e-12);
    EXPECT_EQ(m.area[3][1], 0.0);

    // Cell 10 dries: node 2 comes back at the lake's level; node 3 stays
    // while its cell is flooded.
    m.lake_mask[10] = 0;
    ASSERT_EQ(capture_lake_nodes(m), 0);
    EXPECT_EQ(m.nx[1], 2);
    EXPECT_EQ(m.route_work.status_node[2][1], 0);
    EXPECT_NEAR(m.yp[2][1], 99.9, 1e-12);
    const double back = m.area[2][1] * m.link_dx[1];
    EXPECT_NEAR(m.lake_out_dv[1], back, 1e-12);
    EXPECT_NEAR(m.lake_volume[1], lake0 + 2.0 * node_volume - back, 1e-12);
    m.lake_mask[11] = 0;
    ASSERT_EQ(capture_lake_nodes(m), 0);
    const std::string screen = testing::internal::GetCapturedStdout();
    EXPECT_EQ(m.nx[1], 3);
    EXPECT_NE(screen.find("node taken: [3][1] lake_elev:   99.90, dslink:2 nx: 2\n"), std::string::npos) << screen;
    EXPECT_NE(screen.find("node released:[2][1], elev:99.3, depth:0.550, lakeelev:99.9, dslink:2,nx: 2, nx1_og: 3\n"),
              std::string::npos)
        << screen;

    // A node flooded to 0.998 stays in the channel.
    m.lake_mask[11] = 1;
    m.gst_pct[3][1] = 0.998;
    ASSERT_EQ(capture_lake_nodes(m), 0);
    EXPECT_EQ(m.nx[1], 3);
}

namespace
{

struct chlake_run {
    std::string lakes;
    std::string summary;
};

// The pond example, with extra cards appended to its project file.
chlake_run run_chlake(const std::string& extra)
{
    scratch_dir dir("chlake_example");
    const std::string from = std::string(TORVA_EXAMPLES) + "/chlake/";
    for (const char* f : {"chlake.msk", "chlake.ele", "chlake.chn", "chlake.gst"})
        write_file(dir.file(f), read_file(from + f));
    std::string prj = read_file(from + "chlake.prj") + extra;
    write_file(dir.file("chlake.prj"), prj.replace(prj.find('\n') + 1, 0, "PROJECT_PATH " + dir.path() + "\n"));
    reset_file_name_globals();
    error_state_clear();
    testing::internal::CaptureStdout();
    const int rc = run_simulation(dir.file("chlake.prj"), nullptr, "");
    const std::string out = testing::internal::GetCapturedStdout();
    reset_file_name_globals();
    error_state_clear();
    EXPECT_EQ(rc, 0) << out.substr(0, 3000);
    return {read_file(dir.file("chlake_lakes.out")), read_file(dir.file("chlake.sum"))};
}

void expect_lake_balance(const std::string& sum)
{
    const double in = number_after(sum, "Volume of flow into lakes=");
    const double final_volume = number_after(sum, "Final volume in perennial lakes");
    EXPECT_NEAR(60.0 + in - final_volume, 0.0, 0.02) << sum;
    EXPECT_LT(std::fabs(number_after(sum, "Perennial lake mass bal error m^3=")), 1e-6 * (60.0 + in)) << sum;
    EXPECT_LT(std::fabs(number_after(sum, "Overall mass balance error =")), 1e-4) << sum;
}

} // namespace

TEST(ChannelLakeExample, PondKeepsItsBalanceAndWritesItsSeries)
{
    const chlake_run run = run_chlake("");
    // One row a minute: time, stage and volume; the pond rises from the
    // curve's point (99.5 m, 60 m3) and the stage follows the curve.
    std::istringstream rows(run.lakes);
    std::string line;
    int count = 0;
    double last_stage = 0.0, last_volume = 0.0;
    while (std::getline(rows, line)) {
        double t = 0.0, stage = 0.0, volume = 0.0;
        ASSERT_EQ(std::sscanf(line.c_str(), "%lf %lf %lf", &t, &stage, &volume), 3) << line;
        char again[96];
        std::snprintf(again, sizeof again, "%14.8lf %9.3lf  %9.3lf \n", t, stage, volume);
        EXPECT_EQ(again, line + "\n");
        if (count == 0) {
            EXPECT_EQ(stage, 99.5);
            EXPECT_EQ(volume, 60.0);
        }
        if (volume <= 150.0) {
            EXPECT_NEAR(stage, 99.5 + (volume - 60.0) / 90.0 * 0.5, 0.0011) << line;
        }
        last_stage = stage;
        last_volume = volume;
        ++count;
    }
    EXPECT_EQ(count, 91);
    EXPECT_GT(last_volume, 80.0);
    EXPECT_GT(last_stage, 99.6);

    expect_lake_balance(run.summary);
}

TEST(ChannelLakeExample, ExplicitOverlandSchemeKeepsThePondsBalance)
{
    expect_lake_balance(run_chlake("OVERTYPE          explicit\n").summary);
}

// A POINTSOURCE series on a lake link is refused: its water would otherwise
// be dropped from the lake and the balances.
TEST_F(ChannelProject, PointSourceOnALakeLinkIsRefused)
{
    file("ts.txt", "TORVA_TS\ninflow\nABSOLUTE\n2000 1 1 0 0 0.3\n2000 1 2 0 0 0.3\nEND_TS\n");
    std::string net = lake_network;
    const std::string at = "INITWSE 99.5\n";
    net.insert(net.find(at) + at.size(), "POINTSOURCE inflow\n");
    ASSERT_TRUE(load_network(net, lake_gst)) << out << err;
    testing::internal::CaptureStdout();
    init_channel_state(*s);
    const std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_NE(error_state.raised, 0);
    EXPECT_NE(printed.find("Point sources on channel lakes (POINTSOURCE on lake link 2) are not available yet."),
              std::string::npos)
        << printed;
}

// A pipe network with a 999 outlet into the channel of the channel example:
// what the pipes carry enters the channel node, is reported as drains to
// channels, and the balances close; an outlet without its channel link or
// node stops the run with its lines.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>

#include "support/test_support.h"

using namespace torva_test;

namespace
{

// A manhole with two grates at row 1, column 2 drains through two 10 m
// pipes to channel link 1, node 3 (the SJUNC row and column of a 999
// outlet are its channel link and node).
const char* const channel_pipes = R"(SJUNC 1 100.15 99.50 1.0 2 1 2 0.6 0.4
SJUNC 2 98.90 99.20 0.0 999 1 3 0 0
CONNECT 1 1 2
SLINK 1 2
NODE 1 100.15 99.50 0 0 1 2 0 0
NODE 2 100.05 99.35 0 0 2 2 0 0
NODE 3 98.90 99.20 0 0 3 3 0 0
PIPE 1 1 0.3 0 0.015 0.013 10 0 0
PIPE 2 1 0.3 0 0.015 0.013 10 0 0
)";

int run_with_pipes(const scratch_dir& dir, const std::string& network, std::string& out,
                   const std::string& extra = "")
{
    for (const char* f :
         {"channel.prj", "channel.msk", "channel.ele", "channel.chn", "channel.gst", "channel.hyd"})
        write_file(dir.file(f), read_file(std::string(TORVA_EXAMPLES) + "/channel/" + f));
    write_file(dir.file("channel.pip"), network);
    write_file(dir.file("channel.prj"),
               read_file(dir.file("channel.prj")) + "STORM_SEWER channel.pip\n" + extra);
    return run_command("cd '" + dir.path() + "' && OMP_NUM_THREADS=1 '" + torva_exe() + "' channel.prj 2>&1",
                       out);
}

double summary_value(const std::string& text, const std::string& label)
{
    const size_t at = text.find(label);
    EXPECT_NE(at, std::string::npos) << label;
    return at == std::string::npos ? NAN : std::atof(text.c_str() + at + label.size());
}

} // namespace

TEST(PipesIntoChannel, OutletFeedsItsChannelNode)
{
    // The storm-sewer step books the outlets with HIGH_HEAD_RELEASE, the
    // channel step without.
    for (const char* extra : {"", "HIGH_HEAD_RELEASE\n"}) {
        scratch_dir dir("pipes_channel");
        std::string out;
        ASSERT_EQ(run_with_pipes(dir, channel_pipes, out, extra), 0) << out;
        const std::string sum = read_file(dir.file("channel.sum"));
        const double captured = summary_value(sum, "Volume of overland to subsurface drains");
        const double to_channels = summary_value(sum, "Volume of subsurface drains to channels");
        EXPECT_GT(captured, 1.0);
        EXPECT_GT(to_channels, 0.9 * captured);
        EXPECT_LE(std::fabs(summary_value(sum, "Subsurface drain mass bal error m^3=")), 0.01 * captured);
        EXPECT_NEAR(summary_value(sum, "volume of superlink to channels:"), to_channels, 0.1) << sum;
        // The channel took the water in: the balances still close.
        EXPECT_LT(std::fabs(summary_value(sum, "Overall mass balance error =")), 0.5) << sum;
        EXPECT_LT(std::fabs(summary_value(sum, "mass conservation error:")), 0.5) << sum;
    }
}

TEST(PipesIntoChannel, OutletWithoutChannelNodeStops)
{
    struct kase {
        const char* position;
        const char* lines;
    };
    for (const kase& k : {kase{"999 0 3", "Superlink outlet channel link not found, at superjunction 2\n"},
                          kase{"999 1 0", "Superlink outlet channel node not found, at superjunction 2\n"}}) {
        scratch_dir dir("pipes_channel_bad");
        std::string network = channel_pipes;
        network.replace(network.find("999 1 3"), 7, k.position);
        std::string out;
        EXPECT_EQ(run_with_pipes(dir, network, out), 1);
        EXPECT_NE(out.find(std::string(k.lines) +
                           "Check your superlink input file to insure that superlink outlets\n"
                           "terminate on stream arcs.\n"),
                  std::string::npos)
            << out;
    }
}

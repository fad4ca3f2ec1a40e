// Whole runs of the channel example: a plane draining into one trapezoidal
// link. The outlet hydrograph is the outlet node's discharge, rises to the
// rain rate times the area, the event balance closes, and one and four
// threads print the same hydrograph.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "support/test_support.h"

using namespace torva_test;

namespace
{

std::string run_channel_example(const scratch_dir& dir, int threads)
{
    for (const char* f : {"channel.prj", "channel.msk", "channel.ele", "channel.chn", "channel.gst"})
        write_file(dir.file(f), read_file(std::string(TORVA_EXAMPLES) + "/channel/" + f));
    std::string out;
    EXPECT_EQ(run_command("cd '" + dir.path() + "' && OMP_WAIT_POLICY=passive OMP_NUM_THREADS=" +
                              std::to_string(threads) + " '" + torva_exe() + "' channel.prj 2>&1",
                          out),
              0)
        << out;
    return out;
}

} // namespace

TEST(ChannelExample, RunsEndToEndAndClosesItsBalance)
{
    scratch_dir one("chan1"), four("chan4");
    run_channel_example(one, 1);
    run_channel_example(four, 4);
    const std::string otl = read_file(one.file("channel.otl"));
    EXPECT_EQ(otl, read_file(four.file("channel.otl")));

    // 15 cells of 10 m under 50 mm/h for 30 minutes.
    const double equilibrium = 50.0 / 1000.0 / 3600.0 * 1500.0;
    std::istringstream in(otl);
    double t = 0.0, q = 0.0, at_rain_end = -1.0, peak = 0.0;
    int rows = 0;
    while (in >> t >> q) {
        ++rows;
        peak = std::max(peak, q);
        if (std::fabs(t - 30.0) < 1e-9)
            at_rain_end = q;
    }
    EXPECT_EQ(rows, 61);
    EXPECT_NEAR(at_rain_end, equilibrium, 0.03 * equilibrium);
    EXPECT_LE(peak, equilibrium * 1.01 + 0.0005); // printed to 3 decimals

    const std::string sum = read_file(one.file("channel.sum"));
    EXPECT_NE(sum.find("lateral flow into channel"), std::string::npos) << sum;
    const std::size_t at = sum.find("mass conservation error:");
    ASSERT_NE(at, std::string::npos) << sum;
    double err = 100.0;
    ASSERT_EQ(std::sscanf(sum.c_str() + at, "mass conservation error: %lf", &err), 1);
    EXPECT_LT(std::fabs(err), 0.1);
}

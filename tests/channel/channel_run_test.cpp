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

// A link/node file as read back: its header items and the node values of
// every output time (one link).
struct linknode_file {
    std::string kind;
    int links = -1, time_step = -1, num_ts = -1;
    std::string start;
    std::vector<std::vector<double>> steps;
};

linknode_file read_linknode(const std::string& text)
{
    linknode_file f;
    std::istringstream in(text);
    std::string line;
    std::getline(in, f.kind);
    std::getline(in, line);
    EXPECT_EQ(std::sscanf(line.c_str(), "NUM_LINKS %d", &f.links), 1) << line;
    std::getline(in, line);
    EXPECT_EQ(std::sscanf(line.c_str(), "TIME_STEP %d", &f.time_step), 1) << line;
    std::getline(in, line);
    EXPECT_EQ(std::sscanf(line.c_str(), "NUM_TS %d", &f.num_ts), 1) << line;
    std::getline(in, f.start);
    while (std::getline(in, line)) {
        int ts = -1;
        EXPECT_EQ(std::sscanf(line.c_str(), "TS    %d", &ts), 1) << line;
        EXPECT_EQ(ts, static_cast<int>(f.steps.size()));
        std::getline(in, line);
        std::istringstream row(line);
        int count = 0;
        row >> count;
        std::vector<double> values;
        for (int k = 0; k < count; ++k) {
            int code = 0;
            double v = 0.0;
            row >> code >> v;
            EXPECT_EQ(code, 1);
            values.push_back(v);
        }
        EXPECT_TRUE(row.eof() || (row >> std::ws).eof()) << line;
        f.steps.push_back(values);
        std::getline(in, line);
        EXPECT_EQ(line, "");
    }
    return f;
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

    // The depth and discharge files: one link of five nodes at every minute
    // from 0; the outlet hydrograph is the last node's discharge.
    for (const char* name : {"channel.cdp", "channel.cdq"}) {
        SCOPED_TRACE(name);
        const linknode_file f = read_linknode(read_file(one.file(name)));
        EXPECT_EQ(f.kind, name[10] == 'p' ? "TORVA_LINKNODE_STREAM_DEPTH" : "TORVA_LINKNODE_STREAM_FLOW");
        EXPECT_EQ(f.links, 1);
        EXPECT_EQ(f.time_step, 1);
        EXPECT_EQ(f.num_ts, 60);
        EXPECT_EQ(f.start, "START_TIME     1  1 2000 12  0  0");
        ASSERT_EQ(f.steps.size(), 61u);
        for (const auto& step : f.steps)
            EXPECT_EQ(step.size(), 5u);
        if (name[10] == 'q') {
            std::istringstream rows(otl);
            for (const auto& step : f.steps) {
                double minutes = 0.0, outlet = 0.0;
                rows >> minutes >> outlet;
                EXPECT_NEAR(outlet, step[4], 0.0005 + 1e-9) << minutes;
            }
        }
    }

    const std::string sum = read_file(one.file("channel.sum"));
    EXPECT_NE(sum.find("lateral flow into channel"), std::string::npos) << sum;
    const std::size_t at = sum.find("mass conservation error:");
    ASSERT_NE(at, std::string::npos) << sum;
    double err = 100.0;
    ASSERT_EQ(std::sscanf(sum.c_str() + at, "mass conservation error: %lf", &err), 1);
    EXPECT_LT(std::fabs(err), 0.1);
}

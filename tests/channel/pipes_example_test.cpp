// Whole runs of the pipe example: a manhole in the upper row of a plane
// without channels captures runoff and releases it through an outlet onto
// the plane further down. The diagnostic file has a row per solver call,
// the drain balance closes to 1 % of the captured volume, the overall
// balance to 0.5 %, and the pipe link/node files follow their layout.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <sstream>
#include <string>

#include "support/test_support.h"

using namespace torva_test;

namespace
{

const char* const example_files[] = {"pipes.prj", "pipes.msk", "pipes.ele", "pipes.pip"};

std::string run_example(const scratch_dir& dir, const std::string& extra_cards = "")
{
    for (const char* f : example_files)
        write_file(dir.file(f), read_file(std::string(TORVA_EXAMPLES) + "/pipes/" + f));
    if (!extra_cards.empty())
        write_file(dir.file("pipes.prj"), read_file(dir.file("pipes.prj")) + extra_cards);
    std::string out;
    EXPECT_EQ(
        run_command("cd '" + dir.path() + "' && OMP_NUM_THREADS=1 '" + torva_exe() + "' pipes.prj 2>&1", out),
        0)
        << out;
    return out;
}

// The number after a label of the summary file.
double summary_value(const std::string& text, const std::string& label)
{
    const size_t at = text.find(label);
    EXPECT_NE(at, std::string::npos) << label;
    return at == std::string::npos ? NAN : std::atof(text.c_str() + at + label.size());
}

} // namespace

TEST(PipesExample, CapturesAndReleasesWithClosedBalances)
{
    scratch_dir dir("pipes");
    write_file(dir.file("pipes.jlc"), "1\n1\n");
    write_file(dir.file("pipes.nlc"), "2\n1 2\n1 4\n");
    const std::string out =
        run_example(dir, "PIPE_FLOW pipes.pfl\nPIPE_HEAD pipes.phd\n"
                         "SUPERLINK_JUNC_LOCATION pipes.jlc\nSUPERLINK_JUNC_FLOW pipes.jfl\n"
                         "SUPERLINK_NODE_LOCATION pipes.nlc\nSUPERLINK_NODE_FLOW pipes.nfl\n");
    EXPECT_NE(out.find("read superlink pipe file, 2 junctions, 1 links\n"), std::string::npos) << out;

    // One row per solver call, numbered from 0.
    std::istringstream flows(read_file(dir.file("superlink_flows.out")));
    std::string line;
    std::getline(flows, line);
    EXPECT_EQ(line, "Call# VtoSL VtoTORVA   QtoSL    QtoTORVA ");
    int rows = 0;
    double vin = 0.0;
    while (std::getline(flows, line)) {
        int call = -1;
        double a = 0.0, b = 0.0, c = 0.0, d = 0.0;
        ASSERT_EQ(std::sscanf(line.c_str(), "%d %lf %lf %lf %lf", &call, &a, &b, &c, &d), 5) << line;
        EXPECT_EQ(call, rows);
        vin += a;
        ++rows;
    }
    EXPECT_EQ(rows, 1440); // every 5 s pipe time of the 120 minutes

    const std::string sum = read_file(dir.file("pipes.sum"));
    const double captured = summary_value(sum, "Volume of overland to subsurface drains");
    const double released = summary_value(sum, "Volume of subsurface drains to overland");
    const double left = summary_value(sum, "Final volume in drains=");
    const double drain_error = summary_value(sum, "Subsurface drain mass bal error m^3=");
    EXPECT_GT(captured, 1.0);
    EXPECT_GT(released, 0.5 * captured);
    EXPECT_NEAR(vin, captured, 0.0005 * rows + 0.005); // rows printed to 1 litre
    EXPECT_LE(std::fabs(drain_error), 0.01 * captured) << captured << " " << released << " " << left;
    EXPECT_LT(std::fabs(summary_value(sum, "Overall mass balance error =")), 0.5) << sum;
    EXPECT_LT(std::fabs(summary_value(sum, "mass conservation error:")), 0.5) << sum;

    // The link/node files: one link of three pipes, a TS block per output
    // time; heads carry four values, flows three and an absent fourth.
    const std::string head = read_file(dir.file("pipes.phd"));
    EXPECT_EQ(
        head.rfind("TORVA_LINKNODE_SUPERLINK_HEAD\nNUM_LINKS     1\nTIME_STEP     12\nNUM_TS        10\n"
                   "START_TIME     1  1 2000 12  0  0\nTS    0\n4   1  0.00000   1  0.00000   1  0.00000   "
                   "1  0.00000   \n\nTS    1\n",
                   0),
        0u)
        << head.substr(0, 400);
    // The listed superjunction's inflow and the listed nodes' inflows, a
    // row per output time.
    const std::string jfl = read_file(dir.file("pipes.jfl"));
    EXPECT_EQ(jfl.rfind("    0.00000000     0.000000 \n", 0), 0u) << jfl;
    EXPECT_EQ(std::count(jfl.begin(), jfl.end(), '\n'), 11);
    const std::string nfl = read_file(dir.file("pipes.nfl"));
    EXPECT_EQ(nfl.rfind("    0.00000000     0.000000     0.000000 \n", 0), 0u) << nfl;

    const std::string flow = read_file(dir.file("pipes.pfl"));
    EXPECT_EQ(flow.rfind("TORVA_LINKNODE_SUPERLINK_FLOW\n", 0), 0u);
    EXPECT_NE(flow.find("TS    10\n4   1  0.00000   1  0.00000   1  0.00000   0  -999.999   \n\n"),
              std::string::npos)
        << flow.substr(flow.size() > 300 ? flow.size() - 300 : 0);
}

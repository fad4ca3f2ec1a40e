// The structure example end to end: a point input at the head of a channel
// link, a weir and a second link to the outlet settle to a steady flow. The
// pond behind the weir stands at the free-weir head, the weir, the outlet
// link and the outlet hydrograph carry the inflow, and the event balance
// books the point-input volume and closes.
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

// The values of the last output time of a link/node file, link by link
// (the structure link's "-2" entry as its one value).
std::vector<std::vector<double>> last_linknode_step(const std::string& text, int links)
{
    const std::size_t at = text.rfind("TS    ");
    std::istringstream in(text.substr(at));
    std::string line;
    std::getline(in, line);
    std::vector<std::vector<double>> out;
    for (int l = 0; l < links && std::getline(in, line); ++l) {
        std::istringstream row(line);
        int count = 0;
        row >> count;
        std::vector<double> values;
        if (count == -2) {
            double v = 0.0;
            row >> v;
            values.push_back(v);
        }
        for (int k = 0; k < count; ++k) {
            int code = 0;
            double v = 0.0;
            row >> code >> v;
            values.push_back(v);
        }
        out.push_back(values);
    }
    return out;
}

double summary_value(const std::string& sum, const std::string& label)
{
    const std::size_t at = sum.find(label);
    EXPECT_NE(at, std::string::npos) << label;
    double v = -1.0;
    if (at != std::string::npos)
        std::sscanf(sum.c_str() + at + label.size(), "%lf", &v);
    return v;
}

} // namespace

TEST(StructureExample, WeirReachesTheFreeWeirHeadAndTheBalanceCloses)
{
    scratch_dir dir("structure");
    for (const char* f : {"structure.prj", "structure.msk", "structure.ele", "structure.chn", "structure.gst",
                          "structure.pts"})
        write_file(dir.file(f), read_file(std::string(TORVA_EXAMPLES) + "/structure/" + f));
    std::string out;
    ASSERT_EQ(run_command("cd '" + dir.path() + "' && '" + torva_exe() + "' structure.prj 2>&1", out), 0)
        << out;

    const double Q = 1.0, C = 0.6, L = 2.0, crest = 98.40;
    const double H = std::pow(Q / (C * (2.0 / 3.0) * L * std::sqrt(19.62 / 3.0)), 2.0 / 3.0);
    const auto stage = last_linknode_step(read_file(dir.file("structure.cst")), 3);
    const auto flow = last_linknode_step(read_file(dir.file("structure.cdq")), 3);
    ASSERT_EQ(stage.size(), 3u);
    ASSERT_EQ(flow.size(), 3u);
    ASSERT_EQ(flow[0].size(), 5u);
    ASSERT_EQ(flow[1].size(), 1u); // the structure: "-2" and its discharge
    ASSERT_EQ(flow[2].size(), 5u);
    EXPECT_NEAR(stage[0].back() - crest, H, 0.01 * H);
    EXPECT_NEAR(flow[1][0], Q, 0.005 * Q);
    EXPECT_NEAR(flow[2].back(), Q, 0.005 * Q);

    std::istringstream otl(read_file(dir.file("structure.otl")));
    double t = 0.0, q = 0.0, last_q = -1.0;
    while (otl >> t >> q)
        last_q = q;
    EXPECT_DOUBLE_EQ(t, 120.0);
    EXPECT_NEAR(last_q, Q, 0.005 * Q);

    // 0.5 m3/s for the first ten minutes, 1 m3/s for the next 110.
    const std::string sum = read_file(dir.file("structure.sum"));
    EXPECT_NEAR(summary_value(sum, "volume of stream point sources:"), 0.5 * 600.0 + 1.0 * 6600.0, 0.05);
    EXPECT_LT(std::fabs(summary_value(sum, "mass conservation error:")), 0.1);
}

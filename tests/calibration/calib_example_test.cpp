#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "support/golden_compare.h"
#include "support/test_support.h"

namespace
{

namespace fs = std::filesystem;
using torva_test::read_file;
using torva_test::scratch_dir;

// A copy of the calibration example in a scratch folder.
void copy_example(const scratch_dir& dir)
{
    for (const auto& entry : fs::directory_iterator(std::string(TORVA_EXAMPLES) + "/calib"))
        fs::copy_file(entry.path(), fs::path(dir.path()) / entry.path().filename());
}

int run_in(const scratch_dir& dir, const std::string& args, std::string& out)
{
    return torva_test::run_command("cd '" + dir.path() + "' && '" + torva_test::torva_exe() + "' " + args,
                                   out);
}

// SCE-UA finds the roughness the observations were made with (0.05) and
// writes its files in their layouts; a second calibration makes the same
// trials.
TEST(CalibExample, SceCalibratesTheKnownRoughness)
{
    scratch_dir first("calib_sce");
    copy_example(first);
    std::string out;
    ASSERT_EQ(run_in(first, "-c sce.in", out), 0);
    const std::string key = "The best results of the SCE calibration after ";
    const std::size_t at = out.find(key);
    ASSERT_NE(at, std::string::npos) << out;
    int runs = 0;
    double best = 0.0;
    ASSERT_EQ(std::sscanf(out.c_str() + at + key.size(), "%d runs:\n%le", &runs, &best), 2);
    EXPECT_NEAR(best, 0.05, 0.05 * 0.02);
    EXPECT_LE(runs, 120);

    const torva_test::golden_tolerance tol{1e-4, 1e-6};
    const char* const files[][2] = {
        {"sce_output.out", "calib_sce_output.golden"},
        {"0000_sce_best.out", "calib_sce_best.golden"},
        {"0000_sce_log_file.txt", "calib_sce_log_file.golden"},
        {"0000_results_all.out", "calib_results_all.golden"},
        {"0000_0_cost.out", "calib_cost.golden"},
        {"0000_0_obs.log", "calib_obs_log.golden"},
    };
    for (const auto& f : files)
        EXPECT_TRUE(torva_test::matches_golden(f[1], read_file(first.file(f[0])), tol)) << f[0];

    scratch_dir second("calib_sce_again");
    copy_example(second);
    ASSERT_EQ(run_in(second, "-c sce.in", out), 0);
    EXPECT_EQ(read_file(second.file("0000_sce_log_file.txt")),
              read_file(first.file("0000_sce_log_file.txt")));
}

// Twenty samples: twenty runs and log lines, values inside the bounds, and
// best.out holding the run of smallest absolute cost.
TEST(CalibExample, MonteCarloTwentyRuns)
{
    scratch_dir dir("calib_mc");
    copy_example(dir);
    std::string out;
    ASSERT_EQ(run_in(dir, "-m20 mc.in", out), 0);
    std::size_t runs = 0;
    for (std::size_t p = out.find("Run time:"); p != std::string::npos; p = out.find("Run time:", p + 1))
        ++runs;
    EXPECT_EQ(runs, 20u);

    std::istringstream log(read_file(dir.file("0000_log_file_p0.log")));
    std::string line;
    std::getline(log, line);
    EXPECT_EQ(line, "Cost  \t[mann]\t");
    double best_cost = 0.0, best_value = 0.0;
    int lines = 0;
    while (std::getline(log, line)) {
        double cost = 0.0, value = 0.0;
        ASSERT_EQ(std::sscanf(line.c_str(), "%lf\t%le", &cost, &value), 2) << line;
        EXPECT_GE(value, 0.02);
        EXPECT_LT(value, 0.15);
        if (lines == 0 || std::fabs(cost) < std::fabs(best_cost)) {
            best_cost = cost;
            best_value = value;
        }
        ++lines;
    }
    EXPECT_EQ(lines, 20);
    char expected[100];
    std::snprintf(expected, sizeof expected, "%lf:  %le \n", best_cost, best_value);
    EXPECT_EQ(read_file(dir.file("0000_best.out")), expected);
}

} // namespace

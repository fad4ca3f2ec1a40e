// The eroding-plane example end to end: every class erodes, part of it
// leaves through the outlet, the event summary's sediment balances close,
// and one and four threads write the same files.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <sstream>
#include <string>

#include "support/test_support.h"

using namespace torva_test;

namespace
{

const char* const example_files[] = {"erosion.prj", "erosion.ele", "erosion.msk", "erosion_soil.idx",
                                     "erosion.cmt"};

// The example in the folder, its project file changed by `edit` when given.
void run_example(const std::string& folder, int threads, std::string (*edit)(std::string) = nullptr)
{
    for (const char* name : example_files) {
        const std::string text = read_file(std::string(TORVA_EXAMPLES) + "/erosion/" + name);
        write_file(folder + "/" + name, edit && std::string(name) == "erosion.prj" ? edit(text) : text);
    }
    std::string out;
    ASSERT_EQ(run_command("cd '" + folder + "' && OMP_NUM_THREADS=" + std::to_string(threads) + " '" +
                              torva_exe() + "' erosion.prj 2>&1",
                          out),
              0)
        << out;
}

// The number printed after the label (-1 when the label is missing); with
// last, after its last occurrence.
double summary_value(const std::string& text, const std::string& label, bool last = false)
{
    const std::size_t at = last ? text.rfind(label) : text.find(label);
    if (at == std::string::npos)
        return -1.0;
    double v = -1e9;
    std::sscanf(text.c_str() + at + label.size(), "%lf", &v);
    return v;
}

} // namespace

TEST(ErosionExample, ErodesCarriesAndBalances)
{
    scratch_dir one("erosion1");
    scratch_dir four("erosion4");
    run_example(one.path(), 1);
    run_example(four.path(), 4);
    const std::string sum = read_file(one.file("erosion.sum"));
    for (int c = 1; c <= 3; ++c) {
        const std::string k = std::to_string(c);
        const double eroded = summary_value(sum, "Total sediment " + k + " eroded from surface:");
        const double out = summary_value(sum, "Total sediment " + k + " routed through outlet");
        const double deposited = summary_value(sum, "Total sediment " + k + " deposited on surface:");
        EXPECT_GT(eroded, 1e-4) << sum;
        EXPECT_GT(out, 0.0) << sum;
        EXPECT_GT(deposited, 0.0) << sum;
        const double error = summary_value(sum, "Mass balance error for sediment " + k);
        EXPECT_LT(std::fabs(error), 0.001) << sum;
    }
    // The outlet sediment discharge: one row per hydrograph row, rising
    // above zero while the storm lasts.
    const std::string sed = read_file(one.file("erosion.sed"));
    std::istringstream rows(sed);
    std::string line;
    int count = 0;
    double peak = 0.0;
    while (std::getline(rows, line)) {
        double t = 0.0;
        double q = 0.0;
        ASSERT_EQ(std::sscanf(line.c_str(), "%lf %lf", &t, &q), 2) << line;
        peak = q > peak ? q : peak;
        ++count;
    }
    EXPECT_EQ(count, 11); // every 6 minutes from 0 to 60
    EXPECT_GT(peak, 0.0);
    for (const char* name : {"erosion.sum", "erosion.sed", "erosion.otl"})
        EXPECT_EQ(read_file(one.file(name)), read_file(four.file(name))) << name;
}

// The run ends ten minutes before the storm does, with a third of the
// finest class eroded still in suspension: the end-of-run overland balance
// of every class counts it, eroded = deposited + suspended + routed through the
// outlet to the printed precision, in the event's summary and the run's.
TEST(ErosionExample, BalanceCountsTheSedimentLeftSuspendedAtTheEnd)
{
    scratch_dir dir("erosion_suspended");
    run_example(dir.path(), 1, [](std::string prj) {
        const std::size_t at = prj.find("TOT_TIME        60");
        return at == std::string::npos ? prj : prj.replace(at, 18, "TOT_TIME        20");
    });
    const std::string sum = read_file(dir.file("erosion.sum"));
    for (bool last : {false, true})
        for (int c = 1; c <= 3; ++c) {
            const std::string k = std::to_string(c);
            const double eroded = summary_value(sum, "Total sediment " + k + " eroded from surface:", last);
            const double deposited =
                summary_value(sum, "Total sediment " + k + " deposited on surface:", last);
            const double suspended =
                summary_value(sum, "Total sediment " + k + " remaining in suspension:", last);
            const double out = summary_value(sum, "Total sediment " + k + " routed through outlet", last);
            if (c == 1) {
                EXPECT_GT(suspended, 0.3 * eroded) << sum;
            }
            EXPECT_NEAR(deposited + suspended + out, eroded, 3e-8) << sum;
            EXPECT_LT(std::fabs(summary_value(sum, "Mass balance error for sediment " + k, last)), 1e-4)
                << (last ? "run" : "event") << "\n"
                << sum;
        }
}

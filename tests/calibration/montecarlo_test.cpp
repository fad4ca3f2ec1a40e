#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "calibration/montecarlo.h"
#include "core/file_rec.h"
#include "core/proc_group.h"
#include "input/replace_params.h"
#include "support/test_support.h"

namespace
{

using torva_test::read_file;
using torva_test::write_file;

std::vector<double> scripted_costs;
std::vector<std::vector<double>> samples_seen;

double scripted_trial(const std::string&, const std::string&, const double* x, obs_objective& obj, int n,
                      const std::string& mode)
{
    EXPECT_EQ(mode, "temp");
    samples_seen.emplace_back(x, x + n + 1);
    const double cost = scripted_costs[(samples_seen.size() - 1) % scripted_costs.size()];
    obj.evaluate({}, {}, 0, n, x); // one record for the results file
    return cost;
}

long long fixed_clock()
{
    return 1234567;
}

struct MonteCarlo : testing::Test {
    torva_test::scratch_dir dir{"montecarlo"};
    long long (*saved_clock)() = montecarlo_clock;

    void SetUp() override
    {
        reset_file_name_globals();
        std::string folder = dir.path();
        set_project_path(folder);
        montecarlo_clock = fixed_clock;
        samples_seen.clear();
        write_file(dir.file("p.obs"), "1\n1 1 1 1\n");
        write_file(dir.file("p.prj"), "TORVAPROJECT\n");
        write_file(dir.file("p.rpl"), "3\n[a] \"%lf\"\n[b] \"%lf\"\n[c] \"%lf\"\n");
    }
    void TearDown() override
    {
        montecarlo_clock = saved_clock;
        free_replace_params();
        reset_file_name_globals();
    }

    // Runs the mode on the given parameter lines; returns the screen.
    std::string run(int runs, const std::string& params, int& result, int nparams = 3)
    {
        write_file(dir.file("mc.in"), "p.prj\np.rpl\np.obs\n" + std::to_string(nparams) + "\n" + params);
        testing::internal::CaptureStdout();
        {
            montecarlo mc(runs, dir.file("mc.in"), group_ctx);
            mc.run_model = scripted_trial;
            result = mc.run();
            if (result == 1)
                mc.report_best();
        }
        return testing::internal::GetCapturedStdout();
    }
};

TEST_F(MonteCarlo, BestIsSmallestAbsoluteCostAndFixedParametersStay)
{
    scripted_costs = {-3.0, 2.0, -2.0, 5.0};
    int result = 0;
    const std::string screen = run(8, "0.5 # fixed\n0.25\n2.0 1.0\n", result);
    ASSERT_EQ(result, 1);
    ASSERT_EQ(samples_seen.size(), 8u);
    for (const auto& x : samples_seen) {
        EXPECT_EQ(x[0], 0.0);
        EXPECT_EQ(x[1], 0.5);
        EXPECT_EQ(x[2], 0.25);
        EXPECT_GT(x[3], 1.0); // descending bounds still give values between them
        EXPECT_LE(x[3], 2.0);
    }
    EXPECT_NE(samples_seen[0][3], samples_seen[1][3]);
    // |2| < |-3|; the tie of -2 with 2 keeps the earlier run.
    char best[100];
    std::snprintf(best, sizeof best, "%lf:  %le %le %le \n", 2.0, 0.5, 0.25, samples_seen[1][3]);
    EXPECT_EQ(read_file(dir.file("best.out")), best);
    EXPECT_NE(screen.find("\n\nBest objective function value: 2.000000\nParameters:\n 0.500000 0.250000 "),
              std::string::npos)
        << screen;
    const std::string log = read_file(dir.file("log_file_p0.log"));
    EXPECT_EQ(log.substr(0, log.find('\n') + 1), "Cost  \t[a]\t[b]\t[c]\t\n");
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 9);
    const std::string results = read_file(dir.file("results_all.out"));
    EXPECT_EQ(std::count(results.begin(), results.end(), '\n'), 9); // header and eight runs

    // The same seed time gives the same samples.
    const auto first = samples_seen;
    samples_seen.clear();
    run(8, "0.5 # fixed\n0.25\n2.0 1.0\n", result);
    EXPECT_EQ(samples_seen, first);
}

// One run is the best whatever its cost; a run that failed (the failure
// cost) is no result, and runs that all failed leave no best set.
TEST_F(MonteCarlo, OneRunIsTheBestWhateverItsCost)
{
    scripted_costs = {99999.5};
    int result = 0;
    run(1, "0 1\n0 1\n0 1\n", result);
    ASSERT_EQ(result, 1);
    EXPECT_EQ(read_file(dir.file("best.out")).substr(0, 15), "99999.500000:  ");

    std::remove(dir.file("best.out").c_str());
    scripted_costs = {999999.99};
    const std::string screen = run(3, "0 1\n0 1\n0 1\n", result);
    EXPECT_EQ(result, 0);
    EXPECT_NE(screen.find("Error: none of the 3 Monte Carlo runs gave a result"), std::string::npos)
        << screen;
    EXPECT_FALSE(torva_test::file_exists(dir.file("best.out")));

    scripted_costs = {999999.99, 4.0};
    run(3, "0 1\n0 1\n0 1\n", result);
    EXPECT_EQ(result, 1);
}

TEST_F(MonteCarlo, RefusedInputsMakeNoRunsAndNoReport)
{
    scripted_costs = {1.0};
    struct refused {
        int runs;
        int nparams;
        const char* params;
        const char* screen;
    };
    const refused cases[] = {
        {0, 3, "0 1\n0 1\n0 1\n",
         "Error: the number of Monte Carlo runs must be 1 or more; 0 was asked for.\n"},
        {5, 3, "0 1\n0 1\n",
         "ends after 2 of 3 parameter lines.\nError: unable to read the input monte carlo file.\n"},
        {5, 3, "0 1\n0 x\n0 1\n", "line 6 of the Monte Carlo input file"},
        {5, 2, "0 1\n0 1\n", "lists 3 parameters, but 2 trial values are given.\n"},
    };
    for (const refused& c : cases) {
        int result = -1;
        samples_seen.clear();
        const std::string screen = run(c.runs, c.params, result, c.nparams);
        EXPECT_EQ(result, 0) << c.params;
        EXPECT_NE(screen.find(c.screen), std::string::npos) << screen;
        EXPECT_EQ(screen.find("Best objective"), std::string::npos) << screen;
        EXPECT_TRUE(samples_seen.empty());
        EXPECT_FALSE(torva_test::file_exists(dir.file("best.out")));
    }
    int result = -1;
    testing::internal::CaptureStdout();
    {
        montecarlo mc(3, dir.file("missing.in"), group_ctx);
        result = mc.run();
    }
    const std::string screen = testing::internal::GetCapturedStdout();
    EXPECT_NE(screen.find("Error: unable to read the input monte carlo file.\n"), std::string::npos)
        << screen;
    EXPECT_EQ(result, 0);
}

TEST(MonteCarloSampler, DrawsCoverTheWholeRange)
{
    mc_generator g;
    mc_seed(g, 42);
    int low = 32767, high = 0;
    for (int k = 0; k < 200000; ++k) {
        const int r = mc_draw(g);
        low = std::min(low, r);
        high = std::max(high, r);
    }
    EXPECT_EQ(low, 0);
    EXPECT_EQ(high, 32767);
}

} // namespace

#include <cmath>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "calibration/obs_objective.h"
#include "core/error_state.h"
#include "core/file_rec.h"
#include "support/test_support.h"

namespace
{

using torva_test::read_file;
using torva_test::scratch_dir;
using torva_test::write_file;

// Observations read from a file in a scratch folder that also receives the
// logs.
struct ObsObjective : testing::Test {
    scratch_dir dir{"obs_objective"};
    obs_objective obj;

    void SetUp() override
    {
        reset_file_name_globals();
        std::string folder = dir.path();
        set_project_path(folder);
    }
    void TearDown() override { reset_file_name_globals(); }

    void observe(const std::string& text)
    {
        write_file(dir.file("obs.in"), text);
        ASSERT_EQ(obj.read(dir.file("obs.in")), 1);
    }
};

// |F| minimised by a fine scan, as a check of the golden-section search.
double hmle_by_scan(const std::vector<double>& q, const std::vector<double>& sim)
{
    const double m = static_cast<double>(q.size());
    double mean_log = 0.0;
    for (double v : q)
        mean_log += std::log(v) / m;
    const auto sums = [&](double lambda, double& a, double& b) {
        a = b = 0.0;
        for (std::size_t k = 0; k < q.size(); ++k) {
            const double w = std::pow(q[k], 2 * (lambda - 1));
            const double e = q[k] - sim[k];
            a += w * e * e;
            b += w * e * e * std::log(q[k]) / mean_log;
        }
    };
    double best = 0.1, best_f = 1e300;
    for (double l = 0.1; l <= 3.0; l += 1e-5) {
        double a, b;
        sums(l, a, b);
        if (std::fabs(a / b - 1) < best_f) {
            best_f = std::fabs(a / b - 1);
            best = l;
        }
    }
    double a, b;
    sums(best, a, b);
    return a / m / std::exp(2 * (best - 1) * mean_log);
}

TEST_F(ObsObjective, StatisticsMatchHandValues)
{
    observe("2\n10 1 100 1\n20, 1, 400, 0\n");
    EXPECT_DOUBLE_EQ(obj.scale, 0.05);
    const std::vector<double> peaks = {0, 12, 18, 0};
    const std::vector<double> volumes = {0, 110, 300, 0};
    const double x[3] = {0, 0.5, 7.0};
    const double cost = obj.evaluate(peaks, volumes, 0, 2, x);
    EXPECT_NEAR(cost, 0.4, 1e-12);
    EXPECT_NEAR(obj.rmse, std::sqrt(8.25), 1e-12);
    EXPECT_NEAR(obj.log_error, std::log(1.2) + std::log(1.1) + std::log(20.0 / 18.0), 1e-12);
    EXPECT_EQ(obj.max_peak, 18.0);
    EXPECT_EQ(obj.max_volume, 110.0);
    EXPECT_NEAR(obj.hmle, hmle_by_scan({10, 20}, {12, 18}), 1e-4 * obj.hmle);

    // The peak of entry 2 has no volume after it: the next text would
    // continue its line.
    EXPECT_EQ(read_file(dir.file("0_cost.out")),
              "p:12.000000, 2.000000  v:110.000000, 10.000000  \np:18.000000, -2.000000  Total Points: 3\n"
              "cost: 0.400000\n" +
                  std::string(79, '-') + "\n");
    EXPECT_EQ(read_file(dir.file("0_obs.log")), std::string(55, '-') +
                                                    "\nEvent\tWeight\tObs Peak   \tSim Peak    \tDiff        "
                                                    "\tWeight\tObs Vol     \tSim Vol     \tDiff\n"
                                                    "1    \t1.00  \t10.00       \t12.00       \t-2.00       "
                                                    "\t1.00  \t100.00      \t110.00      \t-10.00      \n"
                                                    "2    \t1.00  \t20.00       \t18.00       \t2.00        "
                                                    "\t0.00  \t400.00      \t300.00      \t100.00      \n"
                                                    "\n\n");

    obj.write_results(0, 0, 0);
    obj.evaluate(peaks, volumes, 0, 2, x);
    obj.write_results(0, 0, 0);
    const std::string line = "0.40    \t" + [&] {
        char b[200];
        std::snprintf(b, sizeof b, "%-12.4lf\t%-12.2lf\t%-12.6lf\t", obj.hmle, obj.rmse, obj.log_error);
        return std::string(b);
    }() + "18.00       \t110.00      \t: 0.5000  7.0000  \n";
    EXPECT_EQ(read_file(dir.file("results_all.out")),
              "--Cost--\t----HMLE----\t----RMSE----\t-Log Error--\t--Max Peak--\t--Max Vol---\t: params\n" +
                  line + line);
    EXPECT_TRUE(obj.results.records.empty());
}

struct stat_case {
    const char* name;
    const char* observations;
    std::vector<double> peaks, volumes;
    double hmle, rmse, log_error, cost, max_peak, max_volume;
};

TEST_F(ObsObjective, TableOfEdgeCases)
{
    const double fail = 999999.99;
    const double none = -99999.999;
    const stat_case cases[] = {
        {"all weights 0",
         "2\n10 0 100 0\n20 0 200 0\n",
         {0, 11, 19, 0},
         {0, 90, 210, 0},
         -1,
         0,
         0,
         -1,
         none,
         none},
        {"perfect fit",
         "2\n10 1 100 1\n20 2 200 0.5\n",
         {0, 10, 20, 0},
         {0, 100, 200, 0},
         0,
         0,
         0,
         0,
         20,
         200},
        {"observed peak 0", "1\n0 1 100 0\n", {0, 3, 0}, {0, 100, 0}, fail, 3, INFINITY, 3, 3, none},
        {"only volumes count",
         "1\n5 0 100 1\n",
         {0, 4, 0},
         {0, 150, 0},
         fail,
         2.5,
         std::log(1.5),
         0.5,
         none,
         150},
        {"value-less entry after the largest",
         "2\n10 1 100 1\n20 0 200 0\n",
         {0, 12, -999.99, 0},
         {0, 110, -999.99, 0},
         4,
         fail,
         fail,
         0.3,
         12,
         110}, // one peak: F is 0 everywhere, lambda 0.1
        {"counted value-less entry",
         "2\n10 1 100 1\n20 1 200 1\n",
         {0, 12, -999.99, 0},
         {0, 110, -999.99, 0},
         fail,
         fail,
         fail,
         fail,
         12,
         110},
        {"absent arrays", "1\n10 1 100 1\n", {}, {}, fail, fail, fail, fail, none, none},
    };
    for (const stat_case& c : cases) {
        obs_objective o;
        write_file(dir.file("obs.in"), c.observations);
        ASSERT_EQ(o.read(dir.file("obs.in")), 1) << c.name;
        EXPECT_NEAR(o.calc_hmle(c.peaks, c.volumes), c.hmle, 1e-12) << c.name;
        EXPECT_NEAR(o.calc_cost(c.peaks, c.volumes, 0), c.cost, 1e-12) << c.name;
        EXPECT_NEAR(o.calc_rmse(c.peaks, c.volumes), c.rmse, 1e-12) << c.name;
        EXPECT_EQ(o.calc_log_error(c.peaks, c.volumes), c.log_error) << c.name;
        EXPECT_EQ(o.calc_max_peak(c.peaks), c.max_peak) << c.name;
        EXPECT_EQ(o.calc_max_volume(c.volumes), c.max_volume) << c.name;
    }
}

TEST_F(ObsObjective, AllWeightsZeroWriteNoCostLines)
{
    observe("1\n10 0 100 0\n");
    const double x[2] = {0, 1.0};
    EXPECT_EQ(obj.evaluate({0, 10, 0}, {0, 100, 0}, 0, 1, x), -1.0);
    EXPECT_EQ(read_file(dir.file("0_cost.out")), "");
}

TEST_F(ObsObjective, ReaderRefusesBadFiles)
{
    struct bad {
        const char* text;
        const char* screen;
        int code;
    };
    const bad cases[] = {
        {"0\n", "", 0},
        {"two\n1 1 1 1\n", "it is not a number", 0},
        {"2\n1 1 1 1\n", "ends after 1 of 2 entries", 0},
        {"1\n1 1 1\n", "needs four numbers", err_obs_format},
        {"1\n1 1 nan 1\n", "value 3 is not finite", err_obs_format},
    };
    for (const bad& c : cases) {
        error_state_clear();
        write_file(dir.file("bad.in"), c.text);
        obs_objective o;
        testing::internal::CaptureStdout();
        EXPECT_EQ(o.read(dir.file("bad.in")), -1) << c.text;
        const std::string out = testing::internal::GetCapturedStdout();
        EXPECT_NE(out.find(c.screen), std::string::npos) << out;
        EXPECT_EQ(error_state.code, c.code) << c.text;
        EXPECT_EQ(error_state.raised, 0);
    }
    error_state_clear();
    obs_objective o;
    EXPECT_EQ(o.read(dir.file("missing.in")), -1);
}

} // namespace

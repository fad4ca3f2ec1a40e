#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <unistd.h>

#include "calibration/global_search.h"
#include "calibration/slm_routines.h"
#include "support/test_support.h"

namespace
{

using torva_test::read_file;
using torva_test::write_file;

struct in_folder {
    std::string old;
    explicit in_folder(const std::string& path)
    {
        char buf[4096];
        old = getcwd(buf, sizeof buf) ? buf : ".";
        EXPECT_EQ(chdir(path.c_str()), 0);
    }
    ~in_folder() { static_cast<void>(chdir(old.c_str())); }
};

struct GlobalSearch : testing::Test {
    torva_test::scratch_dir dir{"global_search"};
    in_folder here{dir.path()};
};

// A control record with the given adjustable ranges (stored values).
pest_control ranges(const std::vector<std::pair<double, double>>& bounds, double sigma)
{
    pest_control pc;
    pc.npar = int(bounds.size());
    pc.params.resize(bounds.size() + 1);
    for (std::size_t i = 0; i < bounds.size(); ++i) {
        pc.params[i + 1].name = "p" + std::to_string(i + 1);
        pc.params[i + 1].transform = "none";
        pc.params[i + 1].lower = bounds[i].first;
        pc.params[i + 1].upper = bounds[i].second;
    }
    pc.mlsl_sigma = sigma;
    return pc;
}

template <class F> std::string screen_of(F f, int& rc)
{
    testing::internal::CaptureStdout();
    rc = f();
    return testing::internal::GetCapturedStdout();
}

} // namespace

TEST(GlobalSearchMath, LogGammaMeetsKnownValues)
{
    const double pi = std::acos(-1.0);
    struct {
        double x, expected;
    } cases[] = {
        {1.0, 0.0}, {2.0, 0.0}, {0.5, std::log(std::sqrt(pi))}, {1.5, std::log(std::sqrt(pi) / 2)},
        {5.0, std::log(24.0)}, {10.0, std::log(362880.0)}, {0.1, std::lgamma(0.1)}, {100.0, std::lgamma(100.0)},
    };
    for (const auto& c : cases)
        EXPECT_NEAR(LogGamma(c.x), c.expected, 1e-9 * (1 + std::fabs(c.expected))) << c.x;
}

TEST(GlobalSearchMath, CriticalDistanceFollowsTheSampleCountAndDimension)
{
    const double pi = std::acos(-1.0);
    // One parameter: Gamma(1.5) = sqrt(pi)/2 enters, power 1.
    pest_control one = ranges({{0.0, 2.0}}, 4.0);
    double alpha = 0.0;
    ASSERT_EQ(MLSLCriticalDistance(one, 10, alpha), 0);
    EXPECT_NEAR(alpha, (std::sqrt(pi) / 2 * 2.0 * 4.0 * std::log(10.0) / 10.0) / std::sqrt(pi), 1e-12);
    // Two parameters, one log-transformed (its stored range counts) and a
    // fixed one left out: Gamma(2) = 1, square root.
    pest_control two = ranges({{1.0, 3.0}, {-2.0, 0.0}, {5.0, 5.0}}, 1.5);
    two.params[2].transform = "log";
    two.params[3].transform = "fixed";
    ASSERT_EQ(MLSLCriticalDistance(two, 40, alpha), 0);
    EXPECT_NEAR(alpha, std::sqrt(4.0 * 1.5 * std::log(40.0) / 40.0) / std::sqrt(pi), 1e-12);
    // It shrinks as the sample grows.
    double later = 0.0;
    MLSLCriticalDistance(two, 400, later);
    EXPECT_LT(later, alpha);
}

TEST(GlobalSearchMath, BayesianRule)
{
    EXPECT_TRUE(MlslBayesianStop(1, 7.0));
    EXPECT_TRUE(MlslBayesianStop(1, 50.0));
    EXPECT_FALSE(MlslBayesianStop(1, 6.5));
    EXPECT_FALSE(MlslBayesianStop(1, 3.0)); // Nr not above w + 2
    EXPECT_FALSE(MlslBayesianStop(2, 8.0)); // 2.5 < 7 * 2 / 4
    EXPECT_FALSE(MlslBayesianStop(2, 13.0)); // 2.5 < 12 * 2 / 9
    EXPECT_TRUE(MlslBayesianStop(2, 20.0));  // 2.5 >= 19 * 2 / 16
}

TEST(GlobalSearchMath, SeedGeneratorSteps)
{
    std::uint32_t state = 0;
    EXPECT_EQ(next_lcg_seed(state), -506952111); // state 1013904223
    EXPECT_EQ(state, 1013904223u);
    EXPECT_EQ(next_lcg_seed(state), static_cast<int>(-0.5 * double(1013904223u * 1664525u + 1013904223u)));
    // The largest state gives the most negative seed, still a 32-bit integer.
    std::uint32_t top = 653637408u; // steps to 2^32 - 1
    EXPECT_EQ(next_lcg_seed(top), -2147483647);
    EXPECT_EQ(top, 0xFFFFFFFFu);
}

TEST_F(GlobalSearch, SeedsWrittenWithYAreReadBackWithN)
{
    std::vector<int> written;
    {
        sample_seeds s;
        ASSERT_EQ(OpenSeedFile(s, 'Y', 12345u), 0);
        for (int i = 0; i < 5; ++i) {
            int seed = 0;
            ASSERT_EQ(NextSampleSeed(s, seed), 0);
            EXPECT_LT(seed, 0);
            written.push_back(seed);
        }
    }
    std::string expected;
    for (int v : written)
        expected += std::to_string(v) + "\n";
    EXPECT_EQ(read_file("RandomNumberSeeds.prn"), expected);

    sample_seeds r;
    ASSERT_EQ(OpenSeedFile(r, 'N', 999u), 0); // the seed item no longer matters
    EXPECT_EQ(CheckSeedsAvailable(r, 5), 0);
    for (int v : written) {
        int seed = 0;
        ASSERT_EQ(NextSampleSeed(r, seed), 0);
        EXPECT_EQ(seed, v);
    }
    int rc = 0, seed = 0;
    const std::string screen = screen_of([&] { return NextSampleSeed(r, seed); }, rc);
    EXPECT_EQ(rc, 1);
    EXPECT_EQ(screen, "The seed file RandomNumberSeeds.prn holds 5 seeds, fewer than the 6 samples to be drawn.\n");
}

TEST_F(GlobalSearch, SeedFileRefusals)
{
    struct {
        char choice;
        const char* file; // nullptr: no seed file
        const char* message;
    } cases[] = {
        {'N', nullptr,
         "The seed choice is N, but there is no seed file RandomNumberSeeds.prn to read the seeds from.\n"},
        {'N', "-5\nabc\n", "Error in the seed file RandomNumberSeeds.prn, line 2: the seed \"abc\" is not a number.\n"},
        {'N', "-5\n1.5\n",
         "Error in the seed file RandomNumberSeeds.prn, line 2: the seed \"1.5\" is not a whole number.\n"},
        {'y', "-5\n", "The seed choice must be Y (write RandomNumberSeeds.prn) or N (read it).\n"},
    };
    for (const auto& c : cases) {
        std::remove("RandomNumberSeeds.prn");
        if (c.file)
            write_file("RandomNumberSeeds.prn", c.file);
        sample_seeds s;
        int rc = 0;
        const std::string screen = screen_of([&] { return OpenSeedFile(s, c.choice, 1u); }, rc);
        EXPECT_EQ(rc, 1) << c.message;
        EXPECT_EQ(screen, c.message);
    }
    // A short file is refused up front when the count is known.
    write_file("RandomNumberSeeds.prn", "-5\n-6\n\n");
    sample_seeds s;
    ASSERT_EQ(OpenSeedFile(s, 'N', 1u), 0);
    int rc = 0;
    const std::string screen = screen_of([&] { return CheckSeedsAvailable(s, 3); }, rc);
    EXPECT_EQ(rc, 1);
    EXPECT_EQ(screen, "The seed file RandomNumberSeeds.prn holds 2 seeds, fewer than the 3 samples to be drawn.\n");
}

TEST_F(GlobalSearch, ControlFilesReadEveryItem)
{
    write_file("mlsl.in", "20 0.2 4.0 0.01\nN 4294967295\n10 30 5 3 0.001\n");
    mlsl_settings m;
    ASSERT_EQ(ReadMlslControl("mlsl.in", m), 0);
    EXPECT_EQ(m.samples, 20);
    EXPECT_DOUBLE_EQ(m.gamma, 0.2);
    EXPECT_DOUBLE_EQ(m.sigma, 4.0);
    EXPECT_DOUBLE_EQ(m.end_distance, 0.01);
    EXPECT_EQ(m.choice, 'N');
    EXPECT_EQ(m.seed, 4294967295u);
    EXPECT_EQ(m.max_iterations, 10);
    EXPECT_EQ(m.max_searches, 30);
    EXPECT_EQ(m.max_searches_no_gain, 5);
    EXPECT_EQ(m.max_iterations_no_gain, 3);
    EXPECT_DOUBLE_EQ(m.negligible, 0.001);

    write_file("ms.in", "7 0\n");
    multistart_settings ms;
    ASSERT_EQ(ReadMultistartControl("ms.in", ms), 0);
    EXPECT_EQ(ms.seed, 7u);
    EXPECT_EQ(ms.runs, 0);

    write_file("tr.in", "Y 42 50 1 0 0.01");
    trajrep_settings tr;
    ASSERT_EQ(ReadTrajrepControl("tr.in", tr), 0);
    EXPECT_EQ(tr.choice, 'Y');
    EXPECT_EQ(tr.seed, 42u);
    EXPECT_EQ(tr.runs, 50);
    EXPECT_EQ(tr.max_inversions, 1);
    EXPECT_EQ(tr.runs_no_gain, 0);
    EXPECT_DOUBLE_EQ(tr.negligible, 0.01);
}

TEST_F(GlobalSearch, ControlFileRefusals)
{
    struct {
        const char* file;
        const char* text; // nullptr: no file
        const char* message;
    } cases[] = {
        {"mlsl.in", nullptr, "Cannot open the file mlsl.in in the working folder.\n"},
        {"ms.in", nullptr, "Cannot open the file ms.in in the working folder.\n"},
        {"tr.in", nullptr, "Cannot open the file tr.in in the working folder.\n"},
        {"ms.in", "7", "Error in file ms.in: item 2 (pre-inversion runs) is missing.\n"},
        {"ms.in", "7 3x", "Error in file ms.in, item 2 (pre-inversion runs) \"3x\": is not a number.\n"},
        {"ms.in", "-1 3", "Error in file ms.in, item 1 (seed) \"-1\": must lie between 0 and 4294967295.\n"},
        {"ms.in", "4294967296 3", "Error in file ms.in, item 1 (seed) \"4294967296\": must lie between 0 and 4294967295.\n"},
        {"ms.in", "7 3 9", "Error in file ms.in: unexpected text \"9\" after its 2 items.\n"},
        {"tr.in", "X 42 50 1 0 0.01", "Error in file tr.in, item 1 (seed choice) \"X\": must be Y or N.\n"},
        {"tr.in", "Y 42 50 0 0 0.01", "Error in file tr.in, item 4 (maximum inversions) \"0\": must lie in [1, 1000000].\n"},
        {"tr.in", "Y 42 0 1 0 0.01", "Error in file tr.in, item 3 (pre-inversion runs) \"0\": must lie in [1, 1000000].\n"},
        {"tr.in", "Y 42 5 1 0 1.5", "Error in file tr.in, item 6 (negligible fraction) \"1.5\": must lie in [0, 1].\n"},
        {"mlsl.in", "20 1.2 4 0.01 Y 1 10 30 5 3 0.001",
         "Error in file mlsl.in, item 2 (gamma) \"1.2\": must lie in [0, 1].\n"},
        {"mlsl.in", "20 0.2 0 0.01 Y 1 10 30 5 3 0.001",
         "Error in file mlsl.in, item 3 (sigma) \"0\": must be above 0.\n"},
        {"mlsl.in", "20 0.2 4 0.01 Y 1 10 2.5 5 3 0.001",
         "Error in file mlsl.in, item 8 (maximum local searches) \"2.5\": is not a whole number.\n"},
        {"mlsl.in", "0 0.2 4 0.01 Y 1 10 30 5 3 0.001",
         "Error in file mlsl.in, item 1 (sample size) \"0\": must lie in [1, 1000000].\n"},
    };
    for (const auto& c : cases) {
        std::remove(c.file);
        if (c.text)
            write_file(c.file, c.text);
        int rc = 0;
        const std::string f = c.file;
        const std::string screen = screen_of(
            [&] {
                if (f == "mlsl.in") {
                    mlsl_settings s;
                    return ReadMlslControl(c.file, s);
                }
                if (f == "ms.in") {
                    multistart_settings s;
                    return ReadMultistartControl(c.file, s);
                }
                trajrep_settings s;
                return ReadTrajrepControl(c.file, s);
            },
            rc);
        EXPECT_EQ(rc, 1) << c.message;
        EXPECT_EQ(screen, c.message);
    }
}

TEST(GlobalSearchStart, RefusesRestartAndEqualBounds)
{
    pest_control pc = ranges({{0.0, 1.0}, {2.0, 2.0}}, 1.0);
    std::string w[] = {"torva", "-ms", "case.pst", "/r"};
    char* argv[] = {w[0].data(), w[1].data(), w[2].data(), w[3].data()};
    int rc = 0;
    std::string screen = screen_of([&] { return CheckGlobalStart(4, argv, pc, "multistart"); }, rc);
    EXPECT_EQ(rc, 1);
    EXPECT_EQ(screen, "The restart switch /r cannot be used with multistart: a global search cannot be resumed.\n");
    screen = screen_of([&] { return CheckGlobalStart(3, argv, pc, "multistart"); }, rc);
    EXPECT_EQ(rc, 1);
    EXPECT_EQ(screen, "Parameter p2 has equal lower and upper bounds; multistart needs a range for every adjustable "
                      "parameter.\n");
    pc.params[2].transform = "fixed"; // a fixed parameter needs no range
    EXPECT_EQ(CheckGlobalStart(3, argv, pc, "multistart"), 0);
}

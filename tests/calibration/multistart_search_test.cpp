#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <unistd.h>

#include "calibration/global_search.h"
#include "calibration/numerical_routines.h"
#include "calibration/slm_routines.h"
#include "support/test_support.h"

namespace
{

using torva_test::read_file;
using torva_test::write_file;

// One parameter x in [0, 5] and the residual (x - 1)(x - 4): two separated
// minima of phi = 0 at x = 1 and x = 4, a ridge at 2.5.
struct MultistartSearchTest : testing::Test {
    torva_test::scratch_dir dir{"multistart_search"};
    std::string old;
    pest_control pc;
    toolbox_names names{"case", "case.rec", "case.sen", "case.mtt", "case.par", "case.rst"};
    int calls = 0;

    void SetUp() override
    {
        char buf[4096];
        old = getcwd(buf, sizeof buf) ? buf : ".";
        ASSERT_EQ(chdir(dir.path().c_str()), 0);
        pc.mode = "estimation";
        pc.npar = 1;
        pc.params.assign(2, pest_param());
        pest_param& p = pc.params[1];
        p.name = "x";
        p.transform = "none";
        p.value = 0.5;
        p.lower = 0.0;
        p.upper = 5.0;
        p.group = "g";
        pc.npargp = 1;
        pc.param_groups = {{}, {"g", "relative", 0.01, 0.0, "always_3", 2.0, "outside_pts"}};
        pc.nobs = 1;
        pc.obs.assign(2, pest_obs());
        pc.obs[1].name = "o1";
        pc.obs[1].measured = 0.0;
        pc.obs[1].weight = 1.0;
        pc.obs[1].group = "obs";
        pc.nobsgp = 1;
        pc.obs_groups = {{}, {"obs", 0.0}};
        pc.lambda = 10.0;
        pc.rlamfac = 2.0;
        pc.phiratsuf = 0.3;
        pc.phiredlam = 0.01;
        pc.numlam = 10;
        pc.noptmax = 50;
        pc.phiredstp = 1e-6;
        pc.nphistp = 3;
        pc.nphinored = 3;
        pc.relparstp = 1e-9;
        pc.nrelpar = 3;
        pc.method = 0;
        pc.cyclic_columns = 1;
        ClassifyParameters(pc);
        SetTieRatios(pc);
    }
    void TearDown() override { static_cast<void>(chdir(old.c_str())); }

    pest_model_call model()
    {
        return [this](pest_control& c, pest_values which, int slot) {
            ++calls;
            const pest_param& p = c.params[1];
            const double x = which == pest_values::current      ? p.value
                             : which == pest_values::perturbed1 ? p.perturbed1
                                                                : p.perturbed2;
            c.obs[1].simulated[slot] = (x - 1.0) * (x - 4.0);
            return 0;
        };
    }

    int run(const multistart_settings& s, std::string& screen)
    {
        pest_control fresh = pc;
        const char* argv[] = {"torva", "-ms", "case.pst", nullptr};
        std::FILE* out[4] = {std::fopen("case.rec", "w"), std::fopen("case.sen", "w"),
                             std::fopen("case.mtt", "w"), std::fopen("case.par", "w")};
        std::FILE* rec = std::fopen("slm_vbq_ms1.rec", "w");
        std::FILE* prn = std::fopen("parameters.prn", "w");
        sample_seeds seeds;
        EXPECT_EQ(OpenSeedFile(seeds, 'Y', s.seed), 0);
        testing::internal::CaptureStdout();
        const int rc =
            MultistartSearch(3, const_cast<char**>(argv), fresh, names, out, s, seeds, rec, prn, model());
        screen = testing::internal::GetCapturedStdout();
        for (std::FILE* fp : out)
            std::fclose(fp);
        std::fclose(rec);
        std::fclose(prn);
        return rc;
    }

    // Trajectory repulsion on the two minima; the record. points, when
    // given, receives the trajectory table.
    int run_trajrep(const trajrep_settings& s, std::string& text, double** points = nullptr)
    {
        const char* argv[] = {"torva", "-tr", "case.pst", nullptr};
        std::FILE* out[4] = {std::fopen("case.rec", "w"), std::fopen("case.sen", "w"),
                             std::fopen("case.mtt", "w"), std::fopen("case.par", "w")};
        std::FILE* rec = std::fopen("slm_vbq_ms2.rec", "w");
        sample_seeds seeds;
        EXPECT_EQ(OpenSeedFile(seeds, 'Y', s.seed), 0);
        testing::internal::CaptureStdout();
        const int rc =
            TrajrepSearch(3, const_cast<char**>(argv), pc, names, out, s, seeds, rec, model(), points);
        testing::internal::GetCapturedStdout();
        for (std::FILE* fp : out)
            std::fclose(fp);
        std::fclose(rec);
        text = read_file("slm_vbq_ms2.rec");
        return rc;
    }

    // MLSL with the model given (the two minima by default); the record.
    int run_mlsl(const mlsl_settings& s, std::string& text, const pest_model_call& m = nullptr)
    {
        const char* argv[] = {"torva", "-mlsl", "case.pst", nullptr};
        std::FILE* out[4] = {std::fopen("case.rec", "w"), std::fopen("case.sen", "w"),
                             std::fopen("case.mtt", "w"), std::fopen("case.par", "w")};
        std::FILE* rec = std::fopen("slm_vbq_mlsl.rec", "w");
        sample_seeds seeds;
        EXPECT_EQ(OpenSeedFile(seeds, s.choice, s.seed), 0);
        testing::internal::CaptureStdout();
        const int rc =
            MlslSearch(3, const_cast<char**>(argv), pc, names, out, s, seeds, rec, m ? m : model());
        testing::internal::GetCapturedStdout();
        for (std::FILE* fp : out)
            std::fclose(fp);
        std::fclose(rec);
        text = read_file("slm_vbq_mlsl.rec");
        return rc;
    }
};

std::size_t occurrences(const std::string& text, const std::string& part)
{
    std::size_t n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

// The numbers of the rows that start with a tab and the given word.
std::vector<std::pair<double, double>> rows(const std::string& text, const std::string& word)
{
    std::vector<std::pair<double, double>> found;
    const std::string key = "\t" + word + "\t";
    for (std::size_t at = text.find(key); at != std::string::npos; at = text.find(key, at + 1)) {
        double a = 0.0, b = 0.0;
        if (std::sscanf(text.c_str() + at + key.size(), "%lf %lf", &a, &b) == 2)
            found.emplace_back(a, b);
    }
    return found;
}

} // namespace

// Every sample's search ends in the minimum on its side of the ridge, the
// samples are those of the seed file and "parameters.prn", and a second run
// with the same seed repeats every file.
TEST_F(MultistartSearchTest, EverySampleReachesTheMinimumOnItsSide)
{
    multistart_settings s{20250u, 6};
    std::string screen;
    ASSERT_EQ(run(s, screen), 0) << screen;
    const std::string rec = read_file("slm_vbq_ms1.rec");
    const std::string prn = read_file("parameters.prn");
    const std::string seeds = read_file("RandomNumberSeeds.prn");

    EXPECT_EQ(rec.rfind("                        YQ_MS1 CONTROL INFORMATION\n\n"
                        "Input unsigned long random seed                             : 20250\n"
                        "Number of pre-inversion runs to carry out                   : 6\n"
                        "Name of existing control file : case\n\n"
                        "                   RESULTS OF PRE-INVERSION SAMPLE RUNS\n\n"
                        "x\tTotal\tobs\t\n",
                        0),
              0u);
    const auto x = rows(rec, "x");
    const auto total = rows(rec, "total");
    ASSERT_EQ(x.size(), 6u);
    ASSERT_EQ(total.size(), 6u);
    std::vector<double> drawn;
    for (std::size_t at = 0, end; (end = prn.find('\n', at)) != std::string::npos; at = end + 1)
        drawn.push_back(std::stod(prn.substr(at, end - at)));
    ASSERT_EQ(drawn.size(), 6u);
    int lows = 0;
    for (int k = 0; k < 6; ++k) {
        EXPECT_NEAR(x[k].first, drawn[k], 1e-6);
        EXPECT_GE(drawn[k], 0.0);
        EXPECT_LE(drawn[k], 5.0);
        const double expected = drawn[k] < 2.5 ? 1.0 : 4.0;
        lows += drawn[k] < 2.5;
        EXPECT_NEAR(x[k].second, expected, 1e-4) << "sample " << k + 1 << " from " << drawn[k];
        EXPECT_NEAR(total[k].first, std::pow((drawn[k] - 1) * (drawn[k] - 4), 2), 1e-5);
        EXPECT_LT(total[k].second, 1e-8);
    }
    EXPECT_GT(lows, 0);
    EXPECT_LT(lows, 6); // both minima are found
    EXPECT_EQ(std::count(seeds.begin(), seeds.end(), '\n'), 6);

    ASSERT_EQ(run(s, screen), 0);
    EXPECT_EQ(read_file("slm_vbq_ms1.rec"), rec);
    EXPECT_EQ(read_file("parameters.prn"), prn);
    EXPECT_EQ(read_file("RandomNumberSeeds.prn"), seeds);
}

TEST_F(MultistartSearchTest, ZeroSamplesWriteOnlyTheResultsHeading)
{
    std::string screen;
    ASSERT_EQ(run({7u, 0}, screen), 0);
    EXPECT_EQ(read_file("slm_vbq_ms1.rec"), "\n\n                   RESULTS OF YQ OPTIMIZATION RUNS\n\n\n");
    EXPECT_EQ(read_file("parameters.prn"), "");
    EXPECT_EQ(read_file("RandomNumberSeeds.prn"), "");
    EXPECT_EQ(calls, 0);
}

// A failed sample run is reported and marked in the record; its search
// still runs and reaches a minimum.
TEST_F(MultistartSearchTest, FailedSampleRunIsMarkedAndStillSearched)
{
    const pest_model_call good = model();
    bool first = true;
    const char* argv[] = {"torva", "-ms", "case.pst", nullptr};
    std::FILE* out[4] = {std::fopen("case.rec", "w"), std::fopen("case.sen", "w"),
                         std::fopen("case.mtt", "w"), std::fopen("case.par", "w")};
    std::FILE* rec = std::fopen("slm_vbq_ms1.rec", "w");
    std::FILE* prn = std::fopen("parameters.prn", "w");
    sample_seeds seeds;
    ASSERT_EQ(OpenSeedFile(seeds, 'Y', 3u), 0);
    multistart_settings s{3u, 1};
    testing::internal::CaptureStdout();
    const int rc = MultistartSearch(3, const_cast<char**>(argv), pc, names, out, s, seeds, rec, prn,
                                    [&](pest_control& c, pest_values w, int slot) {
                                        if (first) {
                                            first = false;
                                            return 1;
                                        }
                                        return good(c, w, slot);
                                    });
    const std::string screen = testing::internal::GetCapturedStdout();
    for (std::FILE* fp : out)
        std::fclose(fp);
    std::fclose(rec);
    std::fclose(prn);
    EXPECT_EQ(rc, 0);
    EXPECT_NE(screen.find("The evaluation of pre-inversion sample 1 failed.\n"), std::string::npos);
    const std::string text = read_file("slm_vbq_ms1.rec");
    EXPECT_NE(text.find("\tfailed\t\n"), std::string::npos) << text;
    ASSERT_EQ(rows(text, "x").size(), 1u);
    EXPECT_LT(rows(text, "total")[0].second, 1e-8);
}

namespace
{

// The first numbers of the rows of a record section, one row per line.
std::vector<std::vector<double>> table_rows(const std::string& text, std::size_t from, int count)
{
    std::vector<std::vector<double>> found;
    std::size_t at = from;
    for (int k = 0; k < count; ++k) {
        const std::size_t end = text.find('\n', at);
        std::vector<double> row;
        const char* p = text.c_str() + at;
        char* next = nullptr;
        for (double v = std::strtod(p, &next); next != p; v = std::strtod(p, &next)) {
            row.push_back(v);
            p = next;
        }
        found.push_back(row);
        at = end + 1;
    }
    return found;
}

} // namespace

// Trajectory repulsion on the two minima: the first search starts from the
// lowest-phi sample, the second from the best-ranked unused sample farthest
// from the first path; both minima are found and the summary names the
// best search.
TEST_F(MultistartSearchTest, TrajectoryRepulsionStartsFarFromEarlierPaths)
{
    pc.critical_distance = 0.01;
    const trajrep_settings s{'Y', 99u, 10, 4, 5, 0.01};
    double** points = matrix(1, 1, 1, (pc.noptmax + 1) * s.max_inversions);
    std::string text;
    ASSERT_EQ(run_trajrep(s, text, points), 0) << text;
    const std::size_t head = text.find("x\tTotal\tobs\t\n");
    ASSERT_NE(head, std::string::npos) << text;
    const auto samples = table_rows(text, head + std::string("x\tTotal\tobs\t\n").size(), 10);
    std::vector<int> order(10);
    for (int k = 0; k < 10; ++k)
        order[k] = k;
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return samples[a][1] < samples[b][1]; });

    const auto blocks = rows(text, "x"); // start and end of every search
    ASSERT_GE(blocks.size(), 2u) << text;
    EXPECT_NEAR(blocks[0].first, samples[order[0]][0], 1e-9);
    // The first path: the columns before the second search's start point.
    int c1 = 2;
    while (std::fabs(points[1][c1] - blocks[1].first) > 1e-9)
        ++c1;
    double farthest = 0.0;
    int expected = order[0];
    for (int pos = 1; pos < 4; ++pos)
        for (int c = 1; c < c1; ++c) {
            const double d = std::pow((samples[order[pos]][0] - points[1][c]) / 5.0, 2);
            if (d > farthest) {
                farthest = d;
                expected = order[pos];
            }
        }
    EXPECT_NEAR(blocks[1].first, samples[expected][0], 1e-9);
    bool low = false, high = false;
    for (const auto& b : blocks) {
        low = low || std::fabs(b.second - 1.0) < 1e-4;
        high = high || std::fabs(b.second - 4.0) < 1e-4;
    }
    EXPECT_TRUE(low && high) << text;
    EXPECT_NE(text.find("                   RESULTS OF GLOBAL SEARCH PROCESS\n\n"
                        "The global search process yielded a total objective function value of 0.000000\n"),
              std::string::npos)
        << text;
    free_matrix(points, 1, 1);
}

// With no run without improvement allowed the strategy stops after its
// first search.
TEST_F(MultistartSearchTest, TrajectoryRepulsionStopsAfterOneSearchWithZeroRunsWithoutGain)
{
    const trajrep_settings s{'Y', 5u, 4, 3, 0, 0.01};
    std::string text;
    ASSERT_EQ(run_trajrep(s, text), 0);
    EXPECT_EQ(rows(text, "x").size(), 1u);
    EXPECT_NE(text.find("This value was obtained from inversion run number 1\n\n"), std::string::npos)
        << text;
}

// MLSL on the two minima: the searches end in both, the record's summary
// counts them, and the strategy stops by the Bayesian rule once the reduced
// sample is large enough for two minima (Nr >= 16 with gamma 0.5).
TEST_F(MultistartSearchTest, MlslFindsBothMinimaAndStopsByTheBayesianRule)
{
    pc.critical_distance = 0.0;
    const mlsl_settings s{10, 0.5, 4.0, 0.01, 'Y', 321u, 20, 50, 50, 50, 0.01};
    std::string text;
    ASSERT_EQ(run_mlsl(s, text), 0) << text;
    EXPECT_EQ(text.rfind("                        YQ_MLSL CONTROL INFORMATION\n\n"
                         "Input unsigned long random seed                             : 321\n"
                         "Uniform random sample size at step k                        : 10\n"
                         "Value for reduction of the sample                           : 0.500000\n",
                         0),
              0u);
    const auto blocks = rows(text, "x");
    bool low = false, high = false;
    for (const auto& b : blocks) {
        low = low || std::fabs(b.second - 1.0) < 1e-4;
        high = high || std::fabs(b.second - 4.0) < 1e-4;
    }
    EXPECT_TRUE(low && high) << text;
    int w = 0, k = 0;
    const std::size_t at = text.find("The number of local searches that yielded distinct local minima: ");
    ASSERT_NE(at, std::string::npos) << text;
    ASSERT_EQ(std::sscanf(text.c_str() + at,
                          "The number of local searches that yielded distinct local minima: %d\n"
                          "The number of MLSL iterations is: %d",
                          &w, &k),
              2);
    EXPECT_GE(w, 2);
    EXPECT_EQ(occurrences(text, "Upgrade vectors for Local Search"), std::size_t(w));
    EXPECT_NE(text.find("Stopped because Bayesian stopping criteria were satisfied.\n\n"), std::string::npos)
        << text;
    EXPECT_TRUE(MlslBayesianStop(w, k * 10 * 0.5));
    EXPECT_EQ(occurrences(text, "Sampling Phase: Iteration "), std::size_t(k));
    EXPECT_NE(text.find("The global search process yielded a total objective function value of 0.000000\n"),
              std::string::npos);
}

// With item 9 at 0 the first search ends the phase and the strategy.
TEST_F(MultistartSearchTest, MlslStopsAfterOneSearchWithZeroSearchesWithoutGain)
{
    const mlsl_settings s{10, 0.5, 4.0, 0.01, 'Y', 321u, 20, 50, 0, 50, 0.01};
    std::string text;
    ASSERT_EQ(run_mlsl(s, text), 0) << text;
    EXPECT_EQ(occurrences(text, "A LS will be performed from vector "), 1u) << text;
    EXPECT_NE(text.find("A LS will be performed from vector 1 of the reduced sample in iteration 1\n"),
              std::string::npos);
    EXPECT_NE(text.find("Actual number of local searches performed is: 1\n"
                        "The number of local searches that yielded distinct local minima: 1\n"
                        "The number of MLSL iterations is: 1\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("Stopped because there have been 0 actual local searches with no objective function "
                        "improvement.\n\n"),
              std::string::npos);
}

// gamma x kN below 1 keeps no reduced sample: the iterations only sample,
// and the count of iterations without improvement still advances (from
// the second iteration) until it stops the strategy.
TEST_F(MultistartSearchTest, MlslWithoutReducedSampleOnlySamples)
{
    const mlsl_settings s{3, 0.1, 4.0, 0.01, 'Y', 11u, 5, 50, 50, 2, 0.01};
    std::string text;
    ASSERT_EQ(run_mlsl(s, text), 0) << text;
    EXPECT_EQ(calls, 9);
    EXPECT_EQ(text.find("Reduced Sample Set"), std::string::npos);
    EXPECT_EQ(text.find("A LS will be performed"), std::string::npos);
    EXPECT_NE(text.find("The number of MLSL iterations is: 3\n"
                        "No local search ended without failure.\n\n"
                        "Total model calls    = 9\n"
                        "Stopped because there have been 2 MLSL iterations with no objective function "
                        "improvement.\n\n"),
              std::string::npos)
        << text;
}

// On a flat objective every point has the same phi: points within alpha of
// each other do not refuse each other, and a search ends where it starts,
// so every reduced-sample point is searched from, except a sample drawn
// from the same seed again, which lies on an earlier start point.
TEST_F(MultistartSearchTest, MlslEqualPhiPointsSearchAndARepeatedPointIsRefused)
{
    write_file("RandomNumberSeeds.prn", "-5\n-9\n-5\n");
    const mlsl_settings s{3, 1.0, 100.0, 0.0, 'N', 1u, 1, 50, 50, 50, 0.01};
    std::string text;
    ASSERT_EQ(run_mlsl(s, text,
                       [](pest_control& c, pest_values, int slot) {
                           c.obs[1].simulated[slot] = 1.0;
                           return 0;
                       }),
              0)
        << text;
    EXPECT_EQ(text.find("with a lower obj. function value"), std::string::npos) << text;
    EXPECT_EQ(occurrences(text, "A LS will be performed from vector "), 2u) << text;
    EXPECT_EQ(occurrences(text, "of the reduced sample. It is too close to a previous LS start point\n"), 1u)
        << text;
    EXPECT_NE(text.find("Stopped because the maximum MLSL iterations, 1, to carry out were carried out\n\n"),
              std::string::npos);
}

// A failed sample run is ranked last and never searched from.
TEST_F(MultistartSearchTest, MlslNeverSearchesFromAFailedSample)
{
    const pest_model_call good = model();
    int n = 0;
    const mlsl_settings s{3, 1.0, 0.001, 0.0, 'Y', 8u, 1, 50, 50, 50, 0.01};
    std::string text;
    ASSERT_EQ(
        run_mlsl(s, text,
                 [&](pest_control& c, pest_values w, int slot) { return ++n == 2 ? 1 : good(c, w, slot); }),
        0)
        << text;
    EXPECT_EQ(occurrences(text, "\tfailed\t\n"), 2u) << text; // sample row and reduced-sample row
    EXPECT_NE(text.find("No LS for vector 3 of the reduced sample. Its model run failed\n"),
              std::string::npos)
        << text;
    EXPECT_EQ(text.find("A LS will be performed from vector 3 "), std::string::npos);
}

// The first iteration keeps no reduced sample (gamma x kN = 0.6), the
// second searches: that first search sets the best phi over iterations and
// counts as an improvement, so one iteration without improvement allowed
// does not stop the strategy at the second iteration.
TEST_F(MultistartSearchTest, MlslFirstSearchAfterAnEmptyIterationCountsAsAnImprovement)
{
    const mlsl_settings s{3, 0.2, 4.0, 0.01, 'Y', 17u, 10, 50, 50, 1, 0.01};
    std::string text;
    ASSERT_EQ(run_mlsl(s, text), 0) << text;
    EXPECT_NE(text.find("A LS will be performed from vector 1 of the reduced sample in iteration 2\n"),
              std::string::npos)
        << text;
    int k = 0;
    const std::size_t at = text.find("The number of MLSL iterations is: ");
    ASSERT_NE(at, std::string::npos) << text;
    ASSERT_EQ(std::sscanf(text.c_str() + at, "The number of MLSL iterations is: %d", &k), 1);
    EXPECT_GE(k, 3) << text;
}

// A failed search is reported and counted as a search, but neither as a
// minimum nor as the best; the result is then 1.
TEST_F(MultistartSearchTest, MlslFailedSearchIsNeitherAMinimumNorTheBest)
{
    const pest_model_call good = model();
    int n = 0;
    const mlsl_settings s{4, 0.5, 0.001, 0.0, 'Y', 8u, 1, 50, 50, 50, 0.01};
    std::string text;
    EXPECT_EQ(
        run_mlsl(s, text,
                 [&](pest_control& c, pest_values w, int slot) { return ++n == 6 ? 1 : good(c, w, slot); }),
        1);
    EXPECT_NE(text.find("\n MLSL local search 1 from vector 1 in step 1 failed.\n\n"), std::string::npos)
        << text;
    EXPECT_NE(text.find("Actual number of local searches performed is: 2\n"
                        "The number of local searches that yielded distinct local minima: 1\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("This value was obtained from reported inversion run number 2\n"), std::string::npos);
}

namespace
{

long resident_pages()
{
    std::ifstream in("/proc/self/statm");
    long size = 0, resident = 0;
    in >> size >> resident;
    return resident;
}

} // namespace

// The strategies make thousands of model calls in one process: their
// tables, seeds and files are released at their end, so repeated runs grow
// neither resident memory nor open descriptors. (Under the address
// sanitizer freed memory waits in a quarantine, so only descriptors count.)
TEST_F(MultistartSearchTest, ThousandsOfStrategyCallsLeaveNothingBehind)
{
    const mlsl_settings ml{10, 0.5, 4.0, 0.01, 'Y', 321u, 20, 50, 50, 50, 0.01};
    const multistart_settings ms{20250u, 6};
    const trajrep_settings tr{'Y', 99u, 10, 4, 5, 0.01};
    pc.critical_distance = 0.01;
    const pest_control start = pc;
    const auto round = [&] {
        std::string text;
        pc = start;
        ASSERT_EQ(run_mlsl(ml, text), 0);
        ASSERT_EQ(run(ms, text), 0);
        ASSERT_EQ(run_trajrep(tr, text), 0);
    };
    for (int k = 0; k < 3; ++k)
        round();
    [[maybe_unused]] const long pages = resident_pages(); // unused under AddressSanitizer
    const int descriptors = torva_test::open_descriptor_count();
    const int before = calls;
    while (calls - before < 1000)
        round();
    EXPECT_LE(torva_test::open_descriptor_count(), descriptors);
#if !defined(__SANITIZE_ADDRESS__)
    EXPECT_LE(resident_pages(), pages + 64) << "resident pages grew from " << pages; // 256 kB of slack
#endif
}

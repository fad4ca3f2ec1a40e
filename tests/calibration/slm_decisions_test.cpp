#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <unistd.h>

#include "calibration/numerical_routines.h"
#include "calibration/slm_routines.h"
#include "support/test_support.h"

namespace
{

pest_control schedule()
{
    pest_control pc;
    pc.phiratsuf = 0.3;
    pc.phiredlam = 0.03;
    pc.numlam = 10;
    pc.rlamfac = 2.0;
    return pc;
}

TEST(SlmDecisions, LambdaSearchRules)
{
    struct search_case {
        double phi_start;
        int numlam;
        std::vector<double> phis; // trials 1..m
        int chosen;
        std::string screen;
    } cases[] = {
        {11.0, 10, {10.0}, 0, ""},
        {11.0, 10, {10.0, 8.0}, 0, ""},
        {11.0, 10, {10.0, 8.0, 9.0}, 2, "No more lambdas: phi rising\n\n"},
        {11.0, 10, {10.0, 12.0}, 0, ""}, // m = 2 rising goes on, no reduction test
        {11.0, 3, {9.0, 7.0, 7.0}, 3, "No more lambdas: allowed lambdas per iteration =  3\n\n"},
        {11.0, 10, {10.0, 3.0}, 2, "No more lambdas: phi is less than 0.300000 of starting phi\n\n"},
        {11.0,
         10,
         {10.0, 9.8},
         2,
         "No more lambdas: relative phi reduction between lambdas less than 0.030000\n\n"},
    };
    for (const search_case& c : cases) {
        pest_control pc = schedule();
        pc.numlam = c.numlam;
        std::vector<double> trial{0.0};
        trial.insert(trial.end(), c.phis.begin(), c.phis.end());
        std::FILE* rec = std::tmpfile();
        int chosen = 0;
        testing::internal::CaptureStdout();
        TestLambdaSearch(rec, c.phi_start, static_cast<int>(c.phis.size()), trial.data(), pc, chosen);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), c.screen) << c.phis.size();
        EXPECT_EQ(chosen, c.chosen) << c.phis.size();
        std::rewind(rec);
        std::string recorded(256, '\0');
        recorded.resize(std::fread(&recorded[0], 1, recorded.size(), rec));
        EXPECT_EQ(recorded, c.screen);
        std::fclose(rec);
    }
}

TEST(SlmDecisions, NextLambdaKeepsDirectionAndReverses)
{
    // Down from 5 fails at the second trial: continue above the start.
    pest_control pc = schedule();
    pc.lambda = 5.0;
    double prev = 0.0;
    int reversal = 0;
    const double up[] = {0.0, 10.0, 12.0, 11.0};
    NextLambda(5.0, prev, reversal, 10.0, up, 1, pc);
    EXPECT_DOUBLE_EQ(pc.lambda, 2.5);
    NextLambda(5.0, prev, reversal, 12.0, up, 2, pc);
    EXPECT_DOUBLE_EQ(pc.lambda, 10.0);
    EXPECT_DOUBLE_EQ(prev, 2.5);
    EXPECT_EQ(reversal, 1);
    NextLambda(5.0, prev, reversal, 11.0, up, 3, pc); // improved while going up: keep going up
    EXPECT_DOUBLE_EQ(pc.lambda, 20.0);

    // Improvement while going down keeps going down.
    pest_control down = schedule();
    down.lambda = 5.0;
    prev = 0.0;
    reversal = 0;
    const double better[] = {0.0, 10.0, 8.0};
    NextLambda(5.0, prev, reversal, 10.0, better, 1, down);
    NextLambda(5.0, prev, reversal, 8.0, better, 2, down);
    EXPECT_DOUBLE_EQ(down.lambda, 1.25);
    EXPECT_EQ(reversal, 0);
}

TEST(SlmDecisions, TerminationRules)
{
    pest_control pc;
    pc.phiredstp = 0.01;
    pc.nphistp = 3;
    pc.nphinored = 3;
    pc.relparstp = 0.01;
    pc.nrelpar = 3;
    struct stop_case {
        std::vector<double> history; // 1..n
        int iter_lowest, small_changes;
        double lowest, phi;
        int nphistp;
        int stop;
        std::string first_line;
    } cases[] = {
        {{5.0, 0.0}, 1, 0, 0.0, 0.0, 3, 1, "Optimization complete: the objective function equals zero\n"},
        {{5.0, 4.0},
         1,
         0,
         4.0,
         4.0,
         1,
         1,
         "Optimization complete: the  1 lowest phi's are within a relative distance\n"},
        {{5.0, 4.0, 4.01, 4.02},
         1,
         0,
         4.0,
         4.02,
         3,
         1,
         "Optimization complete: the  3 lowest phi's are within a relative distance\n"},
        {{5.0, 4.0, 4.5, 4.6, 4.7},
         1,
         0,
         4.0,
         4.7,
         3,
         1,
         "Optimization complete:   3 optimization iterations have elapsed since lowest\n"},
        {{5.0, 4.0, 3.0},
         2,
         3,
         3.0,
         3.0,
         3,
         1,
         "Optimization complete: relative parameter change less than 0.010000\n"},
        {{5.0, 4.0, 3.0}, 2, 2, 3.0, 3.0, 3, 0, ""},
    };
    for (const stop_case& c : cases) {
        pc.nphistp = c.nphistp;
        std::vector<double> h{0.0};
        h.insert(h.end(), c.history.begin(), c.history.end());
        int stop = -1;
        testing::internal::CaptureStdout();
        TestTermination(nullptr, static_cast<int>(c.history.size()), c.iter_lowest, c.small_changes, h.data(),
                        c.lowest, c.phi, pc, stop, 17);
        const std::string screen = testing::internal::GetCapturedStdout();
        EXPECT_EQ(stop, c.stop) << c.first_line;
        EXPECT_EQ(screen.substr(0, c.first_line.size()), c.first_line);
        if (c.stop) {
            EXPECT_NE(screen.find("Total Model Calls:\t17\n"), std::string::npos);
        }
    }
}

TEST(SlmDecisions, ObjectiveByGroupAndPrior)
{
    pest_control pc;
    pc.nobs = 3;
    pc.obs.resize(4);
    pc.obs[1] = {"a", 10.0, {9.0, 7.0, 0.0}, 2.0, "flows"};
    pc.obs[2] = {"b", 1.0, {0.5, 1.0, 0.0}, 1.0, "peaks"};
    pc.obs[3] = {"c", 1.0, {0.0, 0.0, 0.0}, 1.0, "nowhere"}; // in no group: not in phi
    pc.nobsgp = 3;
    pc.obs_groups = {{}, {"flows", 0.0}, {"peaks", 0.0}, {"regul", 0.0}};
    double phi = 0.0;
    ObjectiveByGroup(pc, 0, phi);
    EXPECT_DOUBLE_EQ(phi, 4.0 + 0.25);
    ObjectiveByGroup(pc, 1, phi);
    EXPECT_DOUBLE_EQ(phi, 36.0);
    EXPECT_DOUBLE_EQ(pc.obs_groups[1].contribution, 36.0);
    EXPECT_DOUBLE_EQ(pc.obs_groups[2].contribution, 0.0);

    pc.npar = 3;
    pc.params.resize(4);
    pc.params[1].value = 2.0;
    pc.params[2].transform = "fixed";
    pc.params[2].value = 100.0;
    pc.params[3].value = 3.0;
    pc.nprior = 1;
    pc.priors.resize(2);
    pc.priors[1].provided = 0.5;
    pc.priors[1].weight = 2.0;
    pc.priors[1].group = "regul";
    double row[] = {0.0, 1.0, -1.0}; // value(1) - value(3) = -1
    double* prior[] = {nullptr, row};
    double prior_phi = 0.0;
    PriorObjective(pc, prior, prior_phi);
    EXPECT_DOUBLE_EQ(prior_phi, 9.0);
    EXPECT_DOUBLE_EQ(pc.obs_groups[3].contribution, 9.0);
}

TEST(SlmDecisions, StopFileRequests)
{
    torva_test::scratch_dir dir{"slm_stop"};
    char buf[4096];
    const std::string old = getcwd(buf, sizeof buf) ? buf : ".";
    ASSERT_EQ(chdir(dir.path().c_str()), 0);
    EXPECT_EQ(ReadStopRequest(), 0);
    for (const char* go_on : {"0\n", "text\n", ""}) {
        torva_test::write_file("pest.stp", go_on);
        EXPECT_EQ(ReadStopRequest(), 0);
        EXPECT_FALSE(torva_test::file_exists("pest.stp"));
    }
    torva_test::write_file("pest.stp", "1\n");
    EXPECT_EQ(ReadStopRequest(), 1);
    torva_test::write_file("pest.stp", "3\n");
    testing::internal::CaptureStdout();
    EXPECT_EQ(ReadStopRequest(), 3);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "\n\nThe toolbox does not currently support pausing execution.\n\n");
    ASSERT_EQ(chdir(old.c_str()), 0);
}

TEST(SlmDecisions, ParameterClassesTiesAndNames)
{
    pest_control pc;
    pc.npar = 4;
    pc.params.resize(5);
    pc.params[1] = pest_param{};
    pc.params[1].name = "KS";
    pc.params[1].transform = "log";
    pc.params[1].value = std::log10(2.0);
    pc.params[2].name = "iw_N";
    pc.params[2].transform = "none";
    pc.params[3].name = "KT";
    pc.params[3].transform = "tied";
    pc.params[3].value = 4.0;
    pc.params[3].parent_name = "KS";
    pc.params[4].name = "C";
    pc.params[4].transform = "fixed";
    ClassifyParameters(pc);
    EXPECT_EQ(pc.num_adjustable, 2);
    EXPECT_EQ(pc.num_tied, 1);
    EXPECT_EQ(pc.num_fixed, 1);
    EXPECT_EQ(pc.num_prefixed, 1);
    EXPECT_EQ(pc.params[2].prefix, 1);
    SetTieRatios(pc);
    EXPECT_EQ(pc.params[3].parent, 1);
    EXPECT_NEAR(pc.params[3].tie_ratio, 2.0, 1e-14);
    int list[5] = {};
    ListAdjustableParameters(pc, list);
    EXPECT_EQ(list[1], 1);
    EXPECT_EQ(list[2], 2);

    struct name_case {
        std::string control, base;
    } names[] = {
        {"case.pst", "case"}, {"case", "case"}, {"run.a.pst", "run"}, {"../runs/c.pst", "../runs/c"}};
    for (const name_case& c : names) {
        std::string w0 = "torva", w1 = "-slm", w2 = c.control;
        char* argv[] = {w0.data(), w1.data(), w2.data()};
        toolbox_names tn;
        ASSERT_EQ(FilesNamesForWrite(3, argv, tn), 0);
        EXPECT_EQ(tn.base, c.base);
        EXPECT_EQ(tn.rec, c.base + ".rec");
        EXPECT_EQ(tn.rst, c.base + ".rst");
    }
    std::string w0 = "torva", w1 = "-slm", w2 = std::string(96, 'x') + ".pst";
    char* argv[] = {w0.data(), w1.data(), w2.data()};
    toolbox_names tn;
    testing::internal::CaptureStdout();
    EXPECT_EQ(FilesNamesForWrite(3, argv, tn), 1);
    testing::internal::GetCapturedStdout();
}

} // namespace

namespace
{

// A random start draws every adjustable parameter within its bounds, a
// log-transformed one in natural units, and advances the seed.
TEST(SlmDecisions, RandomStartPointDrawsWithinTheBounds)
{
    pest_control pc;
    pc.npar = 3;
    pc.params.resize(4);
    const char* transforms[] = {"", "none", "log", "fixed"};
    for (int i = 1; i <= 3; ++i) {
        pc.params[i].transform = transforms[i];
        pc.params[i].value = 5.0;
        pc.params[i].lower = i == 2 ? -1.0 : 0.0; // 0.1 to 10 in natural units
        pc.params[i].upper = i == 2 ? 1.0 : 10.0;
    }
    int seed = -7, again = -7;
    RandomStartPoint(pc, seed);
    const double u1 = uniform_deviate(again);
    const double u2 = uniform_deviate(again);
    EXPECT_DOUBLE_EQ(pc.params[1].value, 10.0 * u1);
    EXPECT_DOUBLE_EQ(pc.params[2].value, std::log10(0.1 + u2 * 9.9));
    EXPECT_EQ(pc.params[3].value, 5.0);
    EXPECT_EQ(seed, again);
    EXPECT_NE(u1, u2);
}

TEST(SlmDecisions, NearEarlierPointCountsOnlyNearDistinctPoints)
{
    pest_control pc;
    pc.npar = 2;
    pc.critical_distance = 0.1;
    pc.params.resize(3);
    pc.params[1].value = 1.0, pc.params[1].lower = 0.0, pc.params[1].upper = 10.0;
    pc.params[2].value = 5.0, pc.params[2].lower = 5.0, pc.params[2].upper = 5.0; // no range: left out
    double row1[4] = {0.0, 1.0, 3.0, 1.5};
    double row2[4] = {0.0, 5.0, 5.0, 5.0};
    double* points[3] = {nullptr, row1, row2};
    int flag = -1;
    NearEarlierPoint(pc, points, 0, flag);
    EXPECT_EQ(flag, 0); // K = 0
    NearEarlierPoint(pc, points, 2, flag);
    EXPECT_EQ(flag, 0); // standing on point 1; point 2 at 0.2
    NearEarlierPoint(pc, points, 3, flag);
    EXPECT_EQ(flag, 1); // point 3 at 0.05
}

} // namespace

// The whole search loop on least-squares test problems, the model replaced
// by a function of the values.
#include <cmath>
#include <cstdio>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <unistd.h>

#include "calibration/numerical_routines.h"
#include "calibration/slm_record_reading.h"
#include "calibration/slm_routines.h"
#include "support/test_support.h"

namespace
{

using slm_test::numbers;
using slm_test::results_table;
using torva_test::file_exists;
using torva_test::read_file;

using residual_fn = std::function<void(const double*, double*)>;

struct SlmSearch : testing::Test {
    torva_test::scratch_dir dir{"slm_search"};
    std::string old;
    pest_control pc;
    toolbox_names names{"case", "case.rec", "case.sen", "case.mtt", "case.par", "case.rst"};
    residual_fn f;
    int calls = 0;

    void SetUp() override
    {
        char buf[4096];
        old = getcwd(buf, sizeof buf) ? buf : ".";
        ASSERT_EQ(chdir(dir.path().c_str()), 0);
    }
    void TearDown() override { static_cast<void>(chdir(old.c_str())); }

    // Two parameters x1, x2 in [-10, 10] and the observations' measured values.
    void problem(const std::vector<double>& measured, residual_fn fn, double x1, double x2, int method)
    {
        f = std::move(fn);
        pc.mode = "estimation";
        pc.npar = 2;
        pc.params.assign(3, pest_param());
        const char* pnames[] = {"", "x1", "x2"};
        const double start[] = {0.0, x1, x2};
        for (int j = 1; j <= 2; ++j) {
            pest_param& p = pc.params[j];
            p.name = pnames[j];
            p.transform = "none";
            p.value = start[j];
            p.lower = -10.0;
            p.upper = 10.0;
            p.group = "g";
        }
        pc.npargp = 1;
        pc.param_groups = {{}, {"g", "relative", 0.01, 0.0, "always_3", 2.0, "outside_pts"}};
        pc.nobs = static_cast<int>(measured.size());
        pc.obs.assign(pc.nobs + 1, pest_obs());
        for (int i = 1; i <= pc.nobs; ++i) {
            pc.obs[i].name = "o" + std::to_string(i);
            pc.obs[i].measured = measured[i - 1];
            pc.obs[i].weight = 1.0;
            pc.obs[i].group = "obs";
        }
        pc.nobsgp = 1;
        pc.obs_groups = {{}, {"obs", 0.0}};
        pc.lambda = 10.0;
        pc.rlamfac = 2.0;
        pc.phiratsuf = 0.3;
        pc.phiredlam = 0.01;
        pc.numlam = 10;
        pc.noptmax = 100;
        pc.phiredstp = 1e-3;
        pc.nphistp = 3;
        pc.nphinored = 3;
        pc.relparstp = 1e-9;
        pc.nrelpar = 3;
        pc.method = method;
        pc.cyclic_columns = 1;
        ClassifyParameters(pc);
        SetTieRatios(pc);
    }

    pest_model_call model()
    {
        return [this](pest_control& c, pest_values which, int slot) {
            ++calls;
            double x[3];
            for (int j = 1; j <= 2; ++j)
                x[j] = which == pest_values::current      ? c.params[j].value
                       : which == pest_values::perturbed1 ? c.params[j].perturbed1
                                                          : c.params[j].perturbed2;
            std::vector<double> out(c.nobs + 1);
            f(x, out.data());
            for (int i = 1; i <= c.nobs; ++i)
                c.obs[i].simulated[slot] = out[i];
            return 0;
        };
    }

    // Runs the search with its four output files; the screen text.
    int search(std::string& screen, const char* restart = nullptr)
    {
        const char* argv[] = {"torva", "-slm", "case.pst", restart, nullptr};
        const int argc = restart ? 4 : 3;
        std::FILE* rec = std::fopen("case.rec", restart ? "a" : "w");
        std::FILE* sen = std::fopen("case.sen", restart ? "a" : "w");
        std::FILE* mtt = std::fopen("case.mtt", "w");
        std::FILE* par = std::fopen("case.par", "w");
        testing::internal::CaptureStdout();
        const int rc = LMInversion(argc, const_cast<char**>(argv), pc, names, rec, sen, mtt, par, model());
        screen = testing::internal::GetCapturedStdout();
        for (std::FILE* fp : {rec, sen, mtt, par})
            std::fclose(fp);
        return rc;
    }
};

void rosenbrock(const double* x, double* y)
{
    y[1] = 10.0 * (x[2] - x[1] * x[1]);
    y[2] = 1.0 - x[1];
}

void beale(const double* x, double* y)
{
    y[1] = x[1] * (1.0 - x[2]);
    y[2] = x[1] * (1.0 - x[2] * x[2]);
    y[3] = x[1] * (1.0 - x[2] * x[2] * x[2]);
}

// Rosenbrock from (-1.2, 1) and Beale from (1, 1), where x1 has no effect
// on the observations at first, reach their minima with LM and SLM and stop
// by a stopping test; the parameter file and the results table hold the
// estimate.
TEST_F(SlmSearch, LeastSquaresMinimaWithLmAndSlm)
{
    struct ls_case {
        const char* name;
        std::vector<double> measured;
        residual_fn fn;
        double x1, x2, min1, min2;
        int method;
    } cases[] = {
        {"Rosenbrock LM", {0.0, 0.0}, rosenbrock, -1.2, 1.0, 1.0, 1.0, 0},
        {"Rosenbrock SLM", {0.0, 0.0}, rosenbrock, -1.2, 1.0, 1.0, 1.0, 1},
        {"Beale LM", {1.5, 2.25, 2.625}, beale, 1.0, 1.0, 3.0, 0.5, 0},
        {"Beale SLM", {1.5, 2.25, 2.625}, beale, 1.0, 1.0, 3.0, 0.5, 1},
    };
    for (const ls_case& c : cases) {
        pc = pest_control();
        problem(c.measured, c.fn, c.x1, c.x2, c.method);
        calls = 0;
        std::string screen;
        ASSERT_EQ(search(screen), 0) << c.name << screen;
        EXPECT_NEAR(pc.params[1].value, c.min1, 1e-5) << c.name;
        EXPECT_NEAR(pc.params[2].value, c.min2, 1e-5) << c.name;
        const std::string rec = read_file("case.rec");
        EXPECT_NE(rec.find("Optimization complete: "), std::string::npos) << c.name;
        EXPECT_EQ(rec.find("Maximum number of optimization iterations"), std::string::npos) << c.name;
        EXPECT_NE(rec.find("The model has been run one final time using best parameters."),
                  std::string::npos);
        const std::vector<double> par = numbers(read_file("case.par"));
        ASSERT_EQ(par.size(), 2u) << c.name;
        EXPECT_EQ(results_table(rec), par) << c.name;
        EXPECT_NEAR(par[0], c.min1, 1e-5);
        if (c.x1 == 1.0 && c.x2 == 1.0) {
            EXPECT_NE(rec.find("Parameter \"x1\" has no effect on observations."), std::string::npos);
        }
        EXPECT_TRUE(file_exists("jac.txt"));
    }
}

// NOPTMAX 0 is one model call and the results without statistics; -1 is
// one Jacobian with its statistics, no lambda trial and no final run.
TEST_F(SlmSearch, NoptmaxZeroAndMinusOne)
{
    problem({0.0, 0.0}, rosenbrock, -1.2, 1.0, 0);
    pc.noptmax = 0;
    std::string screen;
    ASSERT_EQ(search(screen), 0) << screen;
    EXPECT_EQ(calls, 1);
    EXPECT_FALSE(file_exists("jac.txt"));
    std::string rec = read_file("case.rec");
    EXPECT_NE(rec.find("No optimisation iterations carried out so Jacobian never calculated."),
              std::string::npos);
    EXPECT_EQ(rec.find("Lambda ="), std::string::npos);
    EXPECT_EQ(numbers(read_file("case.par")), (std::vector<double>{-1.2, 1.0}));

    problem({1.5, 2.25, 2.625}, beale, 2.0, 0.2, 0);
    pc.noptmax = -1;
    calls = 0;
    ASSERT_EQ(search(screen), 0) << screen;
    EXPECT_EQ(calls, 1 + 2 * 2); // the initial run and two three-point columns
    rec = read_file("case.rec");
    EXPECT_EQ(rec.find("Lambda ="), std::string::npos);
    EXPECT_EQ(rec.find("final time"), std::string::npos);
    EXPECT_NE(rec.find("95 percent confidence limits"), std::string::npos) << rec;
    // Central differences are exact for the linear and quadratic terms of
    // the first two rows: (1 - x2, -x1) and (1 - x2^2, -2 x1 x2).
    double j[7] = {};
    ASSERT_EQ(std::sscanf(read_file("jac.txt").c_str(), "%lf %lf %lf %lf %lf %lf", &j[1], &j[2], &j[3], &j[4],
                          &j[5], &j[6]),
              6);
    EXPECT_NEAR(j[1], 0.8, 1e-6);
    EXPECT_NEAR(j[2], -2.0, 1e-6);
    EXPECT_NEAR(j[3], 0.96, 1e-6);
    EXPECT_NEAR(j[4], -0.8, 1e-6);
    const std::string sen = read_file("case.sen");
    EXPECT_NE(sen.find("OPTIMISATION ITERATION NO.\t1 ----->"), std::string::npos);
    EXPECT_EQ(sen.find("OPTIMISATION ITERATION NO.\t2"), std::string::npos);
    EXPECT_NE(sen.find("COMPLETION OF OPTIMISATION PROCESS"), std::string::npos);
}

// A first upgrade that pushes every parameter beyond the bound it stands
// on freezes them all: no trial run, and the search ends at its limits.
TEST_F(SlmSearch, EveryParameterFrozenEndsWithoutATrial)
{
    problem(
        {5.0, 5.0}, [](const double* x, double* y) { y[1] = x[1], y[2] = x[2]; }, 1.0, 1.0, 0);
    for (int j = 1; j <= 2; ++j)
        pc.params[j].upper = 1.0 + 5e-9; // moved onto the bound at the start
    std::string screen;
    ASSERT_EQ(search(screen), 0) << screen;
    EXPECT_EQ(calls, 1 + 4 + 1); // initial, Jacobian, uncounted final run
    EXPECT_NE(screen.find("Optimisation complete: all parameters at their limits.\n"), std::string::npos);
    EXPECT_EQ(read_file("case.rec").find("Lambda ="), std::string::npos);
    EXPECT_DOUBLE_EQ(pc.params[1].value, 1.0); // the best values: those of the initial run
}

// A failed model call ends the search with its result and no final run.
TEST_F(SlmSearch, FailedCallEndsTheSearch)
{
    problem({0.0, 0.0}, rosenbrock, -1.2, 1.0, 0);
    const pest_model_call good = model();
    int n = 0;
    std::string screen;
    std::FILE* rec = std::fopen("case.rec", "w");
    std::FILE* sen = std::fopen("case.sen", "w");
    std::FILE* par = std::fopen("case.par", "w");
    const char* argv[] = {"torva", "-slm", "case.pst", nullptr};
    testing::internal::CaptureStdout();
    const int rc =
        LMInversion(3, const_cast<char**>(argv), pc, names, rec, sen, nullptr, par,
                    [&](pest_control& c, pest_values w, int s) { return ++n == 4 ? 7 : good(c, w, s); });
    screen = testing::internal::GetCapturedStdout();
    for (std::FILE* fp : {rec, sen, par})
        std::fclose(fp);
    EXPECT_EQ(rc, 7);
    EXPECT_EQ(n, 4);
    EXPECT_EQ(read_file("case.rec").find("OPTIMISATION RESULTS"), std::string::npos);
}

// The variants record one point per iteration and stop near a point that
// an earlier search recorded.
TEST_F(SlmSearch, VariantsRecordPointsAndStopNearEarlierOnes)
{
    problem({0.0, 0.0}, rosenbrock, -1.2, 1.0, 0);
    pc.critical_distance = 0.01;
    double** points = matrix(1, 2, 1, 200);
    std::vector<double> point_phi(201, 0.0);
    int count = 0, model_calls = 0;
    std::FILE* rec = std::fopen("case.rec", "w");
    std::FILE* sen = std::fopen("case.sen", "w");
    std::FILE* par = std::fopen("case.par", "w");
    const char* argv[] = {"torva", "-mlsl", "case.pst", nullptr};
    testing::internal::CaptureStdout();
    ASSERT_EQ(LMInversionMLSL(3, const_cast<char**>(argv), pc, names, rec, sen, nullptr, par, model(), points,
                              point_phi.data(), count, model_calls),
              0);
    EXPECT_GE(count, 3);
    EXPECT_EQ(model_calls, calls); // the final run after a stopping test is counted
    EXPECT_NEAR(points[1][count], 1.0, 1e-4);
    EXPECT_DOUBLE_EQ(point_phi[0], 4.4 * 4.4 + 2.2 * 2.2); // the initial run
    EXPECT_LT(point_phi[count], 1e-6);
    EXPECT_FALSE(file_exists("jac.txt"));

    // A search from a nearby start stops as soon as it comes near that path.
    const int recorded = count;
    problem({0.0, 0.0}, rosenbrock, -1.21, 1.0, 0);
    pc.critical_distance = 0.01;
    ASSERT_EQ(LMInversionRepelled(3, const_cast<char**>(argv), pc, names, rec, sen, nullptr, par, model(),
                                  points, count, model_calls),
              0);
    const std::string screen = testing::internal::GetCapturedStdout();
    EXPECT_EQ(count, recorded + 1) << screen; // stopped at its second iteration
    for (std::FILE* fp : {rec, sen, par})
        std::fclose(fp);
    free_matrix(points, 1, 1);
}

} // namespace

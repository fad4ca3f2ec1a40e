#include <cmath>
#include <cstdio>
#include <string>

#include <gtest/gtest.h>

#include "calibration/numerical_routines.h"
#include "calibration/slm_routines.h"
#include "support/golden_compare.h"

namespace
{

std::string stream_text(std::FILE* fp)
{
    std::rewind(fp);
    std::string text;
    char buf[4096];
    std::size_t got;
    while ((got = std::fread(buf, 1, sizeof buf, fp)) > 0)
        text.append(buf, got);
    return text;
}

// Two adjustable parameters (one log-transformed) and a fixed last one.
pest_control results_case()
{
    pest_control pc;
    pc.mode = "estimation";
    pc.noptmax = 10;
    pc.npar = 3;
    pc.params.resize(4);
    const char* names[] = {"", "KS", "N", "C"};
    const char* transforms[] = {"", "log", "none", "fixed"};
    const double values[] = {0.0, std::log10(2.0), 0.05, 7.0};
    for (int i = 1; i <= 3; ++i) {
        pc.params[i].name = names[i];
        pc.params[i].transform = transforms[i];
        pc.params[i].value = values[i];
    }
    ClassifyParameters(pc);
    pc.nobs = 3;
    pc.obs.resize(4);
    for (int i = 1; i <= 3; ++i) {
        pc.obs[i].name = "Q" + std::to_string(i);
        pc.obs[i].measured = i;
        pc.obs[i].simulated[0] = i + 0.25;
        pc.obs[i].weight = 1.0;
        pc.obs[i].group = "flows";
    }
    pc.nobsgp = 1;
    pc.obs_groups = {{}, {"flows", 0.1875}};
    return pc;
}

TEST(SlmResults, ResultsWithStatisticsMatchTheLayout)
{
    pest_control pc = results_case();
    double** cov = matrix(1, 2, 1, 2);
    double** cor = matrix(1, 2, 1, 2);
    double** vec = matrix(1, 2, 1, 2);
    double val[3] = {0.0, 0.01, 0.00005};
    cov[1][1] = 0.01, cov[1][2] = 0.00005, cov[2][1] = 0.00005, cov[2][2] = 0.00004;
    for (int i = 1; i <= 2; ++i)
        for (int j = 1; j <= 2; ++j) {
            cor[i][j] = cov[i][j] / std::sqrt(cov[i][i] * cov[j][j]);
            vec[i][j] = i == j ? 1.0 : 0.0;
        }
    std::FILE* rec = std::tmpfile();
    WriteOptimisationResults(rec, 0.1875, cov, cor, vec, val, pc, 0, nullptr);
    // d = 1: t = 12.706; KS limits are 10^(log 2 -+ 12.706 * 0.1).
    EXPECT_TRUE(torva_test::matches_golden("slm_results.txt", stream_text(rec), {0.0, 0.0}));
    std::fclose(rec);
    free_matrix(vec, 1, 1);
    free_matrix(cor, 1, 1);
    free_matrix(cov, 1, 1);
}

TEST(SlmResults, NoIterationsGiveBothBlocksWithoutLimits)
{
    pest_control pc = results_case();
    pc.noptmax = 0;
    std::FILE* rec = std::tmpfile();
    WriteOptimisationResults(rec, 0.1875, nullptr, nullptr, nullptr, nullptr, pc, 0, nullptr);
    const std::string text = stream_text(rec);
    std::fclose(rec);
    EXPECT_NE(text.find("Covariance matrix and parameter confidence intervals cannot be determined:\n"
                        "No optimisation iterations carried out so Jacobian never calculated..\n\n"
                        "Adjustable Parameters ----->\n\nParameter        Estimated\n                 value\n"
                        "KS                2.000000\nN                0.050000\n\n\n\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("Observations ----->\n"), std::string::npos);
    EXPECT_NE(text.find("Sum of squared weighted residuals (ie phi)\t\t: 1.875000E-01\n"), std::string::npos);
    const std::string tail = "Covariance and other statistical matricies cannot be determined:\n"
                             "No optimisation iterations carried out so Jacobian never calculated.\n";
    EXPECT_EQ(text.substr(text.size() - tail.size()), tail);
}

TEST(SlmResults, IterationHeaderOnlyForKnownModes)
{
    pest_control pc = results_case();
    std::FILE* rec = std::tmpfile();
    WriteIterationHeader(pc, rec, 2, 9, 0.5, 0.0, 0.5);
    EXPECT_EQ(stream_text(rec), "\nOPTIMIZATION ITERATION NO.\t\t\t\t: 2\nModel Calls so far\t\t\t\t\t: 9\n"
                                "Starting objective function value for this iteration\t: 5.000000E-01\n"
                                "Contribution to phi from observation group 'flows'\t= 1.875000E-01\n\n");
    std::fclose(rec);
    pc.mode = "other";
    rec = std::tmpfile();
    WriteIterationHeader(pc, rec, 2, 9, 0.5, 0.0, 0.5);
    EXPECT_EQ(stream_text(rec), "");
    std::fclose(rec);
}

} // namespace

namespace
{

TEST(SlmResults, SensitivityFileByIterationAndGroup)
{
    pest_control pc = results_case();
    pc.nobsgp = 2;
    pc.obs_groups.push_back({"peaks", 0.0});
    pc.obs[3].weight = 2.0;
    int adjustable[3];
    ListAdjustableParameters(pc, adjustable);
    double** jac = matrix(1, 3, 1, 2);
    for (int r = 1; r <= 3; ++r) {
        jac[r][1] = r;
        jac[r][2] = 0.0;
    }
    toolbox_names names;
    names.base = "case";
    pc.params[1].composite_sensitivity = 1.5;
    std::FILE* sen = std::tmpfile();
    WriteSensitivities(pc, jac, nullptr, adjustable, names, 1, sen, 0);
    WriteSensitivities(pc, jac, nullptr, adjustable, names, 2, sen, 1);
    // flows: sqrt(1 + 4 + 36) / 3 for KS.
    const std::string head = " Parameter name    Group          Current value    Sensitivity       \n";
    char ks[64];
    std::snprintf(ks, sizeof ks, "KS\t\t2.000000\t%lf\n", std::sqrt(41.0) / 3.0);
    EXPECT_EQ(stream_text(sen),
              "                        PARAMETER SENSITIVITIES: CASE case\n\n\n"
              " OPTIMISATION ITERATION NO.\t1 ----->\n" +
                  head +
                  "KS\t\t2.000000\t1.500000\nN\t\t0.050000\t0.000000\n\n\n"
                  "\n                        COMPLETION OF OPTIMISATION PROCESS\n\n"
                  " Composite sensitivities for observation group \"flows\" ----->\n\n"
                  " Number of observations with non-zero weight =\t3\n" +
                  head + ks +
                  "N\t\t0.050000\t0.000000\n\n\n"
                  " Composite sensitivities for observation group \"peaks\" ----->\n\n"
                  "\n No observations/prior_info with non-zero weight belong to this group.\n\n"
                  "\n\n"
                  " Composite sensitivities for all observations/prior info ----->\n\n"
                  " Number of observations with non-zero weight =\t3\n" +
                  head + ks + "N\t\t0.050000\t0.000000\n");
    std::fclose(sen);
    free_matrix(jac, 1, 1);
}

} // namespace

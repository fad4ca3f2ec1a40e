// The toolbox example end to end: "torva -slm case.pst" on a plane whose
// observations were made with Manning n = 0.05, from a start of 0.1.
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "calibration/slm_record_reading.h"
#include "support/test_support.h"

namespace
{

namespace fs = std::filesystem;
using slm_test::numbers;
using slm_test::results_table;
using torva_test::file_exists;
using torva_test::read_file;
using torva_test::scratch_dir;
using torva_test::write_file;

void copy_example(const scratch_dir& dir)
{
    for (const auto& entry : fs::directory_iterator(std::string(TORVA_EXAMPLES) + "/slm"))
        fs::copy_file(entry.path(), fs::path(dir.path()) / entry.path().filename());
}

int run_in(const scratch_dir& dir, const std::string& args, std::string& out)
{
    return torva_test::run_command("cd '" + dir.path() + "' && '" + torva_test::torva_exe() + "' " + args,
                                   out);
}

// The control file with one line's text replaced.
void edit_control(const scratch_dir& dir, const std::string& from, const std::string& to)
{
    std::string text = read_file(dir.file("case.pst"));
    const std::size_t at = text.find(from);
    ASSERT_NE(at, std::string::npos) << from;
    write_file(dir.file("case.pst"), text.replace(at, from.size(), to));
}

int total_model_calls(const std::string& rec)
{
    const std::string key = "Total Model Calls:\t";
    const std::size_t at = rec.rfind(key);
    return at == std::string::npos ? -1 : std::atoi(rec.c_str() + at + key.size());
}

// The search finds n within 1 % of 0.05 and writes its files: the record's
// estimate equals case.par, values.in holds the last run's value, and the
// restart file is gone after the final run.
TEST(SlmExample, RecoversTheRoughnessAndResumesAfterAStop)
{
    scratch_dir dir("slm_example");
    copy_example(dir);
    std::string out;
    ASSERT_EQ(run_in(dir, "-slm case.pst", out), 0) << out;
    const std::vector<double> par = numbers(read_file(dir.file("case.par")));
    ASSERT_EQ(par.size(), 1u);
    EXPECT_NEAR(par[0], 0.05, 0.05 * 0.01);
    const std::string rec = read_file(dir.file("case.rec"));
    EXPECT_EQ(results_table(rec), par);
    EXPECT_EQ(rec.rfind("\n                            RECORD FILE \n\n\nINPUT INFORMATION \n\n", 0), 0u);
    EXPECT_NE(rec.find("Input control file case name: case.pst\n\n\nALGORITHM \n\nThe LM method is employed"),
              std::string::npos);
    EXPECT_NE(rec.find("INITIAL CONDITIONS:\n   Sum of squared weighted residuals = "), std::string::npos);
    EXPECT_NE(rec.find("Optimization complete: "), std::string::npos);
    EXPECT_EQ(read_file(dir.file("torva.in")), "1\n[n] \"%16.8lf\"\n");
    const std::string values = read_file(dir.file("values.in"));
    EXPECT_EQ(values.size(), 14u) << values; // "%.7E " on one line, no line end
    EXPECT_NEAR(numbers(values).at(0), par[0], 1e-6);
    EXPECT_NE(read_file(dir.file("case.sen")).find("COMPLETION OF OPTIMISATION PROCESS"), std::string::npos);
    EXPECT_EQ(numbers(read_file(dir.file("jac.txt"))).size(), 12u);
    EXPECT_FALSE(file_exists(dir.file("case.rst")));

    // Stopped through pest.stp in its third iteration, the search resumes
    // with "/r" and ends as the uninterrupted search did.
    const std::string key = "OPTIMIZATION ITERATION NO.\t\t\t\t: 3\nModel Calls so far\t\t\t\t\t: ";
    const std::size_t at = rec.find(key);
    ASSERT_NE(at, std::string::npos);
    const int before_third = std::atoi(rec.c_str() + at + key.size());
    // The post-run program asks for a stop at the third iteration's
    // Jacobian run; the search stops after its next trial run.
    scratch_dir stopped("slm_example_stop");
    copy_example(stopped);
    write_file(stopped.file("stop.sh"), "#!/bin/sh\nn=$(cat calls.txt 2>/dev/null || echo 0); n=$((n+1)); "
                                        "echo $n > calls.txt\n[ $n -eq " +
                                            std::to_string(before_third + 1) +
                                            " ] && echo 1 > pest.stp\nexit 0\n");
    fs::permissions(stopped.file("stop.sh"), fs::perms::owner_all);
    edit_control(stopped, "none ./post.sh", "none ./stop.sh");
    ASSERT_EQ(run_in(stopped, "-slm case.pst", out), 0) << out;
    ASSERT_TRUE(file_exists(stopped.file("case.rst")));
    EXPECT_EQ(read_file(stopped.file("case.rec")).find("OPTIMISATION RESULTS"), std::string::npos);

    ASSERT_EQ(run_in(stopped, "-slm case.pst /r", out), 0) << out;
    const std::string resumed = read_file(stopped.file("case.rec"));
    EXPECT_NE(resumed.find(".....RESTART....."), std::string::npos);
    EXPECT_EQ(read_file(stopped.file("case.par")), read_file(dir.file("case.par")));
    EXPECT_EQ(results_table(resumed), results_table(rec));
    EXPECT_EQ(total_model_calls(resumed), total_model_calls(rec));
    EXPECT_FALSE(file_exists(stopped.file("case.rst")));
}

// NOPTMAX 0 runs the model once at the start value; -1 adds one Jacobian
// and its statistics, without lambda trials or a final run.
TEST(SlmExample, NoptmaxZeroAndMinusOne)
{
    scratch_dir dir("slm_example_noptmax");
    copy_example(dir);
    edit_control(dir, "\n30 0.005", "\n0 0.005");
    std::string out;
    ASSERT_EQ(run_in(dir, "-slm case.pst", out), 0) << out;
    EXPECT_EQ(numbers(read_file(dir.file("case.par"))), std::vector<double>{0.1});
    EXPECT_FALSE(file_exists(dir.file("jac.txt")));
    EXPECT_NE(read_file(dir.file("case.rec")).find("No optimisation iterations carried out"),
              std::string::npos);
    // Without iterations there is no state to resume: "/r" makes the one run.
    fs::remove(dir.file("case.par"));
    ASSERT_EQ(run_in(dir, "-slm case.pst /r", out), 0) << out;
    EXPECT_EQ(numbers(read_file(dir.file("case.par"))), std::vector<double>{0.1});

    edit_control(dir, "\n0 0.005", "\n-1 0.005");
    ASSERT_EQ(run_in(dir, "-slm case.pst", out), 0) << out;
    const std::string rec = read_file(dir.file("case.rec"));
    EXPECT_EQ(rec.find("Lambda ="), std::string::npos);
    EXPECT_EQ(rec.find("final time"), std::string::npos);
    EXPECT_NE(rec.find("95 percent confidence limits"), std::string::npos);
    const std::vector<double> jac = numbers(read_file(dir.file("jac.txt")));
    ASSERT_EQ(jac.size(), 12u);
    EXPECT_LT(jac[3], 0.0); // rougher plane, smaller peak
}

// Refusals end with status 1: a mode word the search does not know, a
// missing restart file and a failed model run.
TEST(SlmExample, RefusalsEndWithStatusOne)
{
    scratch_dir dir("slm_example_refused");
    copy_example(dir);
    std::string out;
    edit_control(dir, "restart estimation", "restart predictive");
    edit_control(dir, "* prior information\n",
                 "* prior information\n* regularisation\n1.0 1.05 0.1\n1.0 1e-10 1e10\n1.3 0.01\n");
    EXPECT_EQ(run_in(dir, "-slm case.pst", out), 1);
    EXPECT_NE(out.find("The MODE parameter of the control file, \"predictive\", is not"), std::string::npos)
        << out;

    edit_control(dir, "restart predictive", "restart estimation");
    EXPECT_EQ(run_in(dir, "-slm case.pst /r", out), 1);
    EXPECT_NE(out.find("Error opening the restart file."), std::string::npos) << out;

    fs::remove(dir.file("plane.ele"));
    EXPECT_EQ(run_in(dir, "-slm case.pst", out), 1);
    EXPECT_NE(out.find("Model run 1 of the calibration stopped on an error; the search ends."),
              std::string::npos)
        << out;
}

} // namespace

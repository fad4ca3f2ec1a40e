// The toolbox's model call on the real model, run in this process: each
// call depends only on its values, and many calls leave nothing behind.
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <unistd.h>

#include "calibration/slm_routines.h"
#include "core/error_state.h"
#include "core/file_rec.h"
#include "core/text_parse.h"
#include "input/replace_params.h"
#include "input/time_series.h"
#include "support/test_support.h"

namespace
{

namespace fs = std::filesystem;
using torva_test::read_file;
using torva_test::write_file;

long resident_pages()
{
    std::ifstream in("/proc/self/statm");
    long size = 0, resident = 0;
    in >> size >> resident;
    return resident;
}

std::set<std::string> listing(const std::string& folder)
{
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(folder))
        names.insert(e.path().filename().string());
    return names;
}

// A scratch folder as the working folder; the process-wide replacement
// state is reset afterwards.
struct SlmRealModel : testing::Test {
    torva_test::scratch_dir dir{"slm_real"};
    std::string old;
    pest_control pc;
    pest_handles handles;
    toolbox_model tm;

    void SetUp() override
    {
        reset_file_name_globals();
        char buf[4096];
        old = getcwd(buf, sizeof buf) ? buf : ".";
        ASSERT_EQ(chdir(dir.path().c_str()), 0);
        tm.handles = &handles;
        tm.mode = "-slm";
    }
    void TearDown() override
    {
        CloseInstructionFiles(pc, handles);
        static_cast<void>(chdir(old.c_str()));
        replace_on = 0;
        free_replace_params();
        reset_file_name_globals();
        error_state_clear();
    }

    void read_control()
    {
        const char* argv[] = {"torva", "-slm", "case.pst", nullptr};
        testing::internal::CaptureStdout();
        ASSERT_EQ(ReadControlFile(pc, 3, const_cast<char**>(argv)), 0);
        ASSERT_EQ(OpenInstructionFiles(pc, handles), 0);
        ClassifyParameters(pc);
        testing::internal::GetCapturedStdout();
    }

    // One call with Manning n; the simulated values of the slot, or none
    // when the call failed.
    std::vector<double> call(double n, int slot, std::string* screen = nullptr)
    {
        pc.params[1].value = std::log10(n);
        testing::internal::CaptureStdout();
        const int rc = ToolboxModelCall(tm, pc, pest_values::current, slot);
        const std::string out = testing::internal::GetCapturedStdout();
        if (screen)
            *screen = out;
        std::vector<double> v;
        if (rc == 0)
            for (int i = 1; i <= pc.nobs; ++i)
                v.push_back(pc.obs[i].simulated[slot]);
        return v;
    }
};

// The plane example's outputs for n = 0.05 are the same when run first,
// after other trials and after a failed trial, and they are the
// observations that were made with that n.
TEST_F(SlmRealModel, SameValuesGiveSameOutputsWhateverRanBefore)
{
    for (const auto& entry : fs::directory_iterator(std::string(TORVA_EXAMPLES) + "/slm"))
        fs::copy_file(entry.path(), fs::path(dir.path()) / entry.path().filename());
    read_control();
    const std::vector<double> first = call(0.05, 0);
    ASSERT_EQ(first.size(), 12u);
    for (int i = 1; i <= pc.nobs; ++i)
        EXPECT_EQ(first[i - 1], pc.obs[i].measured) << pc.obs[i].name;

    EXPECT_NE(call(0.1, 1), first);
    EXPECT_NE(call(0.02, 1), first);
    EXPECT_EQ(call(0.05, 1), first);

    fs::rename("plane.ele", "moved.ele");
    std::string screen;
    EXPECT_TRUE(call(0.05, 1, &screen).empty());
    EXPECT_NE(screen.find("Model run 5 of the calibration stopped on an error; the search ends."),
              std::string::npos)
        << screen;
    fs::rename("moved.ele", "plane.ele");
    EXPECT_EQ(call(0.05, 1), first);
    EXPECT_EQ(tm.calls, 6);
}

// Under the address sanitizer freed memory waits in a quarantine, so
// resident pages grow by design there, and fewer calls keep that pass short.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool check_resident_pages = false;
constexpr int steady_calls = 300;
#else
constexpr bool check_resident_pages = true;
constexpr int steady_calls = 1000;
#endif

// A thousand calls of a two-step run: no growth of resident memory, open
// descriptors, the program-wide lists or the files in the folder.
TEST_F(SlmRealModel, ThousandCallsLeaveNothingBehind)
{
    std::string project = read_file(torva_test::write_tiny_project(dir.path(), "SUPER_QUIET\n"));
    project.replace(project.find("MANNING_N 0.05"), 14, "MANNING_N [n]");
    project.replace(project.find("TOT_TIME 30"), 11, "TOT_TIME 1");
    project.insert(project.find('\n') + 1, "REPLACE_PARAMS torva.in\nREPLACE_VALS values.in\n");
    write_file("p.prj", project);
    write_file("run.ins", "pif @\nl2 w w !Q1!\n");
    write_file("case.pst", "pcf\n* control data\nnorestart estimation\n1 1 1 0 1\n0 1 single point 1 0 0\n"
                           "0.01 2.0 0.3 0.03 10\n10.0 10.0 0.001 0\n0.1 noaui\n30 0.005 3 3 0.001 3 1 1 1\n"
                           "0 0 0.9 1 0.05 p.prj\n* parameter groups\nrough relative 0.01 0.0 switch 2.0 "
                           "parabolic\n* parameter data\nn log factor 0.1 0.01 0.5 rough 1.0 0.0 1\n"
                           "* observation groups\nflows\n* observation data\nQ1 0.0 1.0 flows\n"
                           "* model command line\nnone true\n* model input/output\nrun.ins run.otl\n"
                           "* prior information\n");
    read_control();
    pc.post_run_batch.clear();
    std::string screen;
    const auto run = [&](int k) { return call(0.03 + 0.00002 * (k % 1000), 1, &screen).size() == 1u; };
    for (int k = 0; k < 100; ++k)
        ASSERT_TRUE(run(k)) << k << screen;
    const long pages = resident_pages();
    const int descriptors = torva_test::open_descriptor_count();
    const std::set<std::string> files = listing(dir.path());
    for (int k = 100; k < steady_calls; ++k)
        ASSERT_TRUE(run(k)) << k << screen;
    EXPECT_LE(torva_test::open_descriptor_count(), descriptors);
    if (check_resident_pages) {
        EXPECT_LE(resident_pages(), pages + 64) << "resident pages grew from " << pages; // 256 kB of slack
    }
    EXPECT_TRUE(replace_param_list.empty());
    EXPECT_TRUE(time_series_list.empty());
    EXPECT_EQ(listing(dir.path()), files);
    EXPECT_EQ(tm.calls, steady_calls);
}

} // namespace

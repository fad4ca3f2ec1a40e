// The run driver: clean-up after every kind of end, thousands of runs in
// one process, the silencing of toolbox trials and the run-time line.
#include <gtest/gtest.h>

#include "core/error_state.h"
#include "core/file_rec.h"
#include "core/proc_group.h"
#include "core/run_simulation.h"
#include "input/replace_params.h"
#include "input/elev_series.h"
#include "input/time_series.h"
#include "subsurface/wells.h"
#include "support/test_support.h"

using namespace torva_test;

namespace {

struct RunSimulation : testing::Test {
    scratch_dir dir{"runsim"};
    proc_group saved = group_ctx;
    void SetUp() override
    {
        reset_file_name_globals();
        std::string folder = dir.path();
        set_project_path(folder); // keeps out_time.out inside the scratch folder
    }
    void TearDown() override
    {
        group_ctx = saved;
        reset_file_name_globals();
        error_state_clear();
    }
    std::string tiny_project() { return write_tiny_project(dir.path()); }
    int count_lines(const std::string& text)
    {
        int n = 0;
        for (char c : text) n += c == '\n';
        return n;
    }
};

} // namespace

TEST_F(RunSimulation, ManyRunsReleaseEverything)
{
    const std::string missing = dir.file("missing.prj");
    const std::string tiny = tiny_project();
    // Warm up the runtime's own descriptors before counting.
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    run_simulation(missing, nullptr, "");
    const int before = open_descriptor_count();
    for (int i = 0; i < 500; ++i) {
        EXPECT_EQ(run_simulation(missing, nullptr, ""), 1);
        EXPECT_EQ(run_simulation(tiny, nullptr, ""), 0);
    }
    const int after = open_descriptor_count();
    testing::internal::GetCapturedStdout();
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(after, before);
    EXPECT_TRUE(time_series_list.empty());
    EXPECT_TRUE(ts_index_list.empty());
    EXPECT_TRUE(elev_series_list.empty());
    EXPECT_TRUE(well_list.empty());
    EXPECT_TRUE(replace_param_list.empty());
    EXPECT_EQ(summary_log, nullptr);
    EXPECT_EQ(count_lines(read_file(dir.file("out_time.out"))), 1001);
}

TEST_F(RunSimulation, ToolboxTrialsAreSilent)
{
    const std::string tiny = tiny_project();
    testing::internal::CaptureStdout();
    run_simulation(tiny, nullptr, "-slm");
    const std::string trial = testing::internal::GetCapturedStdout();
    EXPECT_EQ(trial.find("total time to init(s):"), std::string::npos);
    EXPECT_EQ(trial.find("Running...."), std::string::npos);
    EXPECT_EQ(trial.find("Run time"), std::string::npos);
    EXPECT_EQ(trial.find("reading run parameters"), std::string::npos);

    // A toolbox started with a shorter switch runs its trials unsilenced.
    testing::internal::CaptureStdout();
    run_simulation(tiny, nullptr, "-s");
    const std::string loud = testing::internal::GetCapturedStdout();
    EXPECT_NE(loud.find("total time to init(s):"), std::string::npos);
    EXPECT_NE(loud.find("Running....\n"), std::string::npos);
    EXPECT_NE(loud.find("Run time:"), std::string::npos);
}

TEST_F(RunSimulation, RunTimeLineCarriesTheRankOnMultiprocessorMachines)
{
    const std::string missing = dir.file("missing.prj");
    for (int threads : {1, 2}) {
        group_ctx.num_threads = threads;
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        run_simulation(missing, nullptr, "");
        const std::string out = testing::internal::GetCapturedStdout();
        testing::internal::GetCapturedStderr();
        const size_t at = out.rfind("Run time: ");
        ASSERT_NE(at, std::string::npos);
        if (threads == 1)
            EXPECT_TRUE(at == 0 || out[at - 1] == '\n') << out;
        else
            EXPECT_EQ(out.compare(at - 3, 3, "0: "), 0) << out;
        EXPECT_EQ(out.substr(out.size() - 5), "(s) \n");
    }
}

TEST_F(RunSimulation, OverlongProjectPathIsRefused)
{
    const std::string path = dir.path() + "/" + std::string(2100, 'p') + ".prj";
    testing::internal::CaptureStdout();
    EXPECT_EQ(run_simulation(path, nullptr, ""), 1);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("Error: the project file path is longer than 2055 characters.\n"),
              std::string::npos);
    EXPECT_EQ(out.find("reading run parameters"), std::string::npos);
    EXPECT_EQ(error_state.raised, 1);
}

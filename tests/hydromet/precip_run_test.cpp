// Whole runs driven by a precipitation file: the event starts the run at
// its first line, an event run ends at its end time, and a file with an
// error stops the run before its time loop.
#include <gtest/gtest.h>

#include <string>

#include "core/error_state.h"
#include "core/file_rec.h"
#include "core/run_simulation.h"
#include "hydromet/rain_fixture.h"
#include "support/test_support.h"

using namespace torva_test;

namespace
{

struct PrecipRun : testing::Test {
    scratch_dir dir{"precip_run"};
    std::string out;

    void TearDown() override
    {
        reset_file_name_globals();
        error_state_clear();
    }

    void run(const std::string& precip_file)
    {
        reset_file_name_globals();
        error_state_clear();
        const std::string project =
            write_tiny_project(dir.path(), "PRECIP_FILE " + rain_test::fixture(precip_file) + "\n");
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        run_simulation(project, nullptr, "");
        out = testing::internal::GetCapturedStdout();
        testing::internal::GetCapturedStderr();
    }
    bool printed(const std::string& text) const { return out.find(text) != std::string::npos; }
};

} // namespace

TEST_F(PrecipRun, FirstEventOfTheFileRunsForTheSimulationTime)
{
    run("three_events.pre");
    EXPECT_TRUE(printed("Precip. file contains 3 events, simulating first event only\n")) << out;
    EXPECT_TRUE(printed("reading precip data from file: " + rain_test::fixture("three_events.pre") + "\n"));
    EXPECT_TRUE(printed("Initialized Arrays\nsimulation duration 30 minutes\n")) << out;
    // The clock starts at the event's first line; the run ends 30 minutes on.
    EXPECT_TRUE(printed("event  1 elapsed time     0.50   6/01/2000 10:00:30 Qout=")) << out;
    EXPECT_TRUE(printed("event  1 elapsed time    30.00   6/01/2000 10:30:00 Qout=")) << out;
    EXPECT_FALSE(printed("elapsed time    30.50")) << out;

    const std::string summary = read_file(dir.file("run.sum"));
    EXPECT_NE(summary.find("using precipitation data from file: " + rain_test::fixture("three_events.pre")),
              std::string::npos)
        << summary;
}

TEST_F(PrecipRun, FileWithAnErrorStopsBeforeTheTimeLoop)
{
    run("dates_back.pre");
    EXPECT_TRUE(printed("Which is earlier than the date/time on the previous line:  2000/6/1 10:15\n"))
        << out;
    EXPECT_FALSE(printed("Running....")) << out;
    EXPECT_FALSE(printed("elapsed time")) << out;
}

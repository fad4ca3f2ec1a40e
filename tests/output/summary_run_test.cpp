// Whole runs: the summary file of the tilted-plane example closes its
// water balance, and a run without rain says so.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "core/error_state.h"
#include "core/file_rec.h"
#include "core/run_simulation.h"
#include "output/summary_fixture.h"
#include "support/test_support.h"

using namespace torva_test;
using summary_test::holds;

namespace
{

// The number printed after `label` on its line.
double value_after(const std::string& text, const std::string& label)
{
    const std::size_t at = text.find(label);
    if (at == std::string::npos) {
        ADD_FAILURE() << "no line \"" << label << "\"";
        return NAN;
    }
    return std::strtod(text.c_str() + at + label.size(), nullptr);
}

} // namespace

TEST(SummaryRun, StripExampleClosesItsWaterBalance)
{
    scratch_dir dir("strip_summary");
    for (const char* f : {"strip.prj", "strip.msk", "strip.ele"})
        write_file(dir.file(f), read_file(std::string(TORVA_EXAMPLES) + "/strip/" + f));
    std::string out;
    ASSERT_EQ(run_command("cd '" + dir.path() + "' && '" + torva_exe() + "' strip.prj 2>&1", out), 0);
    const std::string sum = read_file(dir.file("strip.sum"));

    EXPECT_TRUE(holds(sum, "         TORVA EVENT RUNOFF SIMULATION SUMMARY\n"
                           "            Event began on 01/01/2000 at 12:00\n"))
        << sum;
    EXPECT_TRUE(holds(sum, "Note: all volumes in cubic meters.\n")) << sum;
    // 50 mm/h for 90 minutes on 6,000 m2.
    EXPECT_TRUE(holds(sum, "volume of rainfall to overland:                 450.0\n")) << sum;
    const double discharge = value_after(sum, "volume of discharge:");
    const double left = value_after(sum, "volume remaining on surface:");
    EXPECT_NEAR(discharge + left, 450.0, 0.1);
    EXPECT_TRUE(holds(sum, "mass conservation error:                          0.000000 percent\n")) << sum;

    EXPECT_TRUE(holds(sum, "\n \nSIMULATION TOTALS\n")) << sum;
    EXPECT_NEAR(value_after(sum, "Total amount of precip="), 450.0, 0.005);
    EXPECT_NEAR(value_after(sum, "Total amount of discharge="), discharge, 0.05);
    EXPECT_TRUE(holds(sum, "Mass balance error of surface components =                0.000000 percent\n")) << sum;
    EXPECT_TRUE(holds(sum, "Overall mass balance error =                              0.000000 percent\n")) << sum;
    EXPECT_TRUE(holds(out, "finished event \n")) << out;
}

TEST(SummaryRun, EventWithoutRain)
{
    scratch_dir dir("dry_summary");
    reset_file_name_globals();
    error_state_clear();
    const std::string project =
        write_tiny_project(dir.path(), "PRECIP_FILE " + std::string(TORVA_TEST_DATA) + "/precip/dry.pre\n");
    testing::internal::CaptureStdout();
    run_simulation(project, nullptr, "");
    testing::internal::GetCapturedStdout();
    reset_file_name_globals();
    error_state_clear();

    const std::string sum = read_file(dir.file("run.sum"));
    EXPECT_TRUE(holds(sum, "mass conservation error:                         -100.000000 percent\n"
                           "Mass input + original mass:            0.000000 m3\n"))
        << sum;
    EXPECT_TRUE(holds(sum, "\nNote: no rainfall was input.\n")) << sum;
    EXPECT_FALSE(holds(sum, "indicates mass was")) << sum;
    EXPECT_TRUE(holds(sum, "THE FOLLOWING WARNINGS ARE GIVEN:\nNo Warnings.\n")) << sum;
    EXPECT_TRUE(holds(sum, "Overall mass balance error =                              0.000000 percent\n"))
        << sum;
    EXPECT_FALSE(summary_test::has_bad_number(sum)) << sum;
}

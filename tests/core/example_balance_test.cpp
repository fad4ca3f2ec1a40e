// Every example project runs from the command line and closes its event
// water balance: the summary's "mass conservation error" below 1e-6 of the
// inputs (1e-4 percent, the last digit it prints). None of them names a
// file that its switches leave unread.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "support/test_support.h"

using namespace torva_test;

namespace
{

struct example_case {
    const char* folder;
    std::vector<const char*> projects; // run in this order in one copy of the folder
};

// The value of every "mass conservation error:" line of a summary, percent.
std::vector<double> balance_errors(const std::string& summary)
{
    std::vector<double> errors;
    const std::string label = "mass conservation error:";
    for (size_t at = summary.find(label); at != std::string::npos; at = summary.find(label, at + 1)) {
        double v = NAN;
        if (std::sscanf(summary.c_str() + at + label.size(), "%lf", &v) == 1)
            errors.push_back(v);
    }
    return errors;
}

// The file named by the project's SUMMARY card.
std::string summary_name(const std::string& project)
{
    const size_t at = project.find("\nSUMMARY");
    if (at == std::string::npos)
        return "";
    char name[256] = {};
    return std::sscanf(project.c_str() + at + 1, "SUMMARY %255s", name) == 1 ? name : "";
}

} // namespace

TEST(ExampleBalance, EveryExampleClosesItsEventWaterBalance)
{
    // The calibration examples (calib, slm) run through their own commands
    // and are checked by their tests.
    const example_case cases[] = {
        {"channel", {"channel.prj"}},
        {"channel_lake_tracer", {"lake_tracer.prj"}},
        {"channel_tracer", {"decay.prj", "flood.prj", "storms.prj", "tracer.prj"}},
        {"chlake", {"chlake.prj"}},
        {"contaminant", {"contam.prj"}},
        {"erosion", {"erosion.prj"}},
        {"erosion_channel", {"erosion_channel.prj", "erosion_lake.prj"}},
        {"groundwater", {"gw.prj"}},
        {"hotstart", {"storm.prj", "restart.prj"}},
        {"infil", {"infil.prj"}},
        {"lake", {"lake.prj"}},
        {"layered", {"layered.prj"}},
        {"longterm", {"longterm.prj"}},
        {"maps", {"maps.prj"}},
        {"nested", {"parent.prj", "inset.prj"}},
        {"nutrients", {"channel.prj", "soil.prj", "still.prj"}},
        {"pipes", {"pipes.prj"}},
        {"redist", {"redist.prj"}},
        {"richards", {"richards.prj"}},
        {"snowmelt", {"snowmelt.prj"}},
        {"soilwater", {"soilwater.prj"}},
        {"strip", {"strip.prj", "strip_bc.prj", "strip_explicit.prj"}},
        {"structure", {"structure.prj"}},
        {"tiny", {"tiny.prj"}},
    };
    for (const example_case& c : cases) {
        scratch_dir dir(std::string("balance_") + c.folder);
        std::string out;
        ASSERT_EQ(
            run_command("cp -R '" + std::string(TORVA_EXAMPLES) + "/" + c.folder + "/.' '" + dir.path() + "'",
                        out),
            0)
            << out;
        for (const char* project : c.projects) {
            SCOPED_TRACE(std::string(c.folder) + "/" + project);
            ASSERT_EQ(
                run_command("cd '" + dir.path() + "' && '" + torva_exe() + "' " + project + " 2>&1", out), 0)
                << out;
            // The examples name no file that their switches leave unread or
            // unwritten.
            EXPECT_EQ(out.find(" is given without "), std::string::npos) << out;
            EXPECT_EQ(out.find(" is left empty."), std::string::npos) << out;
            const std::string summary = summary_name(read_file(dir.file(project)));
            ASSERT_FALSE(summary.empty());
            const std::vector<double> errors = balance_errors(read_file(dir.file(summary)));
            ASSERT_FALSE(errors.empty());
            for (const double e : errors)
                EXPECT_LT(std::fabs(e), 1e-4) << "percent";
        }
    }
}

#include <string>

#include <gtest/gtest.h>

#include "calibration/sce_ctx.h"
#include "core/file_rec.h"
#include "support/test_support.h"

namespace
{

using torva_test::write_file;

struct SceControl : testing::Test {
    torva_test::scratch_dir dir{"sce_control"};

    void SetUp() override { reset_file_name_globals(); }
    void TearDown() override { reset_file_name_globals(); }

    // Sets the context up from a control file; returns the screen.
    std::string setup(sce_ctx& ctx, const std::string& numbers)
    {
        write_file(dir.file("p.prj"), "");
        write_file(dir.file("sce.in"),
                   dir.file("p.prj") + "\nlist.rpl  # the parameters\n\"obs file.in\"\n" + numbers);
        testing::internal::CaptureStdout();
        sce_setup(ctx, dir.file("sce.in"), "sce_output.out");
        return testing::internal::GetCapturedStdout();
    }
};

TEST_F(SceControl, ReadsNamesSettingsAndBoundsWithDefaults)
{
    sce_ctx ctx;
    const std::string screen = setup(ctx, "500 5 0.01 2 0 0\n3\n9 9 9 9 9 9\n1 0 2\n0.5, 0.1, 1\n-1 -2 0\n");
    EXPECT_EQ(screen, " ENTER THE SCEIN SUBROUTINE --- \n");
    EXPECT_EQ(ctx.input_ok, 1);
    EXPECT_EQ(ctx.project_file, dir.file("p.prj"));
    EXPECT_EQ(ctx.replace_file, "list.rpl");
    EXPECT_EQ(ctx.obs_file, "obs file.in");
    EXPECT_EQ(ctx.iseed, 3737);
    EXPECT_EQ(ctx.maxn, 500);
    EXPECT_EQ(ctx.pcento, 0.01);
    EXPECT_EQ(ctx.npg, 7); // defaults with ideflt 0 and nopt 3
    EXPECT_EQ(ctx.nps, 4);
    EXPECT_EQ(ctx.nspl, 7);
    EXPECT_EQ(ctx.mings, 2);
    EXPECT_EQ(ctx.iniflg, 0);
    EXPECT_EQ(ctx.lower[3], -2.0);
    EXPECT_EQ(ctx.upper[2], 1.0);
    EXPECT_EQ(ctx.initial[1], 1.0);
    // The output file lands in the project folder.
    EXPECT_TRUE(ctx.out_file.fp != nullptr);
    EXPECT_EQ(ctx.out_file.name, dir.file("sce_output.out"));
}

TEST_F(SceControl, RefusedFilesWithTheirMessages)
{
    struct refused {
        const char* numbers;
        const char* screen;
    };
    const refused cases[] = {
        {"500 5 0.01 2 0 0\n", "Error in your input file. The first line must have 7 parameters.\n"},
        {"500 5 0.01 two 0 0 1\n", "Error: ngs \"two\" in the SCE input file"},
        {"500 5 0.01 2 0 0 2\n9 9 9 9 9 9\n1 0 2\n1 1 1\n",
         "ERROR:  Lower bound is greater than upper bound for varialbe 2\n"},
        {"500 5 0.01 2 0 0 1\n9 9 9 9 9\n", "ends before iprint.\n"},
        {"500 5 0.01 2 0 0 101\n", "the number of parameters 101 in the SCE input file"},
        {"500 5 0.01 2 0 0 1\n9 9 9 9 9 9\n1 0\n", "ends before the values of parameter 1.\n"},
        {"500 5 0.01 0 0 0 1\n9 9 9 9 9 9\n1 0 2\n",
         " **ERROR** NUMBER OF COMPLEXES IN INITIAL POPULATION 0 IS NOT A VALID CHOICE\n"},
    };
    for (const refused& c : cases) {
        sce_ctx ctx;
        const std::string screen = setup(ctx, c.numbers);
        EXPECT_NE(screen.find(c.screen), std::string::npos) << screen;
        EXPECT_EQ(ctx.input_ok, 0) << c.numbers;
    }
}

// The control file name from the command line is a plain name, never a format.
TEST(SceMode, ControlFileNameIsNotAFormat)
{
    torva_test::scratch_dir dir("sce_mode");
    std::string out;
    torva_test::run_command("cd '" + dir.path() + "' && '" + torva_test::torva_exe() + "' -c 'no%s%n%d.in'",
                            out);
    EXPECT_NE(out.find("Can't open SCE input file no%s%n%d.in\n"
                       "Error: unable to open the observation file for reading or problem while reading it.\n"
                       "Attempted to read file: \n"),
              std::string::npos)
        << out;
}

} // namespace

#include <cmath>
#include <cstdio>
#include <string>

#include <gtest/gtest.h>
#include <unistd.h>

#include "calibration/slm_routines.h"
#include "support/test_support.h"

namespace
{

using torva_test::read_file;
using torva_test::write_file;

struct SlmModelCall : testing::Test {
    torva_test::scratch_dir dir{"slm_call"};
    std::string old;
    pest_control pc;
    pest_handles handles;
    toolbox_model tm;
    bool write_output = true;

    void SetUp() override
    {
        char buf[4096];
        old = getcwd(buf, sizeof buf) ? buf : ".";
        ASSERT_EQ(chdir(dir.path().c_str()), 0);
        pc.npar = 2;
        pc.params.resize(3);
        pc.params[1].name = "N";
        pc.params[1].transform = "none";
        pc.params[1].value = 2.0;
        pc.params[2].name = "KS";
        pc.params[2].transform = "log";
        pc.params[2].value = -1.0;
        pc.nobs = 1;
        pc.obs.resize(2);
        pc.obs[1].name = "Q1";
        pc.ninsfle = 1;
        pc.instructions = {{}, {"out.ins", "out.txt"}};
        pc.project_file = "plane.prj";
        write_file("out.ins", "pif @\nl1 !Q1!\n");
        ASSERT_EQ(OpenInstructionFiles(pc, handles), 0);
        tm.handles = &handles;
        tm.mode = "-slm";
        // The model: the output is the sum of the values it was given.
        tm.run = [this](const std::string& project, const std::string& mode) {
            EXPECT_EQ(project, "plane.prj");
            EXPECT_EQ(mode, "-slm");
            if (!write_output)
                return 1;
            std::string values = read_file("values.in");
            double a = 0.0, b = 0.0;
            EXPECT_EQ(std::sscanf(values.c_str(), "%lf %lf", &a, &b), 2);
            write_file("out.txt", std::to_string(a + b) + "\n");
            return 0;
        };
    }
    void TearDown() override
    {
        CloseInstructionFiles(pc, handles);
        static_cast<void>(chdir(old.c_str()));
    }
    int call(pest_values which, int slot, std::string& screen)
    {
        testing::internal::CaptureStdout();
        const int rc = ToolboxModelCall(tm, pc, which, slot);
        screen = testing::internal::GetCapturedStdout();
        return rc;
    }
};

TEST_F(SlmModelCall, WritesValuesRunsAndReadsOutputs)
{
    std::string screen;
    pc.params[1].perturbed1 = 2.02;
    pc.params[2].perturbed1 = -1.0;
    ASSERT_EQ(call(pest_values::current, 0, screen), 0) << screen;
    EXPECT_EQ(read_file("values.in"), "2.0000000E+00 1.0000000E-01 ");
    EXPECT_NEAR(pc.obs[1].simulated[0], 2.1, 1e-6);
    ASSERT_EQ(call(pest_values::perturbed1, 1, screen), 0) << screen;
    EXPECT_EQ(read_file("values.in"), "2.0200000E+00 1.0000000E-01 ");
    EXPECT_NEAR(pc.obs[1].simulated[1], 2.12, 1e-6);
}

TEST_F(SlmModelCall, FailedRunAndFailedPostRunProgramEndTheSearch)
{
    std::string screen;
    ASSERT_EQ(call(pest_values::current, 0, screen), 0);
    write_output = false;
    pc.obs[1].simulated[1] = -1.0;
    EXPECT_EQ(call(pest_values::current, 1, screen), 1);
    EXPECT_EQ(screen, "Model run 2 of the calibration stopped on an error; the search ends.\n");
    // The previous output is gone: nothing stale can be read.
    EXPECT_FALSE(torva_test::file_exists("out.txt"));
    EXPECT_DOUBLE_EQ(pc.obs[1].simulated[1], -1.0);

    write_output = true;
    pc.post_run_batch = "exit 3";
    EXPECT_EQ(call(pest_values::current, 1, screen), 1);
    EXPECT_NE(screen.find("The post-run program exit 3 failed after model run 3"), std::string::npos)
        << screen;
    pc.post_run_batch = "true";
    EXPECT_EQ(call(pest_values::current, 1, screen), 0) << screen;
    // The same values after a failed trial give the same outputs.
    EXPECT_DOUBLE_EQ(pc.obs[1].simulated[1], pc.obs[1].simulated[0]);
}

TEST_F(SlmModelCall, ManyCallsLeaveNoDescriptorsOrFiles)
{
    std::string screen;
    ASSERT_EQ(call(pest_values::current, 0, screen), 0);
    const int fds = torva_test::open_descriptor_count();
    for (int i = 0; i < 1000; ++i) {
        pc.params[1].value = 1.0 + 0.001 * i;
        testing::internal::CaptureStdout();
        ASSERT_EQ(ToolboxModelCall(tm, pc, pest_values::current, 1), 0);
        testing::internal::GetCapturedStdout();
    }
    EXPECT_EQ(torva_test::open_descriptor_count(), fds);
    EXPECT_NEAR(pc.obs[1].simulated[1], 1.0 + 0.999 + 0.1, 1e-6);
    std::string listing;
    torva_test::run_command("ls " + dir.path(), listing);
    EXPECT_EQ(listing, "out.ins\nout.txt\nvalues.in\n");
}

} // namespace

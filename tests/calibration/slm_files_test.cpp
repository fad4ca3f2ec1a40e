#include <cmath>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <unistd.h>

#include "calibration/pest_control.h"
#include "support/test_support.h"

namespace
{

using torva_test::read_file;
using torva_test::write_file;

// Runs a test inside a scratch folder (the toolbox writes to the working
// folder) and returns to the old one afterwards.
struct in_folder {
    std::string old;
    explicit in_folder(const std::string& path)
    {
        char buf[4096];
        old = getcwd(buf, sizeof buf) ? buf : ".";
        EXPECT_EQ(chdir(path.c_str()), 0);
    }
    ~in_folder() { static_cast<void>(chdir(old.c_str())); }
};

std::string fixture(const std::string& name)
{
    return read_file(std::string(TORVA_TEST_DATA) + "/slm/" + name);
}

// Reads a control file given as text; returns the result and the screen.
int read_control(const std::string& text, pest_control& pc, std::string& screen,
                 const char* name = "case.pst")
{
    write_file(name, text);
    std::vector<std::string> words{"torva", "-slm", name};
    std::vector<char*> argv;
    for (auto& w : words)
        argv.push_back(w.data());
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    const int rc = ReadControlFile(pc, 3, argv.data());
    screen = testing::internal::GetCapturedStdout() + testing::internal::GetCapturedStderr();
    return rc;
}

std::string replace_once(std::string s, const std::string& from, const std::string& to)
{
    const std::size_t at = s.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return s.replace(at, from.size(), to);
}

struct SlmControl : testing::Test {
    torva_test::scratch_dir dir{"slm_control"};
    in_folder here{dir.path()};
};

TEST_F(SlmControl, ReadsEveryItemAndWritesTheReplacementList)
{
    pest_control pc;
    std::string screen;
    ASSERT_EQ(read_control(fixture("case.pst"), pc, screen), 0) << screen;
    EXPECT_EQ(pc.restart_word, "restart");
    EXPECT_EQ(pc.mode, "estimation");
    EXPECT_EQ(pc.npar, 3);
    EXPECT_EQ(pc.nobs, 2);
    EXPECT_DOUBLE_EQ(pc.lambda, 5.0);
    EXPECT_EQ(pc.numlam, 10);
    EXPECT_EQ(pc.noptmax, 30);
    EXPECT_EQ(pc.method, 1);
    EXPECT_EQ(pc.cyclic_columns, 2);
    EXPECT_DOUBLE_EQ(pc.critical_distance, 0.05);
    EXPECT_EQ(pc.project_file, "plane.prj");
    EXPECT_TRUE(pc.has_svd);
    EXPECT_EQ(pc.param_groups[1].forcen, "switch");
    EXPECT_EQ(pc.param_groups[1].dermthd, "parabolic");
    // Log parameters are held as base-10 logarithms, bounds included.
    EXPECT_NEAR(pc.params[1].value, std::log10(2.0), 1e-15);
    EXPECT_NEAR(pc.params[1].lower, -1.0, 1e-15);
    EXPECT_NEAR(pc.params[1].upper, 1.0, 1e-15);
    EXPECT_DOUBLE_EQ(pc.params[2].value, 0.05);
    EXPECT_EQ(pc.params[3].own_name, "KT");
    EXPECT_EQ(pc.params[3].parent_name, "KS");
    EXPECT_EQ(pc.obs[2].name, "Q2");
    EXPECT_DOUBLE_EQ(pc.obs[2].weight, 2.0);
    EXPECT_EQ(pc.post_run_batch, "post.bat");
    EXPECT_EQ(pc.templates[1].template_file, "plane.tpl");
    EXPECT_EQ(pc.instructions[1].model_file, "out.txt");
    // pi1 1.0 * KS - 2.0 * log(N) = 0.5 1.0 regul
    const pest_prior& pr = pc.priors[1];
    EXPECT_EQ(pr.label, "pi1");
    ASSERT_EQ(pr.terms, 2);
    EXPECT_DOUBLE_EQ(pr.coefficient[1], 1.0);
    EXPECT_DOUBLE_EQ(pr.coefficient[2], -2.0);
    EXPECT_EQ(pr.param_names[1], "KS");
    EXPECT_EQ(pr.param_names[2], "N");
    EXPECT_DOUBLE_EQ(pr.provided, 0.5);
    EXPECT_DOUBLE_EQ(pr.weight, 1.0);
    EXPECT_EQ(pr.group, "regul");
    EXPECT_FALSE(pc.has_regularisation);
    EXPECT_EQ(read_file("torva.in"), "3\n[KS] \"%16.8lf\"\n[N] \"%16.8lf\"\n[KT] \"%16.8lf\"\n");
}

TEST_F(SlmControl, SingularValueSectionIsOptional)
{
    const std::string with = fixture("case.pst");
    const std::string without = replace_once(with, "* singular value decomposition\n1\n10 5e-7\n0\n", "");
    pest_control a, b;
    std::string screen;
    ASSERT_EQ(read_control(with, a, screen), 0) << screen;
    const std::string list_a = read_file("torva.in");
    ASSERT_EQ(read_control(without, b, screen), 0) << screen;
    EXPECT_FALSE(b.has_svd);
    EXPECT_EQ(read_file("torva.in"), list_a);
    EXPECT_EQ(b.params[2].name, a.params[2].name);
    EXPECT_EQ(b.priors[1].group, a.priors[1].group);
    EXPECT_DOUBLE_EQ(b.obs[1].measured, a.obs[1].measured);
}

TEST_F(SlmControl, NameWithoutDotGetsPstAppended)
{
    write_file("case.pst", fixture("case.pst"));
    std::vector<std::string> words{"torva", "-slm", "case"};
    char* argv[] = {words[0].data(), words[1].data(), words[2].data()};
    pest_control pc;
    testing::internal::CaptureStdout();
    EXPECT_EQ(ReadControlFile(pc, 3, argv), 0);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(pc.npar, 3);
}

TEST_F(SlmControl, RegularisationSectionIsReadWhenPresent)
{
    std::string text = replace_once(fixture("case.pst"), "restart estimation", "norestart regularisation");
    pest_control pc;
    std::string screen;
    EXPECT_EQ(read_control(text, pc, screen), 1);
    EXPECT_NE(screen.find("regularisation, line"), std::string::npos) << screen;
    text += "* regularisation\n1.0 1.05 0.1\n1.0 1e-10 1e10\n1.3 1e-2\n";
    ASSERT_EQ(read_control(text, pc, screen), 0) << screen;
    EXPECT_TRUE(pc.has_regularisation);
    EXPECT_DOUBLE_EQ(pc.phimaccept, 1.05);
    EXPECT_DOUBLE_EQ(pc.wftol, 1e-2);
    EXPECT_DOUBLE_EQ(pc.weight_factor, 1.0);
}

// Bad input: each case gets a message and result 1.
TEST_F(SlmControl, RefusesBadInputWithAMessage)
{
    const std::string good = fixture("case.pst");
    const std::string long_name(100, 'a');
    struct bad_case {
        std::string from, to, message;
    } cases[] = {
        {"KS log factor 2.0 0.1", "KS log factor 2.0 0.0",
         "\nThe log transformed parameter KS has an input value less than zero!\nProgram terminating.\n"},
        {"1.0 * KS", "1.0 KS", "Error reading prior information\n"},
        {"3 2 1 1 1", "3 two 1 1 1", "control data, line 4: NOBS \"two\" is not a number"},
        {"3 2 1 1 1", "3 2.5 1 1 1", "control data, line 4: NOBS \"2.5\" is not a whole number"},
        {"Q2 3.5 2.0 flows", "Q2 3.5x 2.0 flows",
         "observation data, line 26: OBSVAL \"3.5x\" is not a number"},
        {"Q2 3.5 2.0 flows\n", "Q2 3.5 2.0\n", "observation data, line 26: OBGNME is missing"},
        {"pre.bat post.bat", "pre.bat " + long_name,
         "post-run batch file \"" + long_name + "\" is longer than 99"},
        {"* observation groups", "observation groups", "expected the section header beginning with \"*\""},
        {"1 0 0.9 2 0.05 plane.prj", "2 0 0.9 2 0.05 plane.prj", "method \"2\" is out of range"},
    };
    for (const bad_case& c : cases) {
        pest_control pc;
        std::string screen;
        EXPECT_EQ(read_control(replace_once(good, c.from, c.to), pc, screen), 1) << c.to;
        EXPECT_NE(screen.find(c.message), std::string::npos) << c.to << "\n" << screen;
    }
    pest_control pc;
    std::string screen;
    EXPECT_EQ(read_control(good.substr(0, good.find("* parameter data")), pc, screen), 1);
    EXPECT_NE(screen.find("parameter data, line 17: the section header is missing"), std::string::npos)
        << screen;
}

TEST_F(SlmControl, MissingControlFileIsReported)
{
    std::vector<std::string> words{"torva", "-slm", "absent.pst"};
    char* argv[] = {words[0].data(), words[1].data(), words[2].data()};
    pest_control pc;
    testing::internal::CaptureStderr();
    EXPECT_EQ(ReadControlFile(pc, 3, argv), 1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Cannot open absent.pst \n");
    EXPECT_EQ(read_file("torva.in"), "");
}

} // namespace

namespace
{

struct SlmInstructions : testing::Test {
    torva_test::scratch_dir dir{"slm_ins"};
    in_folder here{dir.path()};
    pest_control pc;
    pest_handles handles;

    void SetUp() override
    {
        pc.nobs = 4;
        pc.obs.assign(5, pest_obs());
        const char* names[] = {"", "Q1", "Q2", "qX", "Q4"};
        for (int i = 1; i <= 4; ++i)
            pc.obs[i].name = names[i];
        pc.ninsfle = 1;
        pc.instructions.assign(2, pest_instruction{"out.ins", "out.txt"});
    }
    void TearDown() override { CloseInstructionFiles(pc, handles); }

    // Runs the instruction text over the output text into slot 1; returns
    // the result and the screen.
    int run(const std::string& ins, const std::string& out, std::string& screen)
    {
        write_file("out.ins", ins);
        write_file("out.txt", out);
        CloseInstructionFiles(pc, handles);
        EXPECT_EQ(OpenInstructionFiles(pc, handles), 0);
        testing::internal::CaptureStdout();
        const int rc = ReadModelOutput(pc, 1, 1, handles);
        screen = testing::internal::GetCapturedStdout();
        return rc;
    }
    double sim(int i) const { return pc.obs[i].simulated[1]; }
};

TEST_F(SlmInstructions, LineWordAndObservationItems)
{
    std::string screen;
    ASSERT_EQ(run("pif @\nl1 !Q1!\nl1 w !Q2!\n", "   12.5  7.0\na 3.25\n", screen), 0) << screen;
    EXPECT_DOUBLE_EQ(sim(1), 12.5);
    EXPECT_DOUBLE_EQ(sim(2), 3.25);
    // l2 skips a line; t moves from the cursor, not to a column; a '!'
    // value stops at the first character that cannot form a number.
    ASSERT_EQ(run("pif @\nl2 t5 !Q1!\nl1 !Q2! t1 !Q4!\n", "skip\nab   -1.5e2x\n12.5,3\n", screen), 0)
        << screen;
    EXPECT_DOUBLE_EQ(sim(1), -150.0);
    EXPECT_DOUBLE_EQ(sim(2), 12.5);
    EXPECT_DOUBLE_EQ(sim(4), 3.0);
}

TEST_F(SlmInstructions, MarkersAndFixedObservations)
{
    std::string screen;
    ASSERT_EQ(run("pif #\n#FLOW# !Q1! #peak=# !Q2!\nl1 [Q4]3:8\n",
                  "time 1\nrun FLOW 4.5 and peak= 9.25\n  17.75\n", screen),
              0)
        << screen;
    EXPECT_DOUBLE_EQ(sim(1), 4.5);
    EXPECT_DOUBLE_EQ(sim(2), 9.25);
    EXPECT_DOUBLE_EQ(sim(4), 17.75);
    // A fixed observation that ends its line keeps the following lines in step.
    ASSERT_EQ(run("pif #\nl1 [Q1]1:6\nl1 [Q2]1:6\n", "  1.5  \n  2.5\n", screen), 0) << screen;
    EXPECT_DOUBLE_EQ(sim(1), 1.5);
    EXPECT_DOUBLE_EQ(sim(2), 2.5);
}

TEST_F(SlmInstructions, NameMatchesAsWrittenLowerOrUpperCase)
{
    std::string screen;
    pc.obs[1].name = "q1";
    pc.obs[2].name = "Q2";
    pc.obs[3].name = "qX";
    pc.obs[3].simulated[1] = -7.0;
    ASSERT_EQ(run("pif @\nl1 !Q1! !q2! !Qx!\n", "1 2 3\n", screen), 1);
    EXPECT_DOUBLE_EQ(sim(1), 1.0);
    EXPECT_DOUBLE_EQ(sim(2), 2.0);
    // Qx matches neither qx nor QX here: the run stops, nothing is stored.
    EXPECT_DOUBLE_EQ(sim(3), -7.0);
    EXPECT_EQ(screen,
              "Error in the instruction file out.ins, line 2, over out.txt: observation \"Qx\" is not an "
              "observation of the control file\n");
}

TEST_F(SlmInstructions, FaultsStopWithAMessage)
{
    struct bad_case {
        std::string ins, out, message;
    } cases[] = {
        {"ptf @\nl1 !Q1!\n", "1\n",
         "\nout.ins is not a valid PEST instruction file.\n\nError in the instruction file out.ins, line 1: "
         "the "
         "header must begin \"pif\" or \"jif\" and give the marker as its fifth character.\n"},
        {"pif @\n@none@ !Q1!\n", "1\n2\n",
         "Error in the instruction file out.ins, line 2, over out.txt: the search text \"none\" is not "
         "found\n"},
        {"pif @\nl3 !Q1!\n", "1\n2\n",
         "Error in the instruction file out.ins, line 2, over out.txt: an 'l' item reads past the end of the "
         "output\n"},
        {"pif @\nl1 !Q1!\n", "abc\n",
         "Error in the instruction file out.ins, line 2, over out.txt: the value of observation Q1 \"\" is "
         "missing\n"},
        {"pif @\nl1 (Q1)1:4\n", "1\n",
         "Semi-fixed observations are currently not supported with the calibration toolbox.\n"
         "Modify the instruction file(s) accordingly and rerun the toolbox.\n"
         "Error in the instruction file out.ins, line 2, over out.txt: a semi-fixed observation \"(\" is not "
         "supported\n"},
    };
    for (const bad_case& c : cases) {
        std::string screen;
        EXPECT_EQ(run(c.ins, c.out, screen), 1) << c.ins;
        EXPECT_EQ(screen, c.message) << c.ins;
    }
    std::string screen;
    write_file("out.ins", "pif @\nl1 !Q1!\n");
    std::remove("out.txt");
    ASSERT_EQ(OpenInstructionFiles(pc, handles), 0);
    testing::internal::CaptureStdout();
    EXPECT_EQ(ReadModelOutput(pc, 1, 1, handles), 1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Cannot open the model output file out.txt named in the instruction file out.ins\n");
}

TEST_F(SlmInstructions, FileCountsAndTemplateHeaders)
{
    pest_control many = pc;
    many.ntplfle = 26;
    testing::internal::CaptureStdout();
    EXPECT_EQ(OpenTemplateFiles(many, handles), 1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "\nCurrently, slm_vbq does not support more than 25 template files.\n"
              "Please modify and recompile the code to accomodate the unusually large number of template "
              "files.\n\n");
    many.ninsfle = 26;
    testing::internal::CaptureStdout();
    EXPECT_EQ(OpenInstructionFiles(many, handles), 1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "\nCurrently, the Toolbox does not support more than 25 instruction files.\n"
              "Please recompile the code to accomodate the unusually large number of instruction files.\n\n");

    pest_control t = pc;
    t.npar = 1;
    t.params.assign(2, pest_param());
    t.params[1].name = "KS";
    t.ntplfle = 2;
    t.templates = {{}, {"a.tpl", "a.in"}, {"b.tpl", "b.in"}};
    write_file("a.tpl", "ptf ~\n[KS] ~KS~\n");
    write_file("b.tpl", "jtf $\n");
    pest_handles th;
    ASSERT_EQ(OpenTemplateFiles(t, th), 0);
    EXPECT_EQ(ScanTemplateFiles(t, th), 0);
    CloseTemplateFiles(t, th);
    write_file("b.tpl", "pif $\n");
    ASSERT_EQ(OpenTemplateFiles(t, th), 0);
    testing::internal::CaptureStdout();
    EXPECT_EQ(ScanTemplateFiles(t, th), 1);
    EXPECT_EQ(
        testing::internal::GetCapturedStdout(),
        "\nb.tpl is not a valid PEST template file.\n\nError in the template file b.tpl, line 1: the header "
        "must begin \"ptf\" or \"jtf\" and give the marker as its fifth character.\n");
    CloseTemplateFiles(t, th);
    std::remove("b.tpl");
    testing::internal::CaptureStdout();
    EXPECT_EQ(OpenTemplateFiles(t, th), 1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Cannot open the template file b.tpl\n");
}

} // namespace

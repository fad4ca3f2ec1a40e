// The command line and the run modes, through the program itself and
// through the parser.
#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "core/file_rec.h"
#include "core/program_entry.h"
#include "support/test_support.h"

using namespace torva_test;

namespace {

const char* const usage_text =
    "\nUsage: torva [-option] [inputfile]\n\n where -option is one of:\n      -c = SCE calibration mode "
    "(input file is the calibration control file)\n      -m = Monte Carlo calibration mode (input file "
    "is the calibration control file)\n      -b = batch mode (input file is the batch control file)\n   "
    "   -s = sensitivity mode (input file is the sensitivity control file)\n      -v = display version "
    "information (no project will be run)\n  The c, m, b, and v commands are optional and if not "
    "present the input file is\n treated as the project file\n\n  For the -b option, the command line "
    "should be:\n      torva -b[num_batch] torva_inputfile\n\n  For the -c option, the command line "
    "should be:\n      torva -c sce_inputfile\n\n  For the -m option, the command line should be:\n     "
    " torva -m[num_batch] mc_inputfile\n\n  For the -s option, the command line should be:\n      torva "
    "-s sen_inputfile\n\n  For the -t option (and -tv), the command line should be:\n      torva "
    "-t[v]\n\n  where [num_batch] is the number of batch runs to make, sce_inputfile is the SCE input "
    "file, mc_intputfile is\n  the Monte Carlo input file, and sen_inputfile is the sensitivity input "
    "file.\n\n";

std::string banner()
{
    std::string out;
    run_command(torva_exe() + " -h x", out);
    return out;
}

struct parse_case {
    std::vector<std::string> args; // without the program name
    int mode;
    int count;
    std::string file;
};

} // namespace

TEST(ProgramEntry, ParsesSwitchesInTheirOrder)
{
    const std::vector<parse_case> cases = {
        {{"run.prj"}, mode_single, 1, "run.prj"},
        {{"-v"}, mode_single, 1, "-v"},           // a lone switch is a project name
        {{"-b3"}, mode_single, 1, "-b3"},
        {{"-v", "x"}, mode_version, 1, ""},
        {{"-s", "c.pst"}, mode_slm, 1, "c.pst"},
        {{"-slm", "c.pst"}, mode_slm, 1, "c.pst"},
        {{"-sensitivity", "c.pst"}, mode_slm, 1, "c.pst"},
        {{"-ms", "c.pst"}, mode_multistart, 1, "c.pst"},
        {{"-msx", "c.in"}, mode_monte_carlo, -2, ""}, // longer than -ms: Monte Carlo, "sx" no count
        {{"-mls", "c.pst"}, mode_mlsl, 1, "c.pst"},
        {{"-mlsl", "c.pst"}, mode_mlsl, 1, "c.pst"},
        {{"-m20", "mc.in"}, mode_monte_carlo, 20, "mc.in"},
        {{"-t", "c.pst"}, mode_trajrep, 1, "c.pst"},
        {{"-tr", "c.pst"}, mode_trajrep, 1, "c.pst"},
        {{"-c", "sce.in"}, mode_sce, 1, "sce.in"},
        {{"-b3", "p.prj"}, mode_batch, 3, "p.prj"},
        {{"-b", "p.prj"}, mode_batch, 1, "p.prj"},
        {{"-b0", "p.prj"}, mode_batch, -2, ""},
        {{"-b99999999999", "p.prj"}, mode_batch, -2, ""},
        {{"-b3x", "p.prj"}, mode_batch, -2, ""},
        {{"-m-4", "mc.in"}, mode_monte_carlo, -2, ""},
        {{"-h", "p.prj"}, mode_help, 1, "p.prj"},
        {{"run", "%s%d.prj"}, mode_none, -2, ""}, // unknown switch: usage, and a failure
        {{}, mode_none, -1, ""},
    };
    for (const auto& c : cases) {
        std::vector<std::string> storage = {"torva"};
        storage.insert(storage.end(), c.args.begin(), c.args.end());
        std::vector<char*> argv;
        for (auto& s : storage) argv.push_back(s.data());
        command_line cmd;
        testing::internal::CaptureStdout();
        const int count = parse_command_line(static_cast<int>(argv.size()), argv.data(), cmd);
        const std::string printed = testing::internal::GetCapturedStdout();
        const std::string label = c.args.empty() ? std::string("(none)") : c.args[0];
        EXPECT_EQ(count, c.count) << label;
        EXPECT_EQ(cmd.mode, c.mode) << label;
        EXPECT_EQ(cmd.file, c.file) << label;
        if (c.count == -2 && c.mode == mode_none)
            EXPECT_EQ(printed, usage_text) << label;
        else if (c.count == -2)
            EXPECT_EQ(printed.rfind("Error: the run count of the switch " + c.args[0], 0), 0u) << printed;
        else
            EXPECT_EQ(printed, c.count == -1 ? std::string(usage_text) : std::string()) << label;
    }
}

TEST(ProgramEntry, UsageVersionAndHelpTexts)
{
    std::string out;
    EXPECT_EQ(run_command(torva_exe(), out), 0);
    const std::string b = banner();
    EXPECT_EQ(b.rfind("Parallel version of TORVA (6.1 ) with SCE (OpenMP), ", 0), 0u) << b;
    EXPECT_EQ(b.substr(b.size() - std::string(" total threads.\n").size()), " total threads.\n");
    EXPECT_EQ(out, b + usage_text);

    EXPECT_EQ(run_command(torva_exe() + " -v x", out), 0);
    EXPECT_EQ(out.rfind(b + "\n    -- TORVA version 6.10  --\n \n", 0), 0u) << out;
    EXPECT_NE(out.find("Intended for use with VKS Version 9.0 or higher\n \n"), std::string::npos);

    EXPECT_EQ(run_command(torva_exe() + " -unknown x", out), 1);
    EXPECT_EQ(out, b + usage_text);
}

TEST(ProgramEntry, CalibrationModesStopOnMissingFilesOrSayTheyAreNotAvailable)
{
    scratch_dir dir("modes"); // the toolbox writes torva.in before it opens its control file
    const std::string looked = "  Looked for: " + dir.file("control.in") + "\n";
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"-c", "Error getting new filename from control.in\n" + looked + "Can't open SCE input file control.in\n"
               "Error: unable to open the observation file for reading or problem while reading it.\n"
               "Attempted to read file: \n"},
         {"-m5", "Error getting new filename from control.in\n" + looked +
                    "Error: the Monte Carlo input file control.in cannot be opened.\nError: unable to read the input "
                    "monte carlo file.\n"},
        {"-slm", "\nUsing the (Secant) Levenberg-Marquardt local search method,\n"
                 "as implemented directly in TORVA, to calibrate the current TORVA model.\n"},
        {"-ms", "\nUsing the multistart stochastic global optimization method,\n"
                "as implemented directly in TORVA, to calibrate the current TORVA model.\n"
                "Multistart uses the (Secant) Levenberg-Marquardt local search method,\n"
                "as implemented directly in TORVA, for local search.\n\n"
                "Cannot open the file ms.in in the working folder.\n"},
        {"-tr", "\nUsing the trajectory repulsion stochastic global optimization method,\n"
                "as implemented directly in TORVA, to calibrate the current TORVA model.\n"
                "Trajectory repulsion uses the (Secant) Levenberg-Marquardt local search method,\n"
                "as implemented directly in TORVA, for local search.\n\n"
                "Cannot open the file tr.in in the working folder.\n"},
        {"-mlsl", "\nUsing the Multi Level Single Linkage (MLSL) stochastic global optimization method,\n"
                  "as implemented directly in TORVA, to calibrate the current TORVA model.\n"
                  "MLSL uses the (Secant) Levenberg-Marquardt local search method,\n"
                  "as implemented directly in TORVA, for local search.\n\n"
                  "Cannot open the file mlsl.in in the working folder.\n"},
    };
    const std::string b = banner();
    for (const auto& c : cases) {
        std::string out;
        EXPECT_EQ(run_command("cd " + dir.path() + " && " + torva_exe() + " " + c.first + " control.in", out), 1);
        EXPECT_EQ(out, b + c.second) << c.first;
    }
}

TEST(ProgramEntry, MissingProjectReportsAndStillWritesTheRunTime)
{
    scratch_dir dir("missing");
    std::string out;
    const int rc = run_command("cd " + dir.path() + " && " + torva_exe() + " missing.prj 2>&1", out);
    EXPECT_EQ(rc, 1);
    EXPECT_NE(out.find("reading run parameters from project file: missing.prj\n"), std::string::npos);
    EXPECT_NE(out.find("Error opening project file named: missing.prj\n"), std::string::npos);
    EXPECT_NE(out.find("\nError: The specified project file was not found.\n"), std::string::npos);
    EXPECT_EQ(out.find("Running...."), std::string::npos);
    const std::string t = read_file(dir.file("out_time.out"));
    EXPECT_EQ(t.rfind("total time (s): ", 0), 0u);
    EXPECT_EQ(t.back(), '\n');
}

TEST(ProgramEntry, BatchNumbersItsRuns)
{
    scratch_dir dir("batch");
    std::string out;
    EXPECT_EQ(run_command("cd " + dir.path() + " && " + torva_exe() + " -b3 missing.prj 2>&1", out), 1);
    EXPECT_NE(out.find("TORVA is running in batch mode, and is running 3 runs...\n"), std::string::npos);
    for (const char* name : {"0000_out_time.out", "0001_out_time.out", "0002_out_time.out"})
        EXPECT_TRUE(file_exists(dir.file(name))) << name;
    EXPECT_FALSE(file_exists(dir.file("0003_out_time.out")));
    EXPECT_FALSE(file_exists(dir.file("out_time.out")));

    // A run count below 1, or one that does not fit, is refused before any run.
    scratch_dir none("batch0");
    for (const char* sw : {"-b0", "-b99999999999"}) {
        EXPECT_EQ(run_command("cd " + none.path() + " && " + torva_exe() + " " + sw + " missing.prj", out), 1);
        EXPECT_NE(out.find(std::string("Error: the run count of the switch ") + sw +
                           " is out of range; give a whole number from 1 to 2147483647.\n"),
                  std::string::npos)
            << out;
        EXPECT_EQ(out.find("batch mode"), std::string::npos);
    }
    EXPECT_TRUE(std::filesystem::is_empty(none.path()));
}

TEST(ProgramEntry, FileNameWithPercentIsUsedLiterally)
{
    scratch_dir dir("percent");
    std::string out;
    run_command("cd " + dir.path() + " && " + torva_exe() + " '%s%d.prj'", out);
    EXPECT_NE(out.find("reading run parameters from project file: %s%d.prj\n"), std::string::npos);
}

TEST(ProgramEntry, WebModeWrapsTheOutputAndEchoesTheRequest)
{
    scratch_dir dir("web");
    const std::string link = dir.file("torva_web");
    std::filesystem::create_symlink(torva_exe(), link);
    const std::string page_head = std::string("Content-Type:text/text;charset=iso-8859-1\r\n\n") +
                                  "<title>TORVA Test Case</title><body><P> Web version of TORVA (6.1 ) "
                                  "with SCE starting...</P><P>";
    std::string out;
    EXPECT_EQ(run_command("printf 'name=value&more\\nsecond line\\n' | CONTENT_LENGTH=8 " + link, out), 0);
    EXPECT_EQ(out, page_head + "name=val" + usage_text + "</P></body>\n");

    EXPECT_EQ(run_command("printf 'abc' | CONTENT_LENGTH=12x " + link + " -h x", out), 0);
    EXPECT_EQ(out, page_head + "<P>Error in invocation - wrong FORM probably." + "</P></body>\n");

    EXPECT_EQ(run_command("printf 'abc' | CONTENT_LENGTH=2000 " + link + " -h x", out), 0);
    EXPECT_EQ(out, page_head + "<P>Error in invocation - wrong FORM probably." + "</P></body>\n");

    EXPECT_EQ(run_command("printf 'abc' | env -u CONTENT_LENGTH " + link + " -h x", out), 0);
    EXPECT_EQ(out, page_head + "<P>Error in invocation - wrong FORM probably." + "</P></body>\n");
}

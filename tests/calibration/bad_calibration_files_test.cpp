// Bad variants of the calibration examples run through the program itself:
// each must exit with status 1 and name the file and the cause, and where
// the fault can be seen in the files it must be refused before the first
// model run. The SCE-UA and Monte Carlo control files start from
// examples/calib; the toolbox's control, template and instruction files
// and the strategy files from examples/slm.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/example_variant.h"

namespace
{

using namespace torva_test;

// Every case exits with status 1 and leaves no best set; a case refused
// before the first model run shows no run time (printed by each trial of
// SCE-UA and Monte Carlo) and no values file (written by a toolbox run
// first).
const refusal_checks after_runs = {
    {"The best results of the SCE calibration", "Best objective function value"},
    {},
    {"0000_sce_best.out", "0000_best.out"}};
const refusal_checks before_runs = {
    {"The best results of the SCE calibration", "Best objective function value", "Run time:"},
    {},
    {"0000_sce_best.out", "0000_best.out", "values.in"}};

TEST(BadCalibrationFiles, SceUaAndMonteCarloControlFiles)
{
    const std::string sce_settings = "80 3 0.001 2 0 0 1\n";
    const std::vector<example_variant> cases = {
        // The project, the replacement list and the observations are
        // checked once, before the first trial.
        {"SCE-UA project missing",
         "calib",
         "-c sce.in",
         {{"sce.in", replaced("calib.prj", "nothere.prj")}},
         {"Error: The specified project file was not found.\n",
          "Error: the project file \"nothere.prj\" named on line 1 of the SCE input file sce.in cannot be "
          "opened; no trial was run.\n",
          "Error: unable to successfully run the SCE method\n"}},
        {"Monte Carlo project missing",
         "calib",
         "-m3 mc.in",
         {{"mc.in", replaced("calib.prj", "nothere.prj")}},
         {"Error: the project file \"nothere.prj\" named on line 1 of the Monte Carlo input file mc.in "
          "cannot be opened; no trial was run.\n"}},
        {"replacement list announcing 2000000000 parameters",
         "calib",
         "-c sce.in",
         {{"calib.rpl", replaced("1\n", "2000000000\n")}},
         {"Error: file calib.rpl, line 1: the number of parameters 2000000000 lies outside 0 to "
          "1000000000.\n"}},
        {"replacement list announcing more than the file holds",
         "calib",
         "-m3 mc.in",
         {{"calib.rpl", replaced("1\n", "50\n")}},
         {"Error: file calib.rpl, line 1: the number of parameters 50 is more than the 16 characters left in "
          "the file can hold.\n"}},
        {"replacement list cut short",
         "calib",
         "-c sce.in",
         {{"calib.rpl", replaced("1\n", "2\n")}},
         {"Error: unexpected end of parameter list file after 1 parameters. Expecting 2\n",
          "Error: the replacement parameter file calib.rpl declares 2 parameters on line 1 but holds 1.\n"}},
        {"replacement list missing",
         "calib",
         "-m3 mc.in",
         {removed("calib.rpl")},
         {"Error: unable to open the replace parameter file.\n",
          "Error: the replacement parameter file calib.rpl cannot be opened.\n"}},
        {"replacement list longer than the trial values",
         "calib",
         "-c sce.in",
         {{"calib.rpl", whole("2\n[mann] \"%8.6lf\"\n[k] \"%8.6lf\"\n")}},
         {"Error: the replacement parameter file calib.rpl lists 2 parameters, but 1 trial values are "
          "given.\n"}},

        // SCE-UA control file: settings, bounds and counts.
        {"word among the settings",
         "calib",
         "-c sce.in",
         {{"sce.in", replaced(sce_settings, "80 three 0.001 2 0 0 1\n")}},
         {"Error in your input file. The first line must have 7 parameters.\n",
          "Error: kstop \"three\" in the SCE input file sce.in is not a number.\n"}},
        {"nan among the settings",
         "calib",
         "-c sce.in",
         {{"sce.in", replaced(sce_settings, "80 3 nan 2 0 0 1\n")}},
         {"Error: pcento \"nan\" in the SCE input file sce.in is not finite.\n"}},
        {"settings cut short",
         "calib",
         "-c sce.in",
         {{"sce.in", whole("calib.prj\ncalib.rpl\ncalib.obs\n80 3 0.001\n")}},
         {"Error in your input file. The first line must have 7 parameters.\n",
          "Error: the SCE input file sce.in ends before ngs.\n"}},
        {"no complexes",
         "calib",
         "-c sce.in",
         {{"sce.in", replaced(sce_settings, "80 3 0.001 0 0 0 1\n")}},
         {" **ERROR** NUMBER OF COMPLEXES IN INITIAL POPULATION 0 IS NOT A VALID CHOICE\n",
          "Error: the number of complexes ngs 0 in the SCE input file sce.in must lie from 1 to 1319.\n"}},
        {"too many parameters",
         "calib",
         "-c sce.in",
         {{"sce.in", replaced(sce_settings, "80 3 0.001 2 0 0 101\n")}},
         {"Error: the number of parameters 101 in the SCE input file sce.in must be 1 to 100.\n"}},
        {"equal bounds",
         "calib",
         "-c sce.in",
         {{"sce.in", replaced("0.08 0.02 0.15", "0.08 0.15 0.15")}},
         {"ERROR:  Lower bound is greater than upper bound for varialbe 1\n",
          "Error: parameter 1 of the SCE input file sce.in has the lower bound 0.15 and the upper bound "
          "0.15; the lower bound must lie below the upper.\n"}},
        {"initial value outside its bounds as the first point",
         "calib",
         "-c sce.in",
         {{"sce.in", replaced(sce_settings + "0 0 0 0 0 0\n0.08", "80 3 0.001 2 0 1 1\n7 4 7 2 1 0\n0.5")}},
         {"Error: the initial value 0.5 of parameter 1 in the SCE input file sce.in lies outside its bounds "
          "0.02 to 0.15 (iniflg 1 starts the search from it).\n"}},
        {"more parameter lines than nopt",
         "calib",
         "-c sce.in",
         {{"sce.in", replaced("0.08 0.02 0.15\n", "0.08 0.02 0.15\n0.5 0.1 1.0\n")}},
         {"Error: the SCE input file sce.in holds \"0.5\" after the values of its 1 parameters; nopt must "
          "count every parameter line.\n"}},
        {"control file missing", "calib", "-c none.in", {}, {"Can't open SCE input file none.in\n"}},

        // The observation file.
        {"no observations",
         "calib",
         "-c sce.in",
         {{"calib.obs", replaced("1\n", "0\n")}},
         {"Error: line 1 of the observation file calib.obs gives 0 entries; it must give 1 or more.\n",
          "Error: unable to open the observation file for reading or problem while reading it.\n"}},
        {"observation row with a fifth value",
         "calib",
         "-m3 mc.in",
         {{"calib.obs", replaced("52.482439 1.0", "52.482439 1.0 7")}},
         {"Error: line 2 of the observation file calib.obs holds \"7\" after its four numbers"}},
        {"observation row cut short",
         "calib",
         "-c sce.in",
         {{"calib.obs", replaced("52.482439 1.0", "52.482439")}},
         {"Error: line 2 of the observation file calib.obs needs four numbers"}},

        // Monte Carlo input file.
        {"Monte Carlo count beyond the file",
         "calib",
         "-m3 mc.in",
         {{"mc.in", replaced("calib.obs\n1\n", "calib.obs\n2000000\n")}},
         {"Error: file mc.in, line 4: the number of parameters 2000000 is more than the 10 characters left "
          "in the file can hold.\n",
          "Error: unable to read the input monte carlo file.\n"}},
        {"Monte Carlo bound that is a word",
         "calib",
         "-m3 mc.in",
         {{"mc.in", replaced("0.02 0.15", "0.02 high")}},
         {"Error: line 5 of the Monte Carlo input file mc.in: a bound is not a number.\n"}},
        {"Monte Carlo input file missing",
         "calib",
         "-m3 none.in",
         {},
         {"Error: the Monte Carlo input file none.in cannot be opened.\n",
          "Error: unable to read the input monte carlo file.\n"}},
    };
    expect_variants(cases, before_runs);
    // Trials that all fail leave no best set.
    expect_variants(
        {
            {"SCE-UA whose every trial fails",
             "calib",
             "-c sce.in",
             {removed("calib.ele")},
             {"Error: none of the 30 trials of the SCE calibration gave a result"}},
            {"Monte Carlo whose every run fails",
             "calib",
             "-m2 mc.in",
             {removed("calib.ele")},
             {"Error: none of the 2 Monte Carlo runs gave a result"}},
        },
        after_runs);
}

TEST(BadCalibrationFiles, ToolboxAndStrategyFiles)
{
    const std::string counts = "1 12 1 0 1\n";
    const std::string param = "n log factor 0.1 0.01 0.5 rough 1.0 0.0 1\n";
    // A control file of 9000 parameters: the matrices are refused from the
    // counts, before any parameter line is read.
    const std::string filler(9000 * 20, ' ');
    const std::vector<example_variant> cases = {
        // Counts that would size tables beyond what the file holds.
        {"NPARGP beyond its range",
         "slm",
         "-slm case.pst",
         {{"case.pst", replaced(counts, "1 12 2000000000 0 1\n")}},
         {"Error: file case.pst, line 4: the number of parameter groups NPARGP 2000000000 lies outside 1 to "
          "1000000000.\n"}},
        {"NPARGP beyond the file",
         "slm",
         "-slm case.pst",
         {{"case.pst", replaced(counts, "1 12 999999999 0 1\n")}},
         {"Error: file case.pst, line 4: the number of parameter groups NPARGP 999999999 is more than the "}},
        {"NTPLFLE beyond the file",
         "slm",
         "-ms case.pst",
         {{"case.pst", replaced("1 1 single point", "500000 1 single point")}},
         {"Error: file case.pst, line 5: the number of template files NTPLFLE 500000 is more than the "}},
        {"matrices beyond the stated limit",
         "slm",
         "-slm case.pst",
         {{"case.pst", replaced(counts, "9000 12 1 0 1\n")}, {"case.pst", appended(filler)}},
         {"Error in the control file case.pst, control data, line 4: the matrices of NOBS + NPRIOR = 12 rows "
          "and NPAR = 9000 columns would hold more than the 67108864 values a calibration may hold\n"}},
        {"NUMLAM beyond its limit",
         "slm",
         "-slm case.pst",
         {{"case.pst", replaced("0.03 10\n", "0.03 1000000000\n")}},
         {"Error in the control file case.pst, control data, line 6: NUMLAM \"1000000000\" is out of range: "
          "it must lie from 0 to 10000\n"}},
        {"word for a count",
         "slm",
         "-slm case.pst",
         {{"case.pst", replaced(counts, "1 twelve 1 0 1\n")}},
         {"Error in the control file case.pst, control data, line 4: NOBS \"twelve\" is not a number\n"}},

        // Tables that do not agree.
        {"observation in an undeclared group",
         "slm",
         "-slm case.pst",
         {{"case.pst", replaced("Q30 1.391 1.0 flows", "Q30 1.391 1.0 flowz")}},
         {"Error in the control file case.pst, observation data, line 23: the group \"flowz\" of observation "
          "Q30 is not declared in the observation groups\n"}},
        {"parameter in an undeclared group",
         "slm",
         "-slm case.pst",
         {{"case.pst", replaced(param, "n log factor 0.1 0.01 0.5 rouge 1.0 0.0 1\n")}},
         {"Error in the control file case.pst, parameter data, line 14: the group \"rouge\" of parameter n "
          "is not declared in the parameter groups\n"}},
        {"observation given twice",
         "slm",
         "-slm case.pst",
         {{"case.pst", replaced("Q30 1.391", "Q25 1.391")}},
         {"Error in the control file case.pst, observation data, line 23: observation \"Q25\" is given twice "
          "(first on line 22)\n"}},
        {"unknown transform",
         "slm",
         "-slm case.pst",
         {{"case.pst", replaced(param, "n lgo factor 0.1 0.01 0.5 rough 1.0 0.0 1\n")}},
         {"PARTRANS \"lgo\" of parameter n must be \"none\", \"log\", \"fixed\" or \"tied\"\n"}},
        {"unknown FORCEN",
         "slm",
         "-slm case.pst",
         {{"case.pst", replaced("switch", "swich")}},
         {"Error in the control file case.pst, parameter groups, line 12: FORCEN \"swich\" of group rough "
          "must be \"always_2\", \"always_3\" or \"switch\"\n"}},
        {"tied to no parameter",
         "slm",
         "-slm case.pst",
         {{"case.pst", replaced(counts, "2 12 1 0 1\n")},
          {"case.pst", replaced(param, param + "m tied factor 0.2 0.02 1.0 rough 1.0 0.0 1\nm nn\n")}},
         {"Error in the control file case.pst, parameter data, line 16: the tied parameter m names \"nn\" as "
          "its parent, which is not a parameter\n"}},
        {"model output file that is the project",
         "slm",
         "-slm case.pst",
         {{"case.pst", replaced("plane.ins plane.otl", "plane.ins plane.prj")}},
         {"Error in the control file case.pst, model input/output, line 34: the model output file plane.prj "
          "is the project file; the toolbox removes every model output file before each model run\n"}},
        {"project file missing",
         "slm",
         "-tr case.pst",
         {{"case.pst", replaced("0.05 plane.prj", "0.05 nothere.prj")}},
         {"Error: the project file \"nothere.prj\" named in the control file case.pst cannot be opened; no "
          "trial was run.\n"}},

        {"log-transformed parameter with a bound of 0",
         "slm",
         "-slm case.pst",
         {{"case.pst", replaced(param, "n log factor 0.1 0.0 0.5 rough 1.0 0.0 1\n")}},
         {"\nThe log transformed parameter n has an input value less than zero!\nProgram terminating.\n",
          "Error in the control file case.pst, parameter data, line 14: parameter n is log-transformed: its "
          "value and both bounds must lie above 0\n"}},
        {"prior term without its \"*\"",
         "slm",
         "-slm case.pst",
         {{"case.pst", replaced(counts, "1 12 1 1 1\n")},
          {"case.pst",
           replaced("* prior information\n", "* prior information\npi1 1.0 n = 0.05 1.0 flows\n")}},
         {"Error reading prior information\n",
          "Error in the control file case.pst, prior information, line 36: "}},

        // Start values.
        {"initial value outside its bounds",
         "slm",
         "-slm case.pst",
         {{"case.pst", replaced(param, "n log factor 0.6 0.01 0.5 rough 1.0 0.0 1\n")}},
         {"\nThe intial value for the following parameter is outside of its specified bounds: n",
          "\nModify the input control file and try again.\n",
          "Error in the control file case.pst, parameter data, line 14: the initial value 0.6 of parameter n "
          "lies outside its bounds 0.01 to 0.5.\n"}},
        {"no adjustable parameter",
         "slm",
         "-mlsl case.pst",
         {{"case.pst", replaced(param, "n fixed factor 0.1 0.01 0.5 rough 1.0 0.0 1\n")}},
         {"The number of adjustable model parameters is zero. \n",
          "Error in the control file case.pst, parameter data: every one of its 1 parameters is fixed or "
          "tied.\n"}},

        // Template files.
        {"template line without its closing marker",
         "slm",
         "-slm case.pst",
         {{"plane.tpl", replaced("#n       #", "#n       ")}},
         {"Error in the template file plane.tpl, line 2: the parameter space opened at column 17 has no "
          "closing marker '#'.\n"}},
        {"template naming no parameter",
         "slm",
         "-slm case.pst",
         {{"plane.tpl", replaced("#n       #", "#k       #")}},
         {"Error in the template file plane.tpl, line 2: the parameter space at column 17 names \"k\", which "
          "is not a parameter of the control file.\n"}},
        {"template header",
         "slm",
         "-slm case.pst",
         {{"plane.tpl", replaced("ptf #", "ptx #")}},
         {"plane.tpl is not a valid PEST template file.\n",
          "Error in the template file plane.tpl, line 1: the header must begin \"ptf\" or \"jtf\""}},

        // Instruction files, checked before the first model call.
        {"instruction naming no observation",
         "slm",
         "-slm case.pst",
         {{"plane.ins", replaced("!Q60!", "!Q61!")}},
         {"Error in the instruction file plane.ins, line 13: observation \"Q61\" is not an observation of "
          "the control file case.pst.\n"}},
        {"observation read by no instruction",
         "slm",
         "-slm case.pst",
         {{"plane.ins", replaced("l1 w w !Q60!\n", "")}},
         {"Error in the control file case.pst, observation data, line 29: observation Q60 is read by no "
          "instruction file.\n"}},
        {"observation read twice",
         "slm",
         "-slm case.pst",
         {{"plane.ins", replaced("!Q60!", "!Q55!")}},
         {"Error in the instruction file plane.ins, line 13: observation Q55 is read a second time (first in "
          "plane.ins, line 12).\n"}},
        {"semi-fixed observation",
         "slm",
         "-ms case.pst",
         {{"plane.ins", replaced("!Q10!", "(Q10)1:4")}},
         {"Semi-fixed observations are currently not supported with the calibration toolbox.\n",
          "Error in the instruction file plane.ins, line 3: a semi-fixed observation \"(\" is not "
          "supported\n"}},
        {"line count that is a word",
         "slm",
         "-slm case.pst",
         {{"plane.ins", replaced("l1 w w !Q15!", "lx w w !Q15!")}},
         {"Error in the instruction file plane.ins, line 4: the count of 'l' \"x\" is not a number\n"}},
        {"search text without its closing marker",
         "slm",
         "-slm case.pst",
         {{"plane.ins", replaced("l1 w w !Q15!", "@Q15 !Q15!")}},
         {"Error in the instruction file plane.ins, line 4: the closing character of a search text is "
          "missing\n"}},
        {"instruction header",
         "slm",
         "-tr case.pst",
         {{"plane.ins", replaced("pif @", "pif")}},
         {"plane.ins is not a valid PEST instruction file.\n",
          "Error in the instruction file plane.ins, line 1: the header must begin \"pif\" or \"jif\""}},
        {"instruction file missing",
         "slm",
         "-slm case.pst",
         {removed("plane.ins")},
         {"Cannot open the instruction file plane.ins\n"}},

        // Strategy files.
        {"pre-inversion runs beyond the stated limit",
         "slm",
         "-ms case.pst",
         {{"ms.in", whole("4711 2000000000\n")}},
         {"Error in file ms.in, item 2 (pre-inversion runs) \"2000000000\": must lie in [0, 1000000].\n"}},
        {"MLSL tables beyond the stated limit",
         "slm",
         "-mlsl case.pst",
         {{"mlsl.in", whole("10000 0.5 2.0 0.01 Y 4711 10000 4 2 2 0.01\n")}},
         {"Error in file mlsl.in: the MLSL tables of 100000000 samples and 4 local searches of up to 31 "
          "points over 1 parameters would hold 400000248 values, more than the 67108864 a strategy may "
          "hold.\n"}},
        {"trajectory tables beyond the stated limit",
         "slm",
         "-tr case.pst",
         {{"case.pst", replaced("\n30 0.005", "\n100000 0.005")}, {"tr.in", whole("Y 4711 3 1000 5 0.01\n")}},
         {"Error in file tr.in: the trajectory repulsion tables of 3 samples and 1000 local searches of up "
          "to 100001 points over 1 parameters would hold 200002012 values"}},
        {"strategy item that is a word",
         "slm",
         "-tr case.pst",
         {{"tr.in", whole("Y 4711 three 2 5 0.01\n")}},
         {"Error in file tr.in, item 3 (pre-inversion runs) \"three\": is not a number.\n"}},
        {"text after the last strategy item",
         "slm",
         "-ms case.pst",
         {{"ms.in", whole("4711 2 7\n")}},
         {"Error in file ms.in: unexpected text \"7\" after its 2 items.\n"}},
    };
    expect_variants(cases, before_runs);
    // A strategy whose every sample run fails.
    expect_variants(
        {
            {"MLSL whose every sample fails",
             "slm",
             "-mlsl case.pst",
             {removed("plane.ele")},
             {"Every MLSL sample run failed; no search could start.\n"}},
        },
        after_runs);
}

} // namespace

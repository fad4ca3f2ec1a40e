// The start and end shared by the toolbox's drivers.
#include <cstdio>
#include <cstring>

#include "calibration/calib_objective.h"
#include "calibration/global_search.h"
#include "calibration/toolbox_run.h"

namespace
{

void print_lines(const std::vector<std::string>& lines)
{
    for (const std::string& line : lines)
        std::printf("%s", line.c_str());
}

} // namespace

toolbox_driver GlobalStrategyDriver(const char* method, const char* subject, const char* strategy,
                                    const char* program)
{
    toolbox_driver d;
    d.banner = {std::string("\nUsing the ") + method + " stochastic global optimization method,\n",
                "as implemented directly in TORVA, to calibrate the current TORVA model.\n",
                std::string(subject) + " uses the (Secant) Levenberg-Marquardt local search method,\n",
                "as implemented directly in TORVA, for local search.\n\n"};
    d.usage = {"\n", "No command line arguments.\n",
               "At the command prompt, please enter appropriate additional information.\n",
               "Review the TORVA user's manual as needed.\n"};
    const std::string name = program;
    d.prediction = {"\n", "Currently, the " + name + " does not support prediction capabilities.\n",
                    "Please change the PESTMODE parameter in the input control\n",
                    "file to 'estimation' and recommence execution of " + name + ".\n", "\n"};
    d.strategy = strategy;
    return d;
}

toolbox_run::~toolbox_run()
{
    CloseTemplateFiles(pc, templates);
    CloseInstructionFiles(pc, instructions);
    for (std::FILE* fp : files)
        if (fp)
            std::fclose(fp);
}

int OpenToolboxRun(int argc, char** argv, const toolbox_driver& d, toolbox_run& run, bool& go_on)
{
    go_on = false;
    if (argc < 3) {
        print_lines(d.usage);
        return 1;
    }
    print_lines(d.banner);
    if (d.read_strategy && d.read_strategy() != 0)
        return 1;
    pest_control& pc = run.pc;
    int rc = ReadControlFile(pc, argc, argv);
    if (rc != 0)
        return rc;
    if ((rc = OpenTemplateFiles(pc, run.templates)) != 0 ||
        (rc = ScanTemplateFiles(pc, run.templates)) != 0 ||
        (rc = OpenInstructionFiles(pc, run.instructions)) != 0 ||
        (rc = CheckInstructionFiles(pc, run.instructions)) != 0)
        return rc;
    if (!calib_project_found(pc.project_file, "in the control file " + pc.control_file))
        return 1;
    std::remove("pest.stp");

    if (pc.mode == "prediction") {
        print_lines(d.prediction);
        return 1;
    }
    if (d.estimation_modes_only && pc.mode != "estimation" && pc.mode != "regularization" &&
        pc.mode != "regularisation") {
        std::printf(
            "\nThe MODE parameter of the control file, \"%s\", is not 'estimation', 'regularization' or "
            "'regularisation'.\n",
            pc.mode.c_str());
        return 1;
    }
    ClassifyParameters(pc);
    if (ParametersCannotStart(pc))
        return 1;
    if (d.strategy && CheckGlobalStart(argc, argv, pc, d.strategy) != 0)
        return 1;
    if (d.check_tables && d.check_tables(pc) != 0)
        return 1;

    SetTieRatios(pc);
    if ((rc = FilesNamesForWrite(argc, argv, run.names)) != 0)
        return rc;
    const bool resume = argc >= 4 && std::strcmp(argv[3], "/r") == 0;
    const toolbox_names& n = run.names;
    run.paths = {n.rec, n.sen, n.mtt, n.par};
    const char* const modes[4] = {resume ? "a" : "w", resume ? "a" : "w", "w", "w"};
    for (int k = 0; k < 4; ++k) {
        run.files.push_back(std::fopen(run.paths[k].c_str(), modes[k]));
        if (!run.files.back()) {
            std::printf("Cannot open %s for writing\n", run.paths[k].c_str());
            return 1;
        }
    }
    run.tm.handles = &run.instructions;
    run.tm.mode = argv[1];
    toolbox_model& tm = run.tm;
    run.model = [&tm](pest_control& c, pest_values which, int slot) {
        return ToolboxModelCall(tm, c, which, slot);
    };
    go_on = true;
    return 0;
}

std::FILE* OpenRunFile(toolbox_run& run, const char* name)
{
    std::FILE* fp = std::fopen(name, "w");
    if (!fp) {
        std::printf("Cannot open %s for writing\n", name);
        return nullptr;
    }
    run.paths.push_back(name);
    run.files.push_back(fp);
    return fp;
}

int CloseToolboxRun(toolbox_run& run, int rc)
{
    for (std::size_t k = 0; k < run.files.size(); ++k) {
        const int closed = std::fclose(run.files[k]);
        run.files[k] = nullptr;
        if (closed != 0) {
            std::printf("Cannot write %s\n", run.paths[k].c_str());
            if (rc == 0)
                rc = 1;
        }
    }
    return rc;
}

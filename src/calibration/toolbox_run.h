// The start and end shared by the toolbox's drivers ("-slm", "-mlsl",
// "-ms", "-tr"): the usage and banner lines, the control, template and
// instruction files, the start checks, the case files, the model call, and
// closing everything whichever way the driver returns.
#pragma once

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "calibration/pest_control.h"
#include "calibration/slm_routines.h"

// What a driver prints and checks.
struct toolbox_driver {
    std::vector<std::string> usage;      // printed when no control file is named
    std::vector<std::string> banner;     // printed at the start
    std::vector<std::string> prediction; // printed when the mode is "prediction"
    const char* strategy = nullptr;      // a global strategy: "/r" and equal bounds are refused
    bool estimation_modes_only = false;  // modes other than estimation and regularisation refused
    // Reads the strategy's own control file right after the banner, so that
    // a missing or bad one stops before any file is written; 0 to go on.
    std::function<int()> read_strategy;
    // Checks the strategy's tables against the control file's counts before
    // any model run; 0 to go on.
    std::function<int(const pest_control&)> check_tables;
};

// The texts of a global strategy: the method's name in the banner's first
// line (`method`) and as the subject of its second (`subject`), the name
// of its start checks (`strategy`) and the program its prediction refusal
// names (`program`).
toolbox_driver GlobalStrategyDriver(const char* method, const char* subject, const char* strategy,
                                    const char* program);

// Everything a driver opens. files holds rec, sen, mtt and par, then the
// files the strategy opens with OpenRunFile, with their names in paths.
struct toolbox_run {
    pest_control pc;
    pest_handles templates, instructions;
    toolbox_names names;
    std::vector<std::string> paths;
    std::vector<std::FILE*> files;
    toolbox_model tm;
    pest_model_call model; // every run a complete model run in this process
    toolbox_run() = default;
    toolbox_run(const toolbox_run&) = delete;
    toolbox_run& operator=(const toolbox_run&) = delete;
    ~toolbox_run();
};

// The usage lines and 1 when no control file is named; else the banner and
// the strategy's control file, then the control, template and instruction
// files; removes "pest.stp", classifies the parameters and makes the start
// checks, then opens the four case files (rec and sen appended with "/r")
// and sets up the model call. go_on is false when the driver is to end
// with the result returned.
int OpenToolboxRun(int argc, char** argv, const toolbox_driver& d, toolbox_run& run, bool& go_on);
// One more file of the strategy, opened for writing; null after a message.
std::FILE* OpenRunFile(toolbox_run& run, const char* name);
// Closes the case and strategy files in order; rc, or 1 when rc is 0 and a
// close fails (after "Cannot write NAME").
int CloseToolboxRun(toolbox_run& run, int rc);

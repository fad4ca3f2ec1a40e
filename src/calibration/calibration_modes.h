// Entries of the calibration modes the program entry dispatches to. Each
// returns the exit status: 1 when the mode stopped on an error.
#pragma once

#include <string>

struct proc_group;

// Each mode returns the process's exit status: 0 when it ran to its end,
// 1 when it stopped on an error.
int run_sce_calibration(proc_group& group, const std::string& control_file);
int run_monte_carlo(proc_group& group, int runs, const std::string& control_file);
int slm_main(int argc, char** argv);
int multistart_calibrate(int argc, char** argv);
int trajrep_calibrate(int argc, char** argv);
int mlsl_calibrate(int argc, char** argv);

// Entries of the calibration modes the program entry dispatches to.
#pragma once

#include <string>

struct proc_group;

void run_sce_calibration(proc_group& group, const std::string& control_file);
// 1 when the runs were made, else 0.
int run_monte_carlo(proc_group& group, int runs, const std::string& control_file);
void slm_main(int argc, char** argv);
void multistart_calibrate(int argc, char** argv);
void trajrep_calibrate(int argc, char** argv);
void mlsl_calibrate(int argc, char** argv);

// One calibration trial: the trial values go into the replacement
// parameters, the model runs once with a result sink, and the sink is
// scored against the observations.
#pragma once

#include <string>
#include <vector>

struct obs_objective;

// x[1..n]; returns the objective's cost, 999999.99 for a run that stopped
// on an error or stored fewer entries than the observations list.
double calib_objective(const std::string& replace_file, const std::string& project_file, const double* x,
                       obs_objective& objective, int n, const std::string& mode);

// Reads the replacement list once and compares its length with the number
// of trial values; false after a message when they differ. The keys are
// returned in list order when asked for.
bool replace_list_matches(const std::string& replace_file, int n, std::vector<std::string>* keys = nullptr);

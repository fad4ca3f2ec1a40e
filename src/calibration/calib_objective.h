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
// of trial values; false after a message when the list cannot be read or
// the two differ. The keys are returned in list order when asked for.
bool replace_list_matches(const std::string& replace_file, int n, std::vector<std::string>* keys = nullptr);

// True when the project file that every trial runs can be opened; else
// false after the run's own message and a line naming the project and
// where it was named (`named_in`, as "on line 1 of the SCE input file x").
bool calib_project_found(const std::string& project_file, const std::string& named_in);

// True for a trial's cost that scores nothing: the run stopped on an error,
// or stored no value for a weighted observation.
bool calib_trial_failed(double cost);

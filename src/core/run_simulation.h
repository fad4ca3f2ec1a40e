// One complete model run: the model state from allocation to destruction,
// the initialisation chain, the time loop, the end-of-run summaries and the
// clean-up.
#pragma once

#include <string>

struct calib_sink;
struct model_state;

// Runs the project; returns 1 when the run stopped on an error (reported or
// not), 0 when it ran to its end; the program's exit status follows it.
// mode is the caller's command-line switch.
int run_simulation(const std::string& project_path, calib_sink* sink, const std::string& mode);

// When set, called with the state at the end of every time step of every
// run; tests read the state through it.
extern void (*run_step_observer)(const model_state& state);

// Relative time series hold day offsets from the start of the simulation;
// once the simulation clock is set, shifts them to absolute times. Every
// kind of run (uniform rain, precipitation file, long-term, host event)
// counts from the origin of its step clock.
void anchor_relative_time_series(model_state& state);

// Closes every file record the model state holds, the run summary last.
void close_run_files(model_state& state);

// Longest project path the run keeps.
constexpr int project_path_capacity = 2055;

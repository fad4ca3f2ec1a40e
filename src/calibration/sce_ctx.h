// The SCE-UA calibration: its context (control file settings, bounds,
// observations, logs, generator state) and its operations.
#pragma once

#include <string>
#include <vector>

#include "calibration/numerical_routines.h"
#include "calibration/obs_objective.h"
#include "core/file_rec.h"

struct sce_ctx;

// One trial: the value the search minimises for the point x[1..nopt].
using sce_trial_fn = double (*)(sce_ctx& ctx, const double* x);

constexpr int sce_max_params = 100; // columns of the population sort

struct sce_ctx {
    file_rec log_file; // "sce_log_file.txt"
    int log_off = 0;
    std::string project_file;
    std::string replace_file;
    std::string obs_file;
    int out_open = 0;
    file_rec out_file; // "sce_output.out"
    int input_ok = 0;
    sce_trial_fn trial = nullptr;
    int nopt = 0;
    int maxn = 0;
    int kstop = 0;
    int iseed = 0;
    int ngs = 0;
    int npg = 0;
    int nps = 0;
    int nspl = 0;
    int mings = 0;
    int iniflg = 0;
    int iprint = 0;
    int ideflt = 0;
    double pcento = 0.0;
    std::vector<double> initial; // 1..nopt
    std::vector<double> lower;
    std::vector<double> upper;
    std::vector<double> bestx;
    obs_objective objective;
    std::vector<double> stat_max; // per parameter over the population
    std::vector<double> stat_min;
    std::vector<double> stat_mean;
    int idum = 0;
    uniform_table table;   // shuffle table of the search's generator
    int normal_cached = 0; // a polar-method deviate is waiting
    double normal_value = 0.0;
    int trials_scored = 0; // trials whose run gave a cost (calib_trial_failed false)
};

// Reads the control file, checks the settings and opens the output file;
// sets input_ok.
void sce_setup(sce_ctx& ctx, const std::string& control_file, const std::string& output_file);
// Reads the control file from its open record: 0, or -1 after a message.
int SCEIN(sce_ctx& ctx, file_rec& control);
// Applies the defaults and the rules; the number of warnings, or -1 for an
// invalid number of complexes.
int sce_check_settings(sce_ctx& ctx);
int sce_read_observations(sce_ctx& ctx);
// One model run through the calibration trial; the absolute cost.
double sce_evaluate(sce_ctx& ctx, const double* x);
// The search: the number of trials made, or -1 when it cannot start.
int SCEUA(sce_ctx& ctx);

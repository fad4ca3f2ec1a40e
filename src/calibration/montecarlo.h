// Monte Carlo calibration: every run draws each parameter uniformly between
// its bounds, runs the model once as a calibration trial and is logged; the
// run of smallest absolute cost is reported.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "calibration/obs_objective.h"
#include "core/file_rec.h"

struct proc_group;

// The trial: (replacement file, project file, values 1..n, objective, n,
// mode) -> cost.
using montecarlo_trial_fn = double (*)(const std::string&, const std::string&, const double*, obs_objective&,
                                       int, const std::string&);

// Calendar time in seconds that seeds the sampler; tests replace it.
extern long long (*montecarlo_clock)();

// Integers uniform in 0..32767 from a linear congruential generator.
struct mc_generator {
    std::uint32_t next = 1;
};
void mc_seed(mc_generator& g, std::uint32_t seed);
int mc_draw(mc_generator& g);

class montecarlo
{
  public:
    montecarlo(int runs, const std::string& input_file, proc_group& group);
    virtual ~montecarlo() = default;
    montecarlo(const montecarlo&) = delete;
    montecarlo& operator=(const montecarlo&) = delete;

    virtual void read_input(const std::string& input_file);
    virtual void sample();
    int run();
    void log_run(double cost);
    void report_best();

    int sampling = 0;
    int proc_number = 0;
    proc_group& group;
    obs_objective objective;
    file_rec log;
    std::string project_file;
    std::string replace_file;
    std::string obs_file;
    int runs = 0;
    int nparams = 0;
    std::vector<double> pmin; // 1..n
    std::vector<double> pmax;
    int input_ok = 0;
    std::vector<double> samples; // 0..n, slot 0 is 0.0
    std::vector<double> best;    // 1..n
    double best_cost = 0.0;
    montecarlo_trial_fn run_model = nullptr;

    int obs_ok = 0;                      // the observations were read
    std::string input_name;              // the input file as opened, for messages
    std::vector<std::string> param_keys; // replacement keys, for the log header
    mc_generator generator;
};

#include "calibration/calib_objective.h"

#include <cstdio>

#include "calibration/calib_capture.h"
#include "calibration/obs_objective.h"
#include "core/error_state.h"
#include "core/file_rec.h"
#include "core/proc_group.h"
#include "core/run_simulation.h"
#include "input/replace_params.h"

namespace
{

bool count_matches(const std::string& replace_file, int n)
{
    const int listed = static_cast<int>(replace_param_list.size());
    if (listed == n)
        return true;
    std::printf("Error: the replacement parameter file %s lists %d parameters, but %d trial values are "
                "given.\n",
                replace_file.c_str(), listed, n);
    return false;
}

} // namespace

bool replace_list_matches(const std::string& replace_file, int n, std::vector<std::string>* keys)
{
    const bool read = read_replace_params(replace_file) == 0;
    if (keys) {
        keys->clear();
        for (const replace_param& p : replace_param_list)
            keys->push_back(p.key);
    }
    const bool ok = read && count_matches(replace_file, n);
    free_replace_params();
    return ok;
}

bool calib_project_found(const std::string& project_file, const std::string& named_in)
{
    file_rec rec;
    if (!project_file.empty() && file_rec_open(rec, project_file, "r")) {
        file_rec_close(rec);
        return true;
    }
    std::printf("Error: The specified project file was not found.\n");
    std::printf("Error: the project file \"%s\" named %s cannot be opened; no trial was run.\n",
                project_file.c_str(), named_in.c_str());
    return false;
}

bool calib_trial_failed(double cost)
{
    return cost == calib_fail_value;
}

double calib_objective(const std::string& replace_file, const std::string& project_file, const double* x,
                       obs_objective& objective, int n, const std::string& mode)
{
    const std::vector<double> absent;
    calib_sink sink;
    run_number_prefix = 1;
    run_number = group_ctx.rank;

    if (read_replace_params(replace_file) != 0 || !count_matches(replace_file, n)) {
        free_replace_params();
        return objective.evaluate(absent, absent, group_ctx.rank, n, x);
    }
    int i = 1;
    for (replace_param& p : replace_param_list)
        p.value_real = x[i++];
    replace_on = 1;

    const int stopped = run_simulation(project_file, &sink, mode);

    // A run that stopped on an error is not scored on a partial sink.
    if (stopped != 0 || run_stopped())
        return objective.evaluate(absent, absent, group_ctx.rank, n, x);
    const long long stored = static_cast<long long>(sink.nevents) * sink.stride;
    if (!sink.peaks.empty() && objective.nevents > stored) {
        std::printf("Error: the observation file lists %d entries, but the run stores only %lld (%d events x "
                    "%d locations and outlet).\n",
                    objective.nevents, stored, sink.nevents, sink.stride);
        return objective.evaluate(absent, absent, group_ctx.rank, n, x);
    }
    return objective.evaluate(sink.peaks, sink.volumes, group_ctx.rank, n, x);
}

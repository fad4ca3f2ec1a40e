#include "calibration/calib_objective.h"
#include "calibration/calibration_modes.h"
#include "calibration/montecarlo.h"
#include "core/proc_group.h"

int run_monte_carlo(proc_group& group, int requested, const std::string& input_file)
{
    montecarlo mc(requested / (group.group_size > 0 ? group.group_size : 1), input_file, group);
    mc.run_model = calib_objective;
    const int result = mc.run();
    if (result == 1)
        mc.report_best();
    return result == 1 ? 0 : 1;
}

#include <cstdio>

#include "calibration/calibration_modes.h"
#include "core/proc_group.h"

// TODO: Monte Carlo calibration mode.
int run_monte_carlo(proc_group& /*group*/, int /*runs*/, const std::string& /*control_file*/)
{
    std::printf("Monte Carlo calibration is not available yet.\n");
    return 1;
}

#include <cstdio>

#include "calibration/calibration_modes.h"
#include "core/proc_group.h"

// TODO: trajectory-repulsion calibration mode.
int trajrep_calibrate(int /*argc*/, char** /*argv*/)
{
    std::printf("Trajectory-repulsion calibration is not available yet.\n");
    return 1;
}

#include <cstdio>

#include "calibration/calibration_modes.h"
#include "core/proc_group.h"

// TODO: MLSL calibration mode.
int mlsl_calibrate(int /*argc*/, char** /*argv*/)
{
    std::printf("MLSL calibration is not available yet.\n");
    return 1;
}

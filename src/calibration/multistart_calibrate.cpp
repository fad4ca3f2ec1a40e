#include <cstdio>

#include "calibration/calibration_modes.h"
#include "core/proc_group.h"

// TODO: multistart calibration mode.
int multistart_calibrate(int /*argc*/, char** /*argv*/)
{
    std::printf("Multistart calibration is not available yet.\n");
    return 1;
}

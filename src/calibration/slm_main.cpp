#include <cstdio>

#include "calibration/calibration_modes.h"
#include "core/proc_group.h"

// TODO: secant Levenberg-Marquardt calibration mode.
int slm_main(int /*argc*/, char** /*argv*/)
{
    std::printf("Secant Levenberg-Marquardt calibration is not available yet.\n");
    return 1;
}

#include <cstdio>

#include "calibration/calibration_modes.h"
#include "core/proc_group.h"

// TODO: SCE-UA calibration mode.
int run_sce_calibration(proc_group& /*group*/, const std::string& /*control_file*/)
{
    std::printf("SCE-UA calibration is not available yet.\n");
    return 1;
}

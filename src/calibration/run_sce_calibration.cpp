#include <cstdio>

#include "calibration/calibration_modes.h"
#include "core/proc_group.h"

// TODO: SCE-UA calibration mode.
void run_sce_calibration(proc_group& /*group*/, const std::string& /*control_file*/)
{
    std::printf("SCE-UA calibration is not available yet.\n");
}

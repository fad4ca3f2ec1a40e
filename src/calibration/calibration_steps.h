// Calibration steps called by the run driver.
#pragma once

struct model_state;

void alloc_calib_capture(model_state& state);

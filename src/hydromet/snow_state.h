// Snow and orographic hydrometeorology members of the model state.
#pragma once

#include "core/arrays.h"
#include "core/file_rec.h"

struct snow_state {
    dvec snow_swe; // m per cell
    double snow_param_a = 0.0;
    double snow_param_b = 0.0;
    double snow_param_c = 0.0;
    double snow_param_d = 0.0;
    int snow_period_s = 0;
    file_rec snow_file;
    double hmet_elev_gage = 0.0;
    double hmet_lapse_rate = 0.0;
};

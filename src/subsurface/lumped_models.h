// Records of the lumped subsurface models.
#pragma once

#include "core/arrays.h"

// Sacramento soil-moisture accounting.
struct sac_model {
    int num_basins = 0;
    double uztwc = 0.0, uzfwc = 0.0, lztwc = 0.0, lzfsc = 0.0, lzfpc = 0.0; // initial contents
};

// Conceptual groundwater model.
struct cgw_model {
    double slow_max = 0.0, fast_max = 0.0, slow_rate = 0.0, fast_rate = 0.0;
    double slow_content = 0.0, fast_content = 0.0, underflow_percent = 0.0;
};

// Topographic index ln(a / sum(tan b L)) and upslope contributing area (m2)
// of every cell, by multiple-flow-direction accumulation over the
// elevation grid; mask holds the cell number of each row and column. Both
// print their failure and set code 4000; upslope_area also writes the
// diagnostic "upslope.out".
bool topodex(const dvec& elev, const imat& mask, dvec& out, int rows, int cols, double dx);
bool upslope_area(const dvec& elev, const imat& mask, dvec& out, int rows, int cols, double dx);

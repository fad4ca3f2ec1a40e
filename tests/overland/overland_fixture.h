// Model states built by hand for the overland tests: a tilted plane of
// rows x cols cells with the routing arrays in place.
#pragma once

#include <memory>

#include "core/model_state.h"

namespace overland_test
{

struct plane_desc {
    int rows = 1;
    int cols = 10;
    double dx = 10.0;
    double slope_x = 0.01; // ground falls toward higher columns
    double slope_y = 0.0;  // ground falls toward higher rows
    double n = 0.05;       // Manning roughness
    double depth = 0.0;    // initial depth of every cell, m
    int overtype = 2;
    double step = 10.0; // overland time step, s
};

// Every cell active; the outlet is the last cell (lowest row, last column)
// with the plane's x slope as outlet slope; the overland clock is due now.
std::unique_ptr<model_state> make_plane(const plane_desc& desc);

// Cell number of (row, col), both 1-based.
inline int cell_of(const plane_desc& desc, int row, int col)
{
    return (row - 1) * desc.cols + col;
}

// A 70 x 70 explicit plane whose ground rises 0.01 m per cell away from
// cell (35, 35), with uneven depths of 1 to 3 cm, slopes and routing arrays
// in place: above the single-thread cut-off, for lakes in its middle.
std::unique_ptr<model_state> make_bowl_plane();

// Water on the surface, m3.
double surface_volume(const model_state& s);

} // namespace overland_test

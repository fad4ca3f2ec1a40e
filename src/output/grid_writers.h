// Writers of a per-cell vector (cells 1..N in row order over the mask) as a
// full grid of text; cells outside the watershed get the layout's filler.
#pragma once

#include <cstdio>

#include "core/arrays.h"

// True for an active cell; positions beyond the mask are inactive.
inline bool grid_cell_active(const imat& mask, int r, int c)
{
    return r <= mask.rows() && c <= mask.cols() && mask[r][c] != 0;
}

// The ASCII grid layout the model also reads: north, south, east, west,
// rows and cols headers, then the rows with 0 outside the watershed.
void write_grass_ascii_grid(std::FILE* fp, const imat& mask, double north, double south, double east,
                            double west, int rows, int cols, const double* values);

// The ESRI ASCII raster layout, with -9999.99 outside the watershed.
void write_esri_ascii_grid(std::FILE* fp, const imat& mask, double north, double south, double east,
                           double west, int rows, int cols, const double* values, double cell_size);

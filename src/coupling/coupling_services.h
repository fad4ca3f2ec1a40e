// Readers of the XY boundary inputs, the groundwater interpolation weights and the KZ coupling set-up.
#pragma once

#include <string>
#include "core/arrays.h"
#include "coupling/kz_data.h"
#include "coupling/xy_boundary.h"

struct model_state;

void kz_coupling_init(model_state& state, kz_data& kz);
void read_xy_bdy_file(xy_input& in, const std::string& path, const std::string& kind, const std::string& header, checked_array<xy_point>& points, int& count, int by_cell);
void read_xy_stream_bdy_file(xy_input& in, const std::string& path);
void read_xy_stream_ts_file(xy_input& in, const std::string& path);
void gw_interp_weights(xy_input& in, ivec& gwbound, int num_cells, const checked_array<double>& cell_x,
                       const checked_array<double>& cell_y);

// Sets the overland depths of the XY boundary cells at time t; vol_in and
// vol_out grow by the water added and removed (m3).
void apply_ov_xy_bdy(xy_input& in, dvec& depth, double dx, double& vol_in, double& vol_out, double t);

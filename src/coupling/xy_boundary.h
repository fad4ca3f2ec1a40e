// XY boundary input and output records of nested models, embedded in the
// card-value record.
#pragma once

#include <string>

#include "core/containers.h"
#include "core/file_rec.h"

struct xy_point {
    int cell = 0;
    double x = 0.0;
    double y = 0.0;
    const void* series = nullptr;
};

struct xy_input {
    int num_ov_points = 0;
    int num_gw_points = 0;
    int num_st_points = 0;
    int num_gw_interp_points = 0;
    checked_array<xy_point> ovpts;
    checked_array<xy_point> gwpts;
    checked_array<xy_point> stpts;
    checked_array<xy_point> gw_interp_pts;
};

struct xy_output {
    int first = -1;
    int output_on = 0;
    int mode = 0; // 0 points file, 1 mask grid
    std::string points_file;
    std::string ov_depth_name;
    std::string gw_head_name;
    std::string stream_flow_name;
    file_rec ov_depth_file;
    file_rec gw_head_file;
    file_rec stream_flow_file;
};

void xy_input_construct(xy_input& in);
void xy_input_destroy(xy_input& in);
void xy_output_construct(xy_output& out);
void xy_output_destroy(xy_output& out);

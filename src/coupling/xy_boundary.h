// XY boundary input and output records of nested models, embedded in the
// card-value record.
#pragma once

#include <string>

#include "core/containers.h"
#include "core/file_rec.h"
#include "input/time_series.h"

// One XY boundary input point; arrays of them copy it whole.
struct xy_point {
    int cell = 0;
    double x = 0.0;
    double y = 0.0;
    time_series* series = nullptr;
};

// One stream boundary input point; explicit_point is 1 when the point was
// given by link and node (new slots of a grown array start with 0).
struct xy_stream_point {
    int link = 0;
    int node = 0;
    double x = 0.0;
    double y = 0.0;
    time_series* series = nullptr;
    int explicit_point = 0;
};

// One interpolated boundary cell: its source series and their weights.
struct xy_interp_cell {
    checked_array<time_series*> series;
    checked_array<double> weights;
    int count = 0;
    int cell = 0;
};

// Makes both arrays empty (names empty, zero-based); count and cell are
// left for the owner.
void xy_interp_cell_init(xy_interp_cell& c);
// Makes dst an exact copy of src: both arrays sized and filled as src's,
// then count and cell.
void xy_interp_cell_copy(xy_interp_cell& dst, const xy_interp_cell& src);
// Destroys both arrays, with their bad-range reports.
void xy_interp_cell_destroy(xy_interp_cell& c);

// Growth of the element arrays (see checked_array_grow). Elements move to
// the new block whole: points are copied, stream points of the new slots
// start with explicit_point 0, interpolated cells keep their arrays.
int xy_point_array_grow(checked_array<xy_point>& a, int n);
int xy_stream_point_array_grow(checked_array<xy_stream_point>& a, int n);
int xy_interp_cell_array_grow(checked_array<xy_interp_cell>& a, int n);
// Destroys every element (with their reports), then the array.
void xy_interp_cell_array_destroy(checked_array<xy_interp_cell>& a);

struct xy_input {
    int num_ov_points = 0;
    int num_gw_points = 0;
    int num_st_points = 0;
    int num_gw_interp_points = 0;
    checked_array<xy_point> ovpts;
    checked_array<xy_point> gwpts;
    checked_array<xy_stream_point> stpts;
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

// XY boundary input and output records of nested models, embedded in the
// card-value record.
#pragma once

#include <string>
#include <vector>

#include "core/arrays.h"
#include "core/node_arrays.h"

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

// A by-cell XY boundary file, kept so that its cell numbers can be checked
// once the cell count is known.
struct xy_cell_block {
    std::string path;
    int groundwater = 0; // 0 overland points, 1 groundwater points
    int first = 0;       // index of the block's first point
    int count = 0;
};

// The inset side of a nested run: boundary points read from the XY files.
// Points are addressed 0..count-1 in both point arrays.
struct xy_input {
    int num_ov_points = 0;        // overland depth points
    int num_gw_points = 0;        // groundwater head points by cell
    int num_st_points = 0;        // stream boundary points
    int num_gw_interp_points = 0; // cells that receive interpolated heads
    int num_gw_src = 0;           // XY_GW_HEAD_INTERP source points
    time_series* ov_series = nullptr;
    time_series* gw_series = nullptr;
    time_series* st_series = nullptr;
    checked_array<xy_point> ovpts;
    checked_array<xy_point> gwpts;
    checked_array<xy_stream_point> stpts;
    checked_array<xy_point> gw_interp_src;
    checked_array<double> spare_array;
    checked_array<xy_interp_cell> gwInterpPts;
    checked_array<xy_interp_cell> ov_interp;
    std::vector<xy_cell_block> cell_blocks;
};

// One output point of the outer model: its position, the inset cell number
// and the up to four cells of this model whose values it averages.
struct xy_out_point {
    double x = 0.0;
    double y = 0.0;
    int id = 0;
    int cells[4] = {0, 0, 0, 0};
    double weights[4] = {0.0, 0.0, 0.0, 0.0};
    int count = 0;
    double weight_sum = 0.0;
};

// A channel segment crossing the inset outline: its midpoint, link and node.
struct xy_crossing {
    double x = 0.0;
    double y = 0.0;
    int link = 0;
    int node = 0;
};

// The outer side of a nested run: the values written at the inset boundary.
struct xy_output {
    int first = -1;
    int output_on = 0;
    int mode = -1; // 0 points file, 1 inset mask, -1 neither card
    int gw_on = 0;
    int ov_on = 0;
    int stream_on = 0;
    const dvec* ov_depth = nullptr; // overland depths of this model
    const dvec* heads = nullptr;    // groundwater heads of this model
    const dnode_mat* qp = nullptr;  // channel discharges [node][link]
    // The grid of this model.
    double north = 0.0;
    double west = 0.0;
    int rows = 0;
    int cols = 0;
    double cell_size = 0.0;
    const imat* mask = nullptr;
    std::vector<xy_out_point> points;
    // The inset mask (mask mode).
    double in_north = 0.0;
    double in_south = 0.0;
    double in_east = 0.0;
    double in_west = 0.0;
    int in_rows = 0;
    int in_cols = 0;
    double in_cell_size = 0.0;
    imat inset_grid; // "smaller_mask.mask"
    std::vector<xy_crossing> crossings;
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

// Readers of the XY boundary inputs, the groundwater interpolation weights and the KZ coupling set-up.
#pragma once

#include "core/arrays.h"
#include "coupling/kz_data.h"
#include "coupling/xy_boundary.h"
#include <string>

struct model_state;

void kz_coupling_init(model_state& state, kz_data& kz);
// Reads an XY_OV_DEPTH, XY_GW_HEAD (by cell) or XY_GW_HEAD_INTERP (by X and
// Y) file: appends its n points to `points`, adds n to count and points
// series_ref at the block's first series. Open, header and empty-file
// faults print their message and read nothing (the run goes on); a bad
// number stops the run.
void read_xy_bdy_file(xy_input& in, const std::string& path, const std::string& kind,
                      const std::string& header, time_series*& series_ref, checked_array<xy_point>& points,
                      int& count, int by_cell);
// Reads an XY_STREAM_HYDROGRAPHS file into the stream points.
void read_xy_stream_bdy_file(xy_input& in, const std::string& path);
// Reads a stream boundary time-series file and appends its points.
void read_xy_stream_ts_file(xy_input& in, const std::string& path);
// Builds gwInterpPts: every cell of groundwater boundary type 8 becomes a
// fixed-head cell whose head is the inverse-distance-squared mean of the
// (up to five nearest) XY_GW_HEAD_INTERP source points.
void gw_interp_weights(xy_input& in, ivec& gwbound, int num_cells, const checked_array<double>& cell_x,
                       const checked_array<double>& cell_y);

// Sets the overland depths of the XY boundary cells at time t; vol_in and
// vol_out grow by the water added and removed (m3).
void apply_ov_xy_bdy(xy_input& in, dvec& depth, double dx, double& vol_in, double& vol_out, double t);

// Sets the heads of the XY groundwater boundary cells at time t; gain and
// loss are the water added and removed (m3, storage coefficient x area x
// head change). Called by the groundwater step.
void apply_gw_xy_bdy(xy_input& in, dvec& heads, const dvec& storage, double dx, double& gain, double& loss,
                     double t);

// The channel network as the stream boundary points see it: computational
// nodes and node points per link, link kinds and node point positions
// ([node point][link]).
struct stream_network_view {
    int num_links = 0;
    const ivec* nodes = nullptr;
    const ivec* node_points = nullptr;
    const ivec* link_type = nullptr;
    const dnode_mat* lnx = nullptr;
    const dnode_mat* lny = nullptr;
};
// Gives every stream boundary point given by X and Y the routed link and
// node nearest to it and checks the points given by link and node; prints
// the placed link/nodes. False (after a message naming the point, run
// stopped) when a point names no routed node or cannot be placed.
bool locate_stream_bdy_linknodes(xy_input& in, const stream_network_view& net);
// Sets inflow[node][link] at the points' nodes to the sum of their series
// at time t, m3/s; a negative discharge counts as none.
void apply_st_xy_bdy(const xy_input& in, dnode_mat& inflow, double t);

// False (after a message naming the file, the point and the number, run
// stopped) when a by-cell XY boundary file names a cell outside 1..num_cells.
bool check_xy_bdy_cells(const xy_input& in, int num_cells);

// ---- XY outputs of an outer model -----------------------------------------

// Appends the points of the points file (XYBDYOUTPUT_PTS) to out.points.
void read_xy_points_file(xy_output& out);
// Reads the inset mask (XYBDYOUTPUT_MASK) and appends its boundary cells, in
// row order, as points at their centres.
void read_inset_mask(xy_output& out);
// True when inset cell (r, c) is non-zero and on the grid's edge or next to
// a zero cell.
bool inset_boundary_cell(const imat& grid, int rows, int cols, int r, int c);
// Weights of every point over the cells of this model's grid.
void xy_points_weights(xy_output& out);
// Points, files, weights and headers of the XY outputs; a null array leaves
// its output off.
void xy_output_open(xy_output& out, double north, double west, int rows, int cols, double cell_size,
                    const imat& mask, const dvec* ov_depth, const dvec* heads);
// One row of every open XY output at Julian time t.
void xy_output_write(xy_output& out, double t);

// True when channel segment P0-P1 crosses outline segment Q0-Q1: the
// outline parameter t in [0, 1], the channel parameter u in (0, 1] (a
// channel segment starting on the outline does not cross it).
bool channel_segment_crosses(double p0x, double p0y, double p1x, double p1y, double q0x, double q0y,
                             double q1x, double q1y);
// The crossings of the channel file's X_Y lines with the inset outline, the
// listing line and the XY_STREAM_HYDROGRAPHS header; without discharges, a
// channel file or an output name the stream output stays off.
void find_inset_stream_crossings(xy_output& out, const std::string& chan_file, const dnode_mat* qp);

// Channel network and pipe network members of the model state.
#pragma once

#include <string>

#include "core/arrays.h"
#include "core/file_rec.h"

struct pipe_network_state {
    file_rec storm_sewer_file;
    file_rec grid_pipe_file;
    int storm_sewer = 0;
    int tile_drains = 0;
    double superlink_interval = 0.0; // days
    double superlink_next_time = 0.0;
    double superlink_last_time = 0.0;
    int num_sjunc = 0;
    int num_slink = 0;
    int superlink_max_nodes = 0;
    ivec superlink_cnodes;
    int gw_surface_flag = 0;
};

struct channel_state {
    int num_links = 0;
    ivec nx;        // nodes per link
    dvec link_dx;   // node spacing per link, m
    dmat yp;        // depth [link][node], m
    dmat qp;        // discharge [link][node], m3/s
    dmat bel;       // bed elevation [link][node], m
    dmat area;      // flow area [link][node], m2
    file_rec chan_input_file;
    file_rec chan_depth_hotstart_in;
    file_rec chan_flow_hotstart_in;
    file_rec chan_depth_hotstart_out;
    file_rec chan_flow_hotstart_out;
    file_rec stream_node_file;
    file_rec hydrograph_file;
    file_rec vks_hydrograph_file;
    file_rec hydrograph_obs_file;
    int num_hyd_locations = 0;
    ivec hlink;
    ivec hnode;
    dvec opt_peak_q;
    int head_bound = 0;
    std::string bound_ts_name;
    int chan_lakes = 0;
    int num_lakes = 0;
    dvec lake_volume;
    ivec lake_mask;
    double lake_inflow_volume = 0.0;
    int lake_at_max = 0;
    int lake_first_step = 0;
    imat new_flooded_grid;
    file_rec chan_point_file;
    int chan_point_on = 0;
    file_rec chan_aux_file;
    std::string chan_con_output_name;
    double overbank_factor = 0.0;
};

// Cell-to-channel connectivity and the pipe-network output files.
struct channel_grid_links {
    ivec con_vect;
    ivec con_link;
    ivec con_node;
    int channel_cells = 0;
    file_rec pipe_head_file;
    file_rec pipe_tile_file;
    file_rec pipe_flow_file;
};

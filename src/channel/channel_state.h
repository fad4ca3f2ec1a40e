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
    int superlink_c_opt = 0;
    int high_head_release = 0;
    int superlink_drainmod = 0;
    int superlink_junc_location_given = 0;
    int superlink_node_location_given = 0;
    int superlink_junc_flow_given = 0;
    int superlink_node_flow_given = 0;
    int pipe_head_given = 0;
    int pipe_tile_given = 0;
    int pipe_flow_given = 0;
};

struct channel_state {
    int num_links = 0;
    ivec nx;        // nodes per link
    ivec ltype;     // link kind bits: 4 trapezoid, 8 break-point, 32 lake, 64 structure, 128 captured
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
    dvec lake_elev; // water-surface elevation per channel lake, m
    ivec lake_mask;
    ivec lake_num; // channel lake of each cell, allocated with the watershed
    double lake_inflow_volume = 0.0;
    int lake_at_max = 0;
    int lake_first_step = 0;
    imat new_flooded_grid;
    file_rec chan_point_file;
    int chan_point_on = 0;
    file_rec chan_aux_file;
    std::string chan_con_output_name;
    double overbank_factor = 0.0;
    int chan_drain_backwater = 0;
    int chan_drain = 0;
    int xsec_summary_depth = 0, xsec_summary_area = 0, xsec_summary_width = 0, xsec_summary_conveyance = 0;
    double max_courant_number = 0.0;
    int overbank_flow = 0;
    int overland_backwater = 0;
    int grid_stream = 0;
    double bound_depth = 0.0;
    int bound_ts_given = 0;
    double k_river = 0.0;
    double m_river = 0.0;
    double m_lake = 0.0;
    int hotstart_is_depth = 0;
    int chan_hotstart_write = 0;
    int chan_hotstart_read = 0;
    int stream_loss = 0;
    double first_order_chan_q = 0.0;
    double chan_decay_coef = 0.0;
    double chan_disp_coef = 0.0;
    double init_chan_conc = 0.0;
    dvec lake_init_wse; // initial water surface per channel lake, m
    dvec lake_min_elev; // minimum level per channel lake, m
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

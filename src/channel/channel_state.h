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
    // Pipe-network volumes, m3: storage, exchanges of the running event and
    // run totals.
    double superlink_storage_volume = 0.0;
    double superlink_volume_remaining = 0.0;
    double superlink_ov_in_event = 0.0;
    double superlink_to_ov_event = 0.0;
    double superlink_to_chan_event = 0.0;
    double gw_to_tile_event = 0.0;
    double superlink_sed_water_event = 0.0;
    double superlink_ov_in_total = 0.0;
    double superlink_to_ov_total = 0.0;
    double superlink_to_chan_total = 0.0;
    double gw_to_tile_total = 0.0;
};

struct channel_state {
    int num_links = 0;
    ivec nx;        // nodes per link
    ivec ltype;     // link kind bits: 4 trapezoid, 8 break-point, 32 lake, 64 structure, 128 captured
    dvec link_dx;   // node spacing per link, m
    // Node arrays are [node][link]: rows 0..MAXNODES + 1, columns 0..L + 1.
    dmat yp;   // water-surface elevation (stage), m
    dmat qp;   // discharge toward the next node downstream, m3/s
    dmat bel;  // bed elevation, m
    dmat area; // flow area, m2
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
    // Cell locations of IN_CELLDEPDIS_LOCATION: grid row, column and the
    // cell found there (0 outside the watershed), entries 1..count.
    int num_cell_locations = 0;
    ivec celrowloc;
    ivec celcolloc;
    ivec gnumlocater;
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
    // Node dimension of the [node][link] arrays and the node count of each
    // link as read.
    int node_dim = 0;
    ivec og_nx1;
    dmat stream_pointsource; // [node][link] series references of POINTSOURCE cards
    int lake_gw_exchange = 0; // lake beds exchange with the aquifer (MLAKE)
    int xsec_range_flag = 0;  // a depth left the look-up tables during the event
    // Cross-section kinds met in the channel input file.
    int trapezoid_sections = 0;
    int lookup_sections = 0;
    int lookup_table_read = 0;
    // Run totals of the channel network, m3; the lateral outflow total is
    // kept as a negative number.
    double chan_initial_volume = 0.0;
    double lake_run_initial_volume = 0.0;
    double lateral_inflow_total = 0.0;
    double lateral_in_event = 0.0;
    double lateral_out_event = 0.0;
    double chan_point_total = 0.0;
    double stream_point_sink_total = 0.0;
    double lake_point_source_total = 0.0;
    double lake_point_sink_total = 0.0;
    double lake_evap_total = 0.0;
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

// Channel network and pipe network members of the model state.
#pragma once

#include <list>
#include <string>
#include <vector>

#include "channel/superlink_state.h"
#include "core/arrays.h"
#include "core/file_rec.h"
#include "core/node_arrays.h"

struct time_series;
struct elev_series;

// One element of a hydraulic structure link (weir, culvert, rating curve,
// scheduled release, rule curve).
struct chan_struct_rec {
    int unused = 0;
    int type = 0;             // 1 weir .. 8 rule curve
    double length = 0.0;      // LENGTH or CREST_LENGTH, m
    double up_elev = 0.0;     // UPINVERT or CREST_LOW_ELEV, m
    double down_invert = 0.0; // DOWNINVERT, m
    double slope = 0.0;       // SLOPE
    double spare = 0.0;
    double coeff_forward = 0.0;      // INLET_DISCH_COEFF or DISCHARGE_COEFF_FORWARD
    double coeff_reverse = 0.0;      // REV_FLOW_DISCH_COEFF or DISCHARGE_COEFF_REVERSE
    double work_coeff = 0.0;         // culvert computation's working coefficient
    double size1 = 0.0;              // WIDTH, DIAMETER, A_VALUE or STEEP_SLOPE
    double size2 = 0.0;              // HEIGHT, B_VALUE or SHALLOW_SLOPE
    double crest_low_loc = 0.0;      // CREST_LOW_LOC
    double rough_coeff = 0.0;        // ROUGH_COEFF
    elev_series* rating = nullptr;   // types 6 and 8
    time_series* schedule = nullptr; // type 7
};

// The structure elements of one link: first..last of chan_structures.
struct link_struct_range {
    int count = 0;
    int first = 10000;
    int last = 0;
};

// A pump from a channel node to another node (read and stored only).
struct pump_rec {
    int unused = 0;
    int cell = 0; // overland pumps only
    int dest_link = 0;
    int dest_node = 0;
    int flow_type = 0; // 1 time series (TS), 0 rate over water level (ELEV)
    time_series* ts = nullptr;
    elev_series* es = nullptr;
};

struct pipe_network_state : superlink_network_state {
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

// Work arrays of the explicit channel routing, sized to the network of the
// current run ([node][link], link-major) and reset with it.
struct chan_route_work {
    int links = 0, nodes = 0, cells = 0;
    dnode_mat area_old, area_iter, qp_old, qp_last, qp_iter, qlat_old;
    dnode_mat qriv_old; // seepage at the start of the sub-step (STREAM_LOSS)
    dvec ov_depth_saved;
    long substeps = 0;     // sub-steps of the run; the first one seeds qp_last and qp_iter
    int overbank_mode = 0; // OVERBANK_FLOW was met in this run
    imat status_node;      // [node][link]: 1 while a lake holds the node
};

struct channel_state {
    // ---- the network as read from the channel input file ----
    double alpha = 0.0, beta = 0.0, theta = 0.0;
    int num_links = 0;
    int max_nodes = 0;         // most node points of any link (MAXNODES)
    int link_dim = 0;          // L + 1
    int node_dim = 0;          // MAXNODES + 1
    int link_node_cells = 0;   // link_dim x node_dim
    int max_npairs = 0;        // largest NPAIRS
    int max_interp_points = 0; // largest NUM_INTERP
    int num_erodible_bp_links = 0;
    int num_bp_tables = 0; // break-point tables built (valid table numbers 1..this)
    int chan_overbank = 0;
    int chan_sediment = 0; // channel sediment switch saved across the reader
    // Per link 1..L.
    ivec ltype;          // link kind bits: 1 subsurface, 2 erodible, 4 trapezoid, 8 break-point,
                         // 32 lake, 64 structure, 128 captured, 256 overbank, 512 backwater
    ivec ldex;           // the link's own number; the lake number of a lake link
    ivec ndep;           // upstream link count
    ivec dslink;         // downstream link
    ivec nx1;            // node points
    ivec nx;             // computational nodes
    ivec og_nx1;         // nodes as read (copy of nx)
    ivec bplink;         // ordinal among erodible break-point links, 0 for others
    dvec link_dx;        // node spacing per link, m
    dvec inv_mannings_n; // 1/n
    imat uslinks;        // [link][k] upstream links
    // Node arrays are [node][link]: nodes 0..node_dim, links 0..link_dim,
    // stored link-major (the nodes of one link side by side).
    dnode_mat yp;           // water-surface elevation (stage), m
    dnode_mat qp;           // discharge toward the next node downstream, m3/s
    dnode_mat bel;          // bed elevation, m
    dnode_mat area;         // flow area, m2
    dnode_mat lnx, lny;     // node point coordinates
    dnode_mat bottom;       // trapezoid bottom width, m
    dnode_mat bankfull_dep; // m
    dnode_mat sslope;       // trapezoid side slope (run per rise)
    dnode_mat sslope2;      // second side slope (no card sets it)
    dnode_mat max_eros;     // largest erosion depth, m
    dnode_mat Fr, qp_vol, qp_vol_sed;
    dnode_mat chan_depth; // water depth, m
    dnode_mat conv;       // conveyance
    dnode_mat dconv;      // derivative of the conveyance with depth
    dnode_mat topw;       // top width, m
    inode_mat table_num;  // break-point table of each node
    dnode_mat Krb, Mrb;   // river-bed conductivity and thickness per node
    // Erodible break-point links: [erodible link][node][pair] section points.
    dcube xbp_lnn, ybp_lnn;
    dmat max_yp, ch_sand_vol0; // [erodible link][node]
    // Break-point depth tables, [level][table].
    dmat xarea, xtw, xk, xp, xi1, xdkda;
    ivec numpairs, numhts; // per table
    dvec ht_spc;           // level spacing per table, m
    // Structures, pumps and point sources.
    std::vector<chan_struct_rec> chan_structures;     // elements 1..n
    std::vector<link_struct_range> chan_struct_table; // links 0..link_dim
    int num_struct_elements = 0;
    std::list<pump_rec> chan_pump_list;    // newest first
    mat1<pump_rec*> stream_pumps;          // [node][link]
    mat1<time_series*> stream_pointsource; // [node][link] POINTSOURCE series
    // Channel lakes 1..num_lakes.
    ivec numpts, lake_cells, numrate, yes_static_lake, yes_defined_curve_lake, calc_loss;
    dvec minwse, initwse, maxwse;
    dvec cumulative_lake_evap, prevlake_volume, lake_volume_last_chan, lake_area;
    dvec Mlake;              // lake-bed thickness, m (lake_in_dv, lake_out_dv: overland routing state)
    ivec lake_rating_warned; // the broken-rating-curve line was printed for the lake
    icube lake_search;       // [lake][1 row, 2 column][k]
    dmat lake_rate_elev, lake_rate_volume, lake_rate_area; // [lake][k]
    ivec lake2link;                                        // lake of a lake link, 0 for others
    dnode_mat pct_flooded;                                 // [node][link]
    // Copies of the network as read (networks with lakes).
    int og_num_links = 0;
    ivec og_ndep, og_dslink, og_lytpe;
    imat og_uslinks;
    // Grid-stream file: stream cells 1..gst_ncells, entries 1..gst_max_entries.
    int gst_ncells = 0;
    int gst_max_entries = 0;
    ivec gst_ncellsingrid;
    imat gst_link, gst_node, gst_gnum, gst_row, gst_col;
    dmat gst_pct, gst_sac_weight, gst_Vlat, gst_qlat, gst_qriv, gst_qriv_vol;
    dnode_mat gst_Vp;       // [node][link]
    dvec gst_lake_exchange; // per grid cell
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
    int num_gwflux_locations = 0; // IN_GWFLUX_LOCATION nodes, entries 1..count
    ivec gwflink, gwfnode;
    ivec slink, snode; // IN_SED_LOC locations (channel sediment), entries 1..count
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
    dvec lake_volume; // m3
    dvec lake_elev;   // water-surface elevation per channel lake, m
    ivec lake_mask;   // lake covering each cell (0..num_cells)
    ivec lake_num;    // channel lake of each cell, allocated with the watershed
    double lake_inflow_volume = 0.0;
    int lake_at_max = 0;
    int lake_first_step = 0;
    ivec new_flooded_grid;   // working marker of the lake routing, per cell
    int lake_flood_init = 1; // the first channel step with lakes marks every lake cell as flooded
    file_rec chan_point_file;
    int chan_point_on = 0;
    // Channel point inputs (CHAN_POINT_INPUT): node index link x node_dim + node.
    int chan_point_count = 0, chan_point_nperiods = 0, chan_source_periods_read = 0;
    ivec chan_point_address;           // points 1..count
    dvec chan_point_q;                 // m3/s per node index 0..link_node_cells + 1
    dmat chan_point_conc;              // [constituent][node index]
    dvec chan_point_vol;               // m3 per node index (channel constituent transport)
    int chan_point_date[5] = {};       // year, month, day, hour, minute of the next record
    double chan_point_next_time = 0.0; // Julian days; 0 when no record is pending
    // Inflow of the stream boundary points of a nested run (XYBDYINPUT_STFLOW,
    // XYBDYINPUT_STTIMESERIES), m3/s [node][link]; empty without points.
    dnode_mat xy_stream_q;
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
    // Channel step and routing.
    dnode_mat qlat;         // lateral inflow per metre of channel, m2/s
    dnode_mat area_old;     // node areas at the start of the channel time
    dnode_mat yp_max_flood; // highest stage of each node, m
    dnode_mat stdummy;
    dvec exchange_roughness;       // effective roughness of every cell at the exchange
    double chan_outflow_vol = 0.0; // outlet volume of the last channel time, m3
    int chan_route_calls = 0;
    int stream_gw_status = 0;
    int dry_chan_steps = 0;      // channel times of a dry spell with a nearly empty network
    int chan_events_started = 0; // events of the run that reset the channel
    chan_route_work route_work;
    time_series* bound_series = nullptr; // BOUND_TS series of the head boundary
};

// Cell-to-channel connectivity and the pipe-network output files.
struct channel_grid_links {
    inode_mat con_vect; // [node][link] cell of each channel node
    ivec con_link;
    ivec con_node;
    ivec channel_cells; // per cell: 1 for a cell of a grid-stream entry (with SOIL_EROSION)
    file_rec pipe_head_file;
    file_rec pipe_tile_file;
    file_rec pipe_flow_file;
};

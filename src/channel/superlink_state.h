// The pipe network of superjunctions (manholes and outlets 1..J) joined by
// superlinks (pipe runs 1..L), as read from the pipe-network file, with the
// solver's state and work space. Per-node and per-pipe arrays are indexed
// [superlink][node] (and [superlink][pipe]) so that the nodes of one
// superlink lie next to each other; they are sized once, after cutting,
// for the largest segment count.
#pragma once

#include "core/arrays.h"
#include "core/file_rec.h"

// The junction system of one sub-step and its LU factors: dense, or banded
// when every superlink joins junctions whose numbers differ by at most
// `band` and the band is narrow beside the junction count.
struct superlink_lu_work {
    int n = 0;
    int band = -1; // half bandwidth of the banded form; -1 dense
    dmat a;       // [1..n][1..n], factored in place
    dmat ab;      // banded form: row i holds columns i - band .. i + 2 band
    dmat al;      // banded form: multipliers of step k for rows k + 1 .. k + band
    ivec perm;    // row interchanges
    dvec rhs;     // right-hand side, replaced by the solution
    dvec scale;   // implicit pivoting scale of each row
    double parity = 1.0;
};

// Arrays the solver owns for the run, made at its first call.
struct superlink_solver_work {
    int links = 0, nodes = 0; // dimensions of the [link][node] arrays
    // Per segment (and per node where the recurrences need N + 1 rows).
    dmat A, top_width, wet_per, hyd_R, l_veloc, ldepth, Q, n_veloc, C;
    dmat a, b, c, P, D, E, T, U, V, W, O, X, Y, Z;
    // Per superlink: end flows, downstream end area, end conditions and
    // the link coefficients of each end.
    dvec Q_up, Q_dn, A_dn;
    dvec kappa_up, lambda_up, mu_up, kappa_dn, lambda_dn, mu_dn;
    dvec alpha_up, beta_up, chi_up, alpha_dn, beta_dn, chi_dn;
    ivec numnodes;
    dvec fixed_head; // per superjunction
    dmat F;          // junction matrix [1..J][1..J]
    dvec F_rhs;
    superlink_lu_work lu;
    double yn = 0.0, yc = 0.0; // last normal and critical depths of an end
    long substeps = 0;         // sub-steps of the run
};

struct superlink_network_state {
    int superlink_array_dim = 0; // max(L, J, largest N) + 2, raised by cutting
    int superlink_node_dim = 0;  // columns of the [link][node] arrays: largest segment count + 2
    // Per superjunction 1..J.
    dvec sjunc_ground_elev, sjunc_invert_elev, sjunc_area;
    dvec sjunc_grate_sidelength, sjunc_grate_dia;
    dvec sjunc_head, sjunc_flow;
    ivec sjunc_inlet_type; // inlet type of the superjunction
    ivec superjunct_i, superjunct_j; // grid row and column; link and node of a 999 outlet
    ivec bound;                      // fixed-head boundary (inlet type above 10)
    // Per superlink 1..L.
    ivec us_sjunc, ds_sjunc, nnodes;
    dvec slink_zinv_up, slink_zinv_dn;
    // Per node [link][node], nodes 1..N+1.
    dmat node_ground_elev, slink_node_Zinv, As, grate_sidelength_node, grate_dia_node;
    dmat slink_node_depth, Q_node;
    imat inlet_type, superlink_node_i, superlink_node_j;
    // Per pipe [link][pipe], pipes 1..N.
    imat sec_type; // 1 circular, 2 arch, 3 box
    dmat diameter, width, S0, M_n, dx, superlink_pipe_conductivity, drain_spacing, dxc;
    // File node and pipe numbers to computational ones (SUPERLINK_C_OPT).
    imat otc_node, otc_pipe;
    // Grid-pipe tables of the leaky pipes, [cell][entry].
    int gpi_ncells = 0;
    int gpi_max_entries = 0;
    ivec gpi_ncellsingrid;
    imat gpi_link, gpi_node, gpi_gnum;
    dmat gpi_pct;
    // Cells of superjunctions and nodes, and the drain exchange.
    ivec superlink_junc_gnum;
    imat superlink_node_gnum; // [link][node]
    dmat superlink_tile_flow; // [link][node], m3/s
    dvec Q_tile_grid, vol_tile_grid, tilerecharge_to_gw;
    // Outlets and exchanges with the surface and the channels.
    ivec superlink_chan_con_node, superlink_chan_con_link;
    dvec sjunc_to_chan_vol;       // per superjunction, m3 to its channel node
    dvec superlink_sjunc_outflow; // per superjunction, m3 released to the surface
    dvec cell_superlink_vol;      // per cell, m3 taken minus released
    dvec superlink_prev_depth;    // per cell, overland depth before the solver call
    double superlink_chan_dt = 0.0; // length of the running channel time, s
    int superlink_call_count = 0;
    int superlink_surcharge_flag = 0;
    int superlink_chan_flag = 0;
    int tile_exchange_status = 0;
    // Output locations: superjunctions (SUPERLINK_JUNC_LOCATION) and
    // superlink nodes (SUPERLINK_NODE_LOCATION).
    int num_sjunc_locations = 0;
    ivec sjunc_loc;
    int num_sl_node_locations = 0;
    ivec sl_link, sl_node;
    // Step numbers of the PIPE_FLOW, PIPE_HEAD and PIPE_TILE files.
    int superlink_flow_ts = 0, superlink_head_ts = 0, superlink_tile_ts = 0;
    superlink_solver_work superlink_work;
    file_rec superlink_flows_file; // "superlink_flows.out", one row per solver call
};

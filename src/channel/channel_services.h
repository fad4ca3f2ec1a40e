// Channel services used by event initialisation and the pipe-network loader.
#pragma once

#include "core/arrays.h"
#include "core/file_rec.h"
#include "core/node_arrays.h"

struct model_state;

// The arrays ex_section works on; the routing may pass work copies in place
// of the state's arrays.
struct xsec_arrays {
    int links = 0;
    const dnode_mat* bottom = nullptr; // [node][link] trapezoid bottom width
    const dnode_mat* sslope = nullptr; // [node][link] trapezoid side slope
    const dvec* inv_mannings_n = nullptr;
    dnode_mat* yp = nullptr;        // stage
    const dnode_mat* bel = nullptr; // bed elevation
    dnode_mat* area = nullptr;
    dnode_mat* conv = nullptr;
    dnode_mat* dconv = nullptr;
    dnode_mat* topw = nullptr;
    const ivec* nx = nullptr;
    const ivec* ltype = nullptr;
    const ivec* ldex = nullptr;
    int* range_flag = nullptr;   // set when a break-point node lies above its table
    const dmat* xarea = nullptr; // [level][table]
    const dmat* xtw = nullptr;
    const dmat* xk = nullptr;
    const ivec* numhts = nullptr;
    const dvec* ht_spc = nullptr;
    int num_tables = 0; // valid table numbers 1..num_tables
    const inode_mat* table_num = nullptr;
    dnode_mat* chan_depth = nullptr;
};

// Hydraulic properties of every trapezoid and break-point node: mode 1 from
// the flow area (depth, stage, conveyance), mode 2 from the stage (area, top
// width, conveyance and its derivative). A failure prints its lines, stops
// the run (code 4000, reported) and leaves later nodes unchanged.
void ex_section(const xsec_arrays& a, int mode);

// The same on the state's own arrays (nothing while the network's node
// arrays are not allocated).
void ex_section(model_state& state, int mode);

// One node of one link, in the modes of ex_section; false after a stop.
bool ex_section_node(const xsec_arrays& a, int mode, int link, int node);

// The state's own arrays in the form ex_section takes.
xsec_arrays state_xsec_arrays(model_state& state);

int read_superlink_file(model_state& state, file_rec& pipe_file, file_rec& grid_pipe_file, int c_option);

// Reading the channel network: the channel input file with its structure,
// pump, point-source and lake cards, the grid-stream file, the break-point
// cross-section tables and the lake rating curves.
#pragma once

#include <string>

#include "core/arrays.h"

struct model_state;
struct channel_state;

// Reads the channel input file (and the grid-stream file when STREAM_CELL is
// on) into the state. 1 when the file holds an MLAKE card, else 0. Errors go
// through the error record.
int read_chan_input(model_state& state);

// Refuses structure elements the routing cannot evaluate (pipe-arch
// culverts with code 123, culverts without length or size, sag weirs with
// equal slopes), naming the file, link and element. False when refused.
bool check_structure_elements(model_state& state, const std::string& path);

// Reads the grid-stream file into the gst_ arrays; a step of the reader.
// False when the file was refused (reported).
bool read_grid_stream_file(model_state& state);

// Checks the node spacing of the network and prepares the per-entry arrays
// of the grid-stream data (grid rows and columns, exchange arrays).
void grid_stream_setup(model_state& state);

// y at x on the rating curve of lake k (entries 1..n of the x and y columns),
// linear. Outside the table the nearest end is used; the broken-curve line
// is printed once per lake when warned is given (null: every time).
double lake_rating_interp(int lake, double x, int n, const double* x_table, const double* y_table,
                          int* warned = nullptr);

// The cross-sections one break-point link gives in the file.
struct bp_link_sections {
    int link = 0;
    int nodes = 0;           // node points of the link
    int type = 0;            // link kind bits
    int count = 0;           // sections
    const dmat* x = nullptr; // [point][section]
    const dmat* y = nullptr;
    const int* node_of = nullptr; // node of section J, 1..count, increasing
    const int* pairs = nullptr;   // NPAIRS of section J
    const int* levels = nullptr;  // NUM_INTERP of section J
    double mannings_n = 0.0;
};

// Numbers and builds the depth tables of one break-point link; table_counter
// is the number of tables built so far and is advanced. Errors go through
// the error record.
bool build_breakpoint_tables(channel_state& c, const bp_link_sections& in, int& table_counter);

// Rebuilds the table of one node of an erodible break-point link from the
// node's points in xbp_lnn and ybp_lnn.
void build_node_xsec_table(channel_state& c, int link, int node, double inv_n);

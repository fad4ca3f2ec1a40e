// Reading the pipe-network file: its lines as read, the cutting of
// superlinks into computational segments, and the grid-pipe file of the
// leaky pipes.
#pragma once

#include <string>
#include <vector>

struct model_state;
struct file_rec;

// A NODE or SJUNC line after its number.
struct superlink_node_row {
    double ground = 0.0, invert = 0.0, area = 0.0;
    int inlet = 0, row = 0, col = 0;
    double grate_side = 0.0, grate_dia = 0.0;
};

// A PIPE line after its number; dxc is the computational length.
struct superlink_pipe_row {
    int sec = 0;
    double diameter = 0.0, width = 0.0, slope = 0.0, rough = 0.0, length = 0.0;
    double conductivity = 0.0, spacing = 0.0, dxc = 0.0;
};

// One superlink as the file gives it (nodes 1..N+1, pipes 1..N), then as
// cut (segments 1..S, nodes 1..S+1, and the maps of the file's numbers).
struct superlink_file_link {
    int us = 0, ds = 0, n = 0;
    int file_n = 0;                       // N of the SLINK line, kept through cutting
    int connect_line = 0, slink_line = 0; // 0 while not seen
    std::vector<superlink_node_row> nodes;
    std::vector<superlink_pipe_row> pipes;
    std::vector<int> otc_node, otc_pipe;
};

// Cuts one superlink into segments (SUPERLINK_C_OPT): a single pipe into
// 4 to m + 8 segments by its length, the end nodes of a longer run moved
// toward its superjunctions. Prints the move messages.
void cut_superlink_segments(int link, superlink_file_link& l);

// Kind of the first word of a grid-pipe line, removed from the line:
// "pipecells" 0, "cellij" 1, "numpipes" 2, "spipe" 3, anything else 4.
int gridpipe_card_kind(std::string& line);

// Reads the grid-pipe file of the leaky pipes into the gpi tables. 0, or
// -9 after a format error (printed; the caller stops the run).
int read_grid_pipe_file(model_state& s, file_rec& rec, const std::vector<superlink_file_link>& links);

// The ASCII grid reader and the index-map reader of the mapping-table file.
#pragma once

#include <string>

#include "core/arrays.h"
#include "core/file_rec.h"

struct model_state;

// Kinds of target of read_grid_map.
enum grid_target : int {
    grid_cell_reals = 1,   // one real per active cell into the first real destination
    grid_full_ints = 2,    // every integer into the grid itself, [1..rows][1..cols]
    grid_cell_reals_b = 3, // one real per active cell into the second real destination
    grid_cell_ints = 4,    // one integer per active cell, counted per category 0..9,999
};

constexpr int grid_category_count = 10000;

// Reads one grid of the open file. The six header values go to the out
// parameters (also when the map is then refused); a header size different
// from the expected one, an early end, a bad header or value, or a category
// outside 0..9,999 on an active cell prints its message and stops the run
// (code 4000, reported here). For the per-cell kinds a non-zero grid entry
// marks an active cell and the values go to positions 1, 2, ... of the
// destination in row-major order. quiet = 1 leaves out the category lines
// and the zero-cell warning. The file stays open, positioned after the line
// holding the last value read.
void read_grid_map(file_rec& file, const std::string& name, int type, double& north, double& south,
                   double& east, double& west, int& rows, int& cols, imat& grid, dvec* first, dvec* second,
                   ivec* int_dest, int expected_rows, int expected_cols, int quiet);

// Cells counted per category by the last reads of kind 4 (shared by all
// calls; categories 1..9,999 are cleared at the start of each such read).
int grid_category_cells(int category);

// The usual calls over the model's grid: the state's header fields, its
// cell-number grid and size, and its toolbox-trial switch as quiet.
void read_cell_reals(model_state& state, file_rec& file, const std::string& name, dvec& dest);
void read_cell_ints(model_state& state, file_rec& file, const std::string& name, ivec& dest);

// After a per-cell read: true when every cell's value lies in [low, high];
// otherwise prints "Error: file F, row R, column C (cell I): the WHAT V
// lies outside LOW to HIGH." ("lies below LOW" when high is
// no_upper_bound) for the first cell that does not, stops the run (code
// 4000, reported) and returns false.
constexpr double no_upper_bound = 1e300;
bool cell_values_within(const model_state& state, const dvec& values, const std::string& file, const char* what,
                        double low, double high);

// Reads the index map of a mapping table. IDs of active cells go to the ID
// grid ([r-1][c-1] for map position (r, c), both from 1; the grid is made
// here, zeroed, with one row and one column more than the map); inactive
// cells may hold any integer. An ID above largest_id is error 71, an early
// end error 70, a size mismatch errors 72-74; an ID below 1 (below 0 when
// zero_allowed, where 0 means "none") is refused with its own message; all
// are reported here and end the read. Category lines go to the screen
// unless quiet and always to the log.
void read_index_map(file_rec& file, const std::string& name, double& north, double& south, double& east,
                    double& west, int& rows, int& cols, const imat& mask, imat& id_grid, int largest_id,
                    int expected_rows, int expected_cols, const file_rec* log, int quiet, bool zero_allowed);

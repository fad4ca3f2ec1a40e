// The saturated groundwater model: the line solver, the wells, the implicit
// solver of one groundwater step and its storage refresh from the Richards
// nodes.
#pragma once

#include "core/arrays.h"
#include "subsurface/groundwater_state.h"

struct model_state;

// Largest number of line-solver sweeps of one solve; reaching it stops the
// run.
constexpr int gw_sweep_limit = 200000;

// Sizes the line solver's work vectors for a grid of rows x cols; false
// when memory runs out (message printed, run stopped).
bool gw_line_work_alloc(gw_line_work& work, int rows, int cols);

// The five-point equations the line solver reads, per cell 1..N.
struct gw_equations {
    const double* above;
    const double* below;
    const double* left;
    const double* right;
    const double* diag;
    const double* rhs;
};

// Solves the equations in place of `head` by line successive
// over-relaxation with factor omega: the lines are the grid rows when
// direction is 1, else the columns, visited in ascending order when order
// is 1, else descending. Sweeps repeat until the largest change of a sweep
// (before relaxation) falls below eps. `mask` holds the cell numbers of rows
// and columns 0..rows+1 and 0..cols+1. Returns the sweeps made; -1 when eps
// is not positive or the sweep limit is reached (message printed, run
// stopped).
int gw_line_sor(double* head, double omega, int rows, int cols, const gw_equations& eq, double eps,
                gw_line_work& work, int order, int direction, const imat& mask);

// Writes every bound well's rate at `time` (Julian days), per cell area dx
// x dx, into `pumping` (m/s). A well whose series is unknown stores 0 and
// stops the run after the step.
void wells_apply_rates(dvec& pumping, int cells, double time, double dx);

// Sizes the solver's per-cell and line vectors for this run's grid of n
// cells (a later run of a batch with more cells gets larger ones); false
// when memory runs out (message printed, run stopped).
bool groundwater_solver_alloc(model_state& state, int n);

// Advances the heads over one groundwater step of dt seconds; returns the
// net volume (m3) that entered the aquifer, or 0 when the run stops.
double groundwater_solve(model_state& state, int cells, double dt);

// Storage coefficient of cell j from the Richards nodes its water table
// moved through since the sub-step began.
void gw_storage_from_nodes(model_state& state, int j);

// Storage coefficient of every cell from the accounting column's soil (or
// the aquifer's below it) and the head at the start of the step.
void gw_storage_from_column(model_state& state);
// The accounting column follows the solved water table: groundwater at the
// surface empties it, a rising table shortens it, a falling one deepens it
// with the retained water, and its content is kept within its limits; the
// water moved is booked as recharge or as exchange with the unsaturated
// zone. False when a head is not a number (reported, run stopped).
bool gw_column_update(model_state& state);

// Stream-aquifer exchange of a groundwater step of dt seconds while the
// channel routing is idle: losing nodes drain into the cells' exchange
// volumes (limited to what they hold); a gaining reach starts the routing.
// Returns the exchange state of stream_gw_exchange (0 on an error).
int gw_idle_channel_exchange(model_state& state, double dt);

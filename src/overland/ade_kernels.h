// The alternating-direction overland schemes: a raw view of the per-cell
// data, the per-face and per-cell loops, and the process-wide state that
// carries the sub-step control from one overland step (and run) to the next.
#pragma once

#include "core/parallel.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

struct model_state;
struct ov_lake;
struct wetland_rec;

// Smallest grid whose per-cell loops run in parallel.
constexpr int ade_parallel_cells = parallel_min_cells;

// Sweep direction: x pairs every cell with its right neighbour, y with the
// cell below.
enum ade_direction { ade_x = 0, ade_y = 1 };

// Raw pointers to the per-cell data of one overland step (indices 1..n).
// An optional input is null when its switch is off or its data are absent.
struct ade_grid {
    int n = 0;
    double dx = 0.0;
    const int* right = nullptr;
    const int* left = nullptr;
    const int* above = nullptr;
    const int* below = nullptr;
    const double* z = nullptr;          // ground elevation
    const double* retent = nullptr;     // retention depth (null: 0)
    const double* rough = nullptr;      // Manning roughness of the maps
    const double* rough_exp = nullptr;  // depth exponent (null: 0 everywhere)
    const int* dike = nullptr;          // embankment side bits (DIKE_MAP)
    const int* bc_type = nullptr;       // boundary type (OV_BOUNDARY)
    const double* block_frac = nullptr; // blocked fraction of the cell (OVR_FLOW_BLOCK)
    const double* side_block = nullptr; // blocked fraction per side [cell * side_stride + side]
    int side_stride = 0;
    const int* clake = nullptr;        // channel-lake number per cell
    const double* lake_elev = nullptr; // stage per channel lake
    const int* olake = nullptr;        // overland-lake number per cell (current extent)
    const ov_lake* olakes = nullptr;   // overland lakes 1..n
    const int* wetland = nullptr;      // wetland number per cell
    const wetland_rec* wetlands = nullptr;
    // Water through the snowpack (ROUTE_LAT_SNOW): snow water equivalent
    // and the snow model's status record [cell * snow_stride + entry]; entry
    // 10 divides a snow-covered cell's depth, entry 20 gives its permeability.
    const double* snow_swe = nullptr;
    const double* snow_stat = nullptr;
    int snow_stride = 0;
    double snow_darcy_f = -1.0;
    int outlet = 0;
    double outslope = 0.0;
    int chan_routing = 0;

    // None of the optional inputs and no depth exponent: the sweep takes
    // the plain face.
    bool plain() const
    {
        return !rough_exp && !dike && !side_block && !clake && !olake && !wetland && !snow_stat;
    }
    bool lake_cell(int i) const { return (clake && clake[i] > 0) || (olake && olake[i] > 0); }
    bool fixed_head(int i) const
    {
        if (!bc_type)
            return false;
        const int t = bc_type[i];
        return t == 2 || t == 3 || t == 9;
    }
};

// Builds the view of one overland step from the model state.
ade_grid ade_grid_from_state(model_state& state);

// Result of one ADE depth update.
struct ade_sweep_result {
    int status = 0;       // 0 fine, 1 shorten the next sub-step, 2 restart the step
    double bc_in = 0.0;   // m3 drawn from fixed-head cells
    double bc_out = 0.0;  // m3 given to fixed-head cells
    double outlet = 0.0;  // m3 through a fixed-head outlet cell
    double cleanup = 0.0; // m3 added by setting small negative depths to 0
};

struct ade_stability {
    int unstable = 0;
    double ratio = 0.0; // the largest ratio
    int cell = 0;       // first cell that reached it
};

// Face discharges q[1..n] of the direction from the given depths; the
// roughness of the upstream cell follows the same depths.
void ade_face_fluxes(const ade_grid& g, const double* depth, ade_direction dir, double* q);

// ADE depth update of one direction over dt. Updates depth, change and
// sweep_depth of every non-lake cell; with qsum it also adds dt * q to the
// direction's face volumes (an attempt that fails starts them again).
ade_sweep_result ade_sweep_update(const ade_grid& g, ade_direction dir, double dt, const double* q,
                                  double* depth, double* change, double* sweep_depth, double* qsum,
                                  double courant);

// One ADE sweep of a direction over dt: the face discharges q from the
// depths `from` (those at the start of the sweep) and the new depths into
// `to` (every cell; lake and fixed-head cells keep theirs). change, when
// given, receives each non-lake cell's change; qsum gains dt * q.
ade_sweep_result ade_sweep(const ade_grid& g, ade_direction dir, double dt, const double* from, double* to,
                           double* q, double* change, double* qsum, double courant);

// Pre-check of the sub-step dt with the discharges of the previous step:
// the depth change against the depth, and the stiffness of the cell's faces
// against its area. Parallel over the cells; prints "green" once for NaN.
ade_stability ade_stability_ratio(const ade_grid& g, const double* q, ade_direction dir, double dt,
                                  const double* depth, double courant);

// Predictor-corrector loops over the whole step (tau = step / dx2 is the
// step over the cell area).
void ade_pc_predictor(const ade_grid& g, ade_direction dir, double tau, const double* q, const double* depth,
                      double* change, double* pred);
void ade_pc_save(const ade_grid& g, ade_direction dir, const double* q, double* q_first);
void ade_pc_average(const ade_grid& g, ade_direction dir, double* q, const double* q_first);
ade_sweep_result ade_pc_corrector(const ade_grid& g, ade_direction dir, double tau, const double* q,
                                  double* depth, double* change);

// Cube root of x > 0 for the Manning power d^(2/3): a bit-level first guess
// and two Halley steps, within a relative 1e-14 of the library's value and
// about three times as fast.
inline double ade_cbrt(double x)
{
    std::uint64_t bits;
    std::memcpy(&bits, &x, sizeof bits);
    bits = bits / 3 + 0x2a9f7893782da1ceULL;
    double y;
    std::memcpy(&y, &bits, sizeof y);
    for (int k = 0; k < 2; ++k) {
        const double y3 = y * y * y;
        y = y * (y3 + 2.0 * x) / (2.0 * y3 + x);
    }
    return y;
}

// Manning roughness of a cell at a depth: n = n_map exp(-b depth).
inline double ade_cell_roughness(const ade_grid& g, int i, double depth)
{
    return g.rough_exp ? g.rough[i] * std::exp(-g.rough_exp[i] * depth) : g.rough[i];
}

// Work state kept for the whole process, so that a later run of a batch or
// calibration goes on with the sub-step control of the earlier one.
struct ade_state {
    int calls_made = 0;
    int stable_count = 0;
    double courant = 1.0;
    double min_dt = 0.001;
    double last_dt = 0.0;
    int shrink = 0;
    double cell_area = 0.0;
    double step_over_area = 0.0;
    double exponent = 0.0;
    long long sweeps = 0;            // directional sweeps made, restarts included
    std::vector<double> saved_depth; // depths at the start of the step
    std::vector<double> sweep_depth; // depths at the start of the current sweep
    std::vector<double> lake_dv;     // channel-lake volume change of the attempt
    std::vector<double> olake_dv;    // overland-lake volume change of the attempt
    std::vector<int> lake_cells;     // the lake cells of the current step
};

// The process-wide instance used by the overland step.
ade_state& ade_process_state();

// Grows the work arrays to hold n cells and the lake counts (never shrinks).
void ade_state_reserve(ade_state& st, int n, int num_lakes, int num_oland_lakes);

// Routes the overland water for one step of `step` seconds with OVERTYPE 2
// (ADE) or 3 (ADE-PC); any other type moves nothing between cells. Returns
// the volume that left through the outlet (m3), or -1 after a fatal error
// (message printed, code 4000 reported).
double ade_overland_route(model_state& state, ade_state& st, double step);

// The alternating-direction overland schemes: a raw view of the per-cell
// data, the per-face and per-cell loops, and the process-wide state that
// carries the sub-step control from one overland step (and run) to the next.
#pragma once

#include "core/parallel.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <utility>
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
    double ratio = 0.0; // the largest depth-change ratio
    double stiff = 0.0; // the largest stiffness ratio of a cell updated explicitly
    int cell = 0;       // first cell that reached the larger of the two
    int implicit = 0;   // cells marked for the implicit update
};

// A cell whose faces answer a change of its depth so fast that an explicit
// update would need a sub-step shorter than this (s; or than the overland
// step when that is shorter) is updated implicitly; the others keep the
// explicit sweeps and set the sub-step alone. Chosen by measurement on the
// corner-outlet planes: 2 to 3 s keep the hydrograph on the fine-step
// solution with the fewest sub-steps; from 5 s the kinematic term draws
// most of the wet plane into the solve.
constexpr double ade_implicit_limit = 3.0;

// Most band entries (doubles) and cells the stiff cells' solve may take,
// which bounds its memory; beyond them the limit above is halved for the
// step.
constexpr size_t ade_stiff_band_cap = size_t(1) << 19;
constexpr size_t ade_stiff_cell_cap = size_t(1) << 15;

// Per-cell bits of ade_state::cell_flags: the cell is too stiff for an
// explicit update in a direction; the cell's downstream face in a direction
// belongs to a stiff cell (its discharge comes from the implicit solve).
constexpr unsigned char ade_implicit_bit[2] = {1, 2};
constexpr unsigned char ade_stiff_face_bit[2] = {4, 8};
constexpr unsigned char ade_seen_bit = 16;

// Discharge of a face at the start of a sub-step and its response to the
// depths of the cell it leaves (a) and the cell it enters (b).
struct ade_face_line {
    double q0 = 0.0;
    double a = 0.0;
    double b = 0.0;
};

// The stiff cells of a sub-step, grouped into connected parts, each solved
// as one banded linear system. The per-cell vectors are indexed by a cell's
// place in `cells`; all are reserved at the caps (ade_stiff_reserve) and
// sized to each set within them.
struct ade_stiff_set {
    std::vector<int> cells;                  // grouped by part, each part in solve order
    std::vector<std::pair<int, int>> lookup; // per part: (cell, place in cells), by cell
    std::vector<int> part;                   // part k holds cells[part[k]] .. cells[part[k + 1] - 1]
    std::vector<int> width;                  // half-bandwidth of each part
    std::vector<size_t> at;                  // offset of each part's band in `band`
    std::vector<double> band;                // the band matrices, factored in place
    std::vector<size_t> diag;                // per cell: offset of its diagonal entry in `band`
    std::vector<int> half;                   // per cell: half-bandwidth of its part
    std::vector<double> delta;               // per cell: right-hand side, then the depth change
    std::vector<int> near;            // per cell: place of its left, right, upper, lower neighbour, or -1
    std::vector<ade_face_line> lines; // per cell: its faces out in x and in y
    std::vector<int> marked;          // the cells the pre-check marked, in cell order (at most the cap + 1)
    std::vector<std::vector<int>> found; // the same per thread of the pre-check
    int drain_cell = 0;                  // the outlet, when it drains inside the solve
    int drain_at = -1;                   // its place in cells during a solve
    double drain_q = 0.0;                // its drain and the drain's response to its depth
    double drain_dq = 0.0;
    double drained = 0.0; // volume drained by the last solve, m3

    int parts() const { return part.empty() ? 0 : static_cast<int>(part.size()) - 1; }
    void clear()
    {
        cells.clear();
        part.clear();
        width.clear();
        at.clear();
        lookup.clear();
        drained = 0.0;
    }
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
// depths at the start of the sweep and the new depths in their place (lake
// and fixed-head cells keep theirs). change, when given, receives each
// non-lake cell's change; qsum gains dt * q. With flags, a face marked
// stiff keeps the discharge already in q (set by the implicit solve of the
// sub-step) and, when `solved` (the implicit solve ran), a stiff cell's
// change does not shorten the next sub-step. The neighbour lists must
// number every cell's upstream neighbour before it and its downstream
// neighbour after it, as the row-by-row numbering does.
ade_sweep_result ade_sweep(const ade_grid& g, ade_direction dir, double dt, double* depth, double* q,
                           double* change, double* qsum, double courant, const unsigned char* flags = nullptr,
                           bool solved = false);

// Pre-check of the sub-step dt with the discharges of both directions left
// by the previous step: per direction, the depth change against the depth
// and the stiffness of the cell's faces against its area. One parallel pass
// over the cells; prints "green" once per direction that met a NaN. With
// flags, a cell whose four faces (and, for the draining outlet drain_cell,
// the response of its drain, drain_k in m2/s) would need an explicit
// sub-step below `implicit_below` seconds is marked implicit and left out
// of the ratios, and with `found` the marked cells are listed in cell order
// in found->marked.
struct ade_precheck {
    ade_stability x;
    ade_stability y;
};
ade_precheck ade_stability_ratio(const ade_grid& g, const double* qx, const double* qy, double dt,
                                 const double* depth, double courant, double implicit_below = 0.0,
                                 unsigned char* flags = nullptr, int drain_cell = 0, double drain_k = 0.0,
                                 ade_stiff_set* found = nullptr);

// Reserves the set's storage for a grid of n cells and a pre-check on up
// to `threads` threads, up to the caps (never shrinks).
void ade_stiff_reserve(ade_stiff_set& set, int n, int threads);

// Gathers the cells the pre-check marked implicit (set.marked) into
// connected parts, marks their faces and sizes the band matrices (up to
// ade_stiff_band_cap entries); returns the number of band entries.
size_t ade_build_stiff_set(const ade_grid& g, unsigned char* flags, ade_stiff_set& set);

// Clears the stiff marks of the set's cells and faces.
void ade_clear_stiff_set(const ade_grid& g, unsigned char* flags, ade_stiff_set& set);

// Linearised backward-Euler update of the stiff cells over dt from the
// depths at the start of the sub-step: one banded system per part, over
// both directions' faces (so the two sweeps do not trade water through
// them). Writes the discharges of the stiff faces into qx and qy, for the
// sweeps to carry, and the volume the outlet drains (when it is one of the
// cells) into set.drained.
void ade_solve_stiff(const ade_grid& g, double dt, const double* depth, double* qx, double* qy,
                     ade_stiff_set& set);

// Predictor-corrector loops over the whole step (tau = step / dx2 is the
// step over the cell area).
void ade_pc_predictor(const ade_grid& g, ade_direction dir, double tau, const double* q, const double* depth,
                      double* change, double* pred);
void ade_pc_save(const ade_grid& g, ade_direction dir, const double* q, double* q_first);
void ade_pc_average(const ade_grid& g, ade_direction dir, double* q, const double* q_first);
ade_sweep_result ade_pc_corrector(const ade_grid& g, ade_direction dir, double tau, const double* q,
                                  double* depth, double* change);

// Cube root of x > 0 for the Manning power d^(2/3): a bit-level first guess
// (a third of the bit pattern plus a constant) and two Halley steps, within
// a relative 1e-14 of the library's value and about three times as fast.
// The third of the 64-bit pattern is taken in 32-bit halves, which the
// compiler can put in vector instructions (a 64-bit division it cannot);
// the guess is the same integer: with hi = 3 qh + rh and lo = 3 ql + rl,
// (hi 2^32 + lo) / 3 = qh 2^32 + rh (2^32 - 1) / 3 + ql + (rh + rl) / 3.
inline double ade_cbrt(double x)
{
    std::uint64_t bits;
    std::memcpy(&bits, &x, sizeof bits);
    const std::uint32_t hi = static_cast<std::uint32_t>(bits >> 32);
    const std::uint32_t lo = static_cast<std::uint32_t>(bits);
    const std::uint32_t qh = hi / 3u;
    const std::uint32_t rh = hi - 3u * qh;
    const std::uint32_t ql = lo / 3u;
    const std::uint32_t rl = lo - 3u * ql;
    const std::uint64_t third = (static_cast<std::uint64_t>(qh) << 32) +
                                static_cast<std::uint64_t>(rh) * 0x55555555u + ql + (rh + rl >= 3u ? 1u : 0u);
    const std::uint64_t guess = third + 0x2a9f7893782da1ceULL;
    double y;
    std::memcpy(&y, &guess, sizeof y);
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

// Manning discharge of the outlet cell at depth h with the outlet slope, m3/s.
inline double ade_outlet_discharge(const ade_grid& g, double h)
{
    if (h <= 0.0)
        return 0.0;
    return h * ade_cbrt(h * h) / ade_cell_roughness(g, g.outlet, h) * std::sqrt(g.outslope) * g.dx;
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
    long long sweeps = 0;                  // directional sweeps made, restarts included
    long long implicit_updates = 0;        // cells updated implicitly, summed over the sub-steps
    std::vector<unsigned char> cell_flags; // ade_implicit_bit and ade_stiff_face_bit per cell
    ade_stiff_set stiff;                   // the stiff cells of the current step
    std::vector<double> saved_depth;       // depths at the start of the step
    std::vector<double> lake_dv;           // channel-lake volume change of the attempt
    std::vector<double> olake_dv;          // overland-lake volume change of the attempt
    std::vector<int> lake_cells;           // the lake cells of the current step
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

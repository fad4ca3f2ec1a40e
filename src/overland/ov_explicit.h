// The explicit overland scheme (OVERTYPE explicit): a raw view of the
// per-cell data, the face law, and the process-wide state that carries the
// remembered sub-step from one overland step (and run) to the next.
#pragma once

#include <cmath>
#include <vector>

struct model_state;
struct wetland_rec;

// Raw pointers to the per-cell data of one call (indices 1..n). An optional
// input is null when its switch is off or its data are absent.
struct ov_explicit_grid {
    int n = 0;
    double dx = 0.0;
    const int* right = nullptr;
    const int* left = nullptr;
    const int* above = nullptr;
    const int* below = nullptr;
    const double* slope_x = nullptr;   // (z_i - z_right) / dx
    const double* slope_y = nullptr;   // (z_i - z_below) / dx
    const double* retent = nullptr;    // retention depth (null: 0)
    const double* rough = nullptr;     // Manning roughness
    const double* rough_exp = nullptr; // depth exponent of the roughness (null: none)
    const int* dike = nullptr;         // embankment side bits (DIKE_MAP)
    const int* bc_type = nullptr;      // boundary type (OV_BOUNDARY)
    const int* wetland = nullptr;      // wetland number per cell
    const wetland_rec* wetlands = nullptr;

    bool fixed_head(int i) const
    {
        if (!bc_type)
            return false;
        const int t = bc_type[i];
        return t == 2 || t == 3 || t == 9;
    }
};

// Manning's unit discharge on slope |S| = slope_abs over depth d.
inline double ov_manning(double slope_abs, double n, double d)
{
    return std::sqrt(slope_abs) / n * d * std::cbrt(d * d);
}

// Roughness of cell i at depth h[i].
inline double ov_explicit_roughness(const ov_explicit_grid& g, int i, const double* h)
{
    return g.rough_exp ? g.rough[i] * std::exp(-g.rough_exp[i] * h[i]) : g.rough[i];
}

// Builds the view of one call from the model state.
ov_explicit_grid ov_explicit_grid_from_state(model_state& state);

// Unit discharge (m2/s, positive from i to j) across the face between cell
// i and its right (right_face) or lower neighbour j, from depths h. `tested`
// is false when the face is cut off by a depth below the retention depth
// and so takes no part in the stability test.
double ov_explicit_face_q(const ov_explicit_grid& g, int i, int j, bool right_face, const double* h,
                          bool& tested);

// Water exchanged with fixed-head cells and added by clean-up of negative
// depths over a step, m3.
struct ov_explicit_sums {
    double bc_in = 0.0;
    double bc_out = 0.0;
    double cleanup = 0.0;
};

// Each cell takes the change of its right (qx) and lower (qy) faces over dt
// seconds; a null direction carries nothing, and with a lake map (null:
// none) lake cells keep their depth.
ov_explicit_sums ov_explicit_apply(const ov_explicit_grid& g, double dt, const double* qx, const double* qy,
                                   const int* lake, double* h);

// The layered law of a wetland face with water e above the layer (m), on
// slope S: unit discharge, m2/s.
double wetland_blend(const wetland_rec& w, double S, double e);

// The single pass of a step next to overland lakes: every face once over
// the whole step, right faces first; the lakes' exchanges go to their
// step inflow.
ov_explicit_sums olake_explicit_pass(model_state& state, const ov_explicit_grid& g, double step);

// Discharge between two ordinary cells in the lake variants: the water
// comes from the higher surface and its depth above that cell's retention
// carries it (wetland cells as in the plain law).
double ov_explicit_cell_q(const ov_explicit_grid& g, int i, int j, bool right_face, const double* h);

// The channel lakes as the explicit scheme sees them in one call: the lake
// of every cell (0 none), ground, stages, and the per-lake volumes the
// faces change (indices 1..count).
struct clake_view {
    const int* lake = nullptr;
    const double* z = nullptr;
    const double* stage = nullptr;
    double* volume = nullptr;
    double* in = nullptr;
    double* out = nullptr;
    int count = 0;
};

// Face discharges (m2/s) of one direction next to channel lakes over a
// sub-step of dt, with the stability test of the faces whose upper cell is
// ordinary. Returns the number of faces that asked for a split; sets
// too_small when a face asked at a sub-step of 0.005 s or less.
int clake_sweep(const ov_explicit_grid& g, const clake_view& v, bool right_face, double dt, const double* h,
                double* q, bool quiet, int& too_small);

// Moves the water of the lake faces of one sub-step between the cells and
// the lake volumes, by the cells' surfaces before the sub-step.
void clake_book(const ov_explicit_grid& g, const clake_view& v, double dt, const double* h, const double* qx,
                const double* qy);

// Work state kept for the whole process: the sweep-order toggle, the
// remembered sub-step with the number of further calls that start from it
// and the reset notice, and the saved depths of the current run.
struct ov_explicit_state {
    int toggle = 0;
    double remembered_dt = 0.0;
    int calls_left = 0;
    int reset_notice = 0;
    long long sweeps = 0; // directional sweeps made, restarts included
    std::vector<double> saved_depth;
    std::vector<double> saved_lake_volume; // channel lakes at the call's entry
};

// The process-wide instance used by the overland step.
ov_explicit_state& ov_explicit_process_state();

// Sizes the saved depths for a run of n cells.
void ov_explicit_reserve(ov_explicit_state& st, int n);

// Routes the overland water for one step of `step` seconds. Returns the
// volume drained at the outlet (m3; 0 with channel routing).
double ov_explicit_route(model_state& state, ov_explicit_state& st, double step);
